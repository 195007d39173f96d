#pragma once

#include "palm/ByteStream.h"
#include "palm/PalmPaths.h"
#include "platform/RegistryStore.h"
#include "support/Result.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zelmaro {

// Where Palm Desktop keeps its three values.
inline constexpr std::string_view kPalmDesktopKey = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

// One Palm Desktop user as users.dat lists it.
struct TPalmUser {
    std::int32_t UserID = 0;
    std::string Name;
    std::string Directory; // relative to the list's Path
    bool UserFlag = false;
    std::string InstallDir;
    std::string CardInstallDir;
    std::string HandHeldQuickInstallDir;
    std::string ExpCardQuickInstallDir;
    std::array<std::uint8_t, 36> ExtraData{};
};

// Palm Desktop's user list, found through its registry values and read from
// users.dat. Never raises: the outcome is in Installed, LoadResult and Users.
class TPalmUsersDat {
public:
    // Reads from the given store (the current user's registry in the
    // program), which must outlive the list.
    explicit TPalmUsersDat(const RegistryStore& registry);

    // Forgets everything and reads registry and users.dat again. Fails, saying
    // why, unless Palm Desktop is set up and its users.dat was read to the
    // end; a damaged file still gives its count and the users before the damage.
    TResult<void> Load();
    // Reads the users from a users.dat image, as Load does after finding the
    // file; the user directories are looked up below Path() when it is set.
    TResult<void> Parse(ByteStream& stream);

    // What the last Load or Parse answered.
    const TResult<void>& LoadResult() const { return loadResult_; }
    bool Installed() const { return installed_; }
    const std::string& PIMVersion() const { return pimVersion_; }
    const std::string& DesktopPath() const { return desktopPath_; }
    const std::string& Path() const { return path_; }
    std::int32_t Count() const { return static_cast<std::int32_t>(users_.size()); }
    const std::vector<TPalmUser>& Users() const { return users_; }

private:
    // Load and Parse without keeping the result; shownName names the file in
    // a failure.
    TResult<void> ReadList();
    TResult<void> ReadUsers(ByteStream& stream, const std::string& shownName);
    bool ReadClassHeader(ByteStream& stream);
    bool ReadUser(ByteStream& stream, std::size_t index);
    bool SkipSyncPreference(ByteStream& stream);
    void FillDirectories(TPalmUser& user);
    std::string ExistingDirectory(const std::string& base, std::string_view relative);

    const RegistryStore& registry_;
    TResult<void> loadResult_;
    bool installed_ = false;
    std::string pimVersion_;
    std::string desktopPath_;
    std::string path_;
    std::vector<TPalmUser> users_;
    // Per load: the folders listed so far and the directories of each
    // Directory text met so far.
    TPathLookup lookup_;
    std::map<std::string, TPalmUser> directories_;
};

} // namespace zelmaro
