#include "palm/PalmUsersDat.h"

#include "palm/PalmPaths.h"
#include "support/FileSearch.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "support/Registry.h"

#include <algorithm>
#include <cstring>

namespace zelmaro {

namespace {

constexpr std::uint16_t kTagClassHeader = 0xFFFF;
constexpr std::uint16_t kTagNextUser = 0x8001;

enum class TClassKind { ckUnknown, ckUser, ckSyncPreference };

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return fold(x) == fold(y);
    });
}

std::string ReadBytes(ByteStream& stream, std::size_t count)
{
    std::string bytes(std::min(count, stream.Remaining()), '\0');
    stream.Read(bytes.data(), bytes.size());
    return bytes;
}

TClassKind ReadClassName(ByteStream& stream)
{
    if (ReadInt16(stream) != 1)
        return TClassKind::ckUnknown;
    const std::int16_t length = ReadInt16(stream);
    if (length <= 0 || length > 255)
        return TClassKind::ckUnknown;
    std::string name = ReadBytes(stream, static_cast<std::size_t>(length));
    name.resize(std::strlen(name.c_str())); // the name ends at a NUL
    if (EqualIgnoringAsciiCase(name, "CUser"))
        return TClassKind::ckUser;
    if (EqualIgnoringAsciiCase(name, "CUserSyncPreference"))
        return TClassKind::ckSyncPreference;
    return TClassKind::ckUnknown;
}

} // namespace

TPalmUsersDat::TPalmUsersDat(const RegistryStore& registry) : registry_(registry)
{
    Load();
}

TResult<void> TPalmUsersDat::Load()
{
    loadResult_ = ReadList();
    return loadResult_;
}

TResult<void> TPalmUsersDat::Parse(ByteStream& stream)
{
    loadResult_ = ReadUsers(stream, "users.dat");
    return loadResult_;
}

TResult<void> TPalmUsersDat::ReadList()
{
    installed_ = false;
    pimVersion_.clear();
    desktopPath_.clear();
    path_.clear();
    users_.clear();

    const TFailure notInstalled = Fail(Tr("Palm Desktop ist nicht eingerichtet."));
    pimVersion_ = ReadRegistryString(registry_, kPalmDesktopKey, "PIMVersion", "");
    if (pimVersion_.empty())
        return notInstalled;
    desktopPath_ = ReadRegistryString(registry_, kPalmDesktopKey, "DesktopPath", "");
    if (!DirExists(desktopPath_))
        return notInstalled;
    path_ = ReadRegistryString(registry_, kPalmDesktopKey, "Path", "");
    if (!DirExists(path_))
        return notInstalled;
    installed_ = true;

    const std::string fileName = FindPathIgnoringCase(path_, "users.dat");
    if (!FileExists(fileName))
        return Fail(Fill(Tr("In \"%1\" fehlt die Palm-Desktop-Benutzerliste users.dat."), path_));
    // An unreadable users.dat leaves an installed Palm Desktop without users.
    std::optional<ByteStream> stream = ByteStream::FromFile(fileName);
    if (!stream)
        return Fail(
            Fill(Tr("Die Palm-Desktop-Benutzerliste \"%1\" ließ sich nicht lesen."), fileName));
    return ReadUsers(*stream, "\"" + fileName + "\"");
}

TResult<void> TPalmUsersDat::ReadUsers(ByteStream& stream, const std::string& shownName)
{
    users_.clear();
    // The count is kept whatever follows, so a damaged file still lists its
    // users; 16 bits bound it.
    const std::int16_t count = ReadInt16(stream);
    if (count <= 0)
        return Fail(
            Fill(Tr("Die Palm-Desktop-Benutzerliste %1 nennt keinen Benutzer."), shownName));
    users_.resize(static_cast<std::size_t>(count));
    // Users are read again after every nested class header: each directory
    // is looked up once per load.
    lookup_ = TPathLookup();
    directories_.clear();
    if (ReadUInt16(stream) != kTagClassHeader || !ReadClassHeader(stream))
        return Fail(Fill(Tr("Die Palm-Desktop-Benutzerliste %1 ist beschädigt."), shownName));
    return {};
}

// A class header names either the users, which follow one after the other, or
// a sync preference object that is skipped. A user may be followed by a further
// class header, which then reads the users again from the first; the nesting
// is kept in a list instead of on the call stack, so that a file full of
// headers cannot overflow the stack.
bool TPalmUsersDat::ReadClassHeader(ByteStream& stream)
{
    std::vector<std::size_t> readingUser; // per open user class: index being read
    bool atHeader = true;
    for (;;) {
        bool succeeded = false;
        if (atHeader) {
            switch (ReadClassName(stream)) {
            case TClassKind::ckUnknown:
                return false;
            case TClassKind::ckSyncPreference:
                succeeded = SkipSyncPreference(stream);
                break;
            case TClassKind::ckUser:
                if (users_.empty()) {
                    succeeded = true;
                    break;
                }
                readingUser.push_back(0);
                atHeader = false;
                continue;
            }
        } else {
            const std::size_t index = readingUser.back();
            if (!ReadUser(stream, index))
                return false;
            switch (static_cast<std::uint16_t>(ReadInt16(stream))) {
            case kTagNextUser:
                succeeded = true;
                break;
            case kTagClassHeader:
                atHeader = true;
                continue;
            default:
                succeeded = SkipSyncPreference(stream);
                break;
            }
        }
        // A failure anywhere fails every enclosing step.
        if (!succeeded)
            return false;
        while (!readingUser.empty() && ++readingUser.back() == users_.size())
            readingUser.pop_back();
        if (readingUser.empty())
            return true;
        atHeader = false;
    }
}

// Reads one user object up to, not including, the tag that follows it.
bool TPalmUsersDat::ReadUser(ByteStream& stream, std::size_t index)
{
    TPalmUser& user = users_[index];
    user.UserID = ReadInt32(stream);
    const std::int8_t nameLength = ReadInt8(stream);
    if (nameLength <= 0)
        return false;
    user.Name = ReadBytes(stream, static_cast<std::size_t>(nameLength));
    const std::int8_t directoryLength = ReadInt8(stream);
    if (directoryLength <= 0)
        return false;
    user.Directory = ReadBytes(stream, static_cast<std::size_t>(directoryLength));
    user.UserFlag = ReadInt16(stream) == 1;
    FillDirectories(user);
    const std::int16_t blockLength = ReadInt16(stream);
    ReadInt16(stream);
    if (blockLength > 0) {
        const auto length = static_cast<std::size_t>(blockLength);
        const std::size_t kept = std::min(length, user.ExtraData.size());
        stream.Read(user.ExtraData.data(), kept);
        stream.Skip(length - kept);
    }
    ReadInt16(stream);
    return true;
}

// Passes over an object of unknown layout up to the tag of the next user
// (bytes 01 80); the pair 03 80 inside it is passed over, 80 after any other
// byte is a damaged file. Reaching the end is a success.
bool TPalmUsersDat::SkipSyncPreference(ByteStream& stream)
{
    ReadInt32(stream);
    std::uint8_t previous = 0;
    for (;;) {
        const std::uint8_t byte = ReadUInt8(stream);
        if (byte != 0x80 && !stream.AtEnd()) {
            previous = byte;
            continue;
        }
        if (stream.AtEnd())
            return true;
        if (previous == 0x01)
            return true;
        if (previous != 0x03)
            return false;
        previous = 0x80;
    }
}

std::string TPalmUsersDat::ExistingDirectory(const std::string& base, std::string_view relative)
{
    std::string path = lookup_.Find(base, relative);
    return DirExists(path) ? path : std::string();
}

void TPalmUsersDat::FillDirectories(TPalmUser& user)
{
    auto [known, added] = directories_.try_emplace(user.Directory);
    TPalmUser& found = known->second;
    if (added && !path_.empty()) {
        if (const std::string userDirectory = ExistingDirectory(path_, user.Directory);
            !userDirectory.empty()) {
            found.InstallDir = ExistingDirectory(userDirectory, "Install");
            if (std::string cardInstall = ExistingDirectory(userDirectory, "CardInst");
                !cardInstall.empty()) {
                auto slots = ListDirectory(cardInstall, "Slot-*", true, true);
                if (slots && !slots->empty())
                    found.CardInstallDir = JoinPath(cardInstall, slots->front().Name);
                FreeDirList(slots);
            }
            found.HandHeldQuickInstallDir =
                ExistingDirectory(userDirectory, "QuickInstall\\HandHeld");
            found.ExpCardQuickInstallDir =
                ExistingDirectory(userDirectory, "QuickInstall\\ExpCard");
        }
    }
    user.InstallDir = found.InstallDir;
    user.CardInstallDir = found.CardInstallDir;
    user.HandHeldQuickInstallDir = found.HandHeldQuickInstallDir;
    user.ExpCardQuickInstallDir = found.ExpCardQuickInstallDir;
}

} // namespace zelmaro
