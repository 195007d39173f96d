#include "about/VersionBlock.h"

#include "ZelmaroVersionInfo.h"
#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace zelmaro {

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// Systems without version resources: the program's own file carries the
// block generated at build time; no other file has one.
class TCompiledVersionBlockSource final : public TVersionBlockSource {
public:
    std::unique_ptr<TVersionBlock> Load(const std::string& fileName) const override
    {
        std::string self = SystemPlatform().ModuleFileName();
        if (self.empty() || !SameFile(fileName, self))
            return nullptr;

        auto block = std::make_unique<TVersionBlockData>();
        block->Flags = version::kFileFlags;
        block->Translation = version::kTranslation;
        auto put = [&](const char* key, const char* value) {
            block->Strings[StringFileInfoPath(version::kTranslation, key)] = value;
        };
        put("\\CompanyName", version::kCompanyName);
        put("\\FileDescription", version::kFileDescription);
        put("\\FileVersion", version::kFileVersion);
        put("\\InternalName", version::kInternalName);
        put("\\LegalCopyright", version::kLegalCopyright);
        put("\\OriginalFilename", version::kOriginalFilename);
        put("\\ProductName", version::kProductName);
        put("\\ProductVersion", version::kProductVersion);
        put("\\Mail", version::kMail);
        put("\\Internet", version::kInternet);
        put("\\Licence", version::kLicence);
        return block;
    }
};

} // namespace

const TVersionBlockSource& ProgramVersionBlockSource()
{
    static const TCompiledVersionBlockSource source;
    return source;
}

} // namespace zelmaro
