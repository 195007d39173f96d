#include "support/Paths.h"

#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace zelmaro {

std::string JoinPath(std::string_view directory, std::string_view name, TPathStyle style)
{
    std::string result(directory);
    if (!result.empty()) {
        const char last = result.back();
        if (style == TPathStyle::psWindows) {
            const bool driveLetter = result.size() == 1 &&
                                     ((last >= 'A' && last <= 'Z') || (last >= 'a' && last <= 'z'));
            if (driveLetter)
                result += ":\\";
            else if (last != ':' && last != '\\')
                result += '\\';
        } else if (last != '/') {
            result += '/';
        }
    }
    result += name;
    return result;
}

bool DirExists(const std::string& path)
{
    auto attributes = SystemPlatform().FileAttributes(path);
    return attributes && (*attributes & kFileAttributeDirectory) != 0;
}

std::string FileNamePart(std::string_view path, TPathStyle style)
{
    const auto slash = path.find_last_of(style == TPathStyle::psWindows ? "\\/:" : "/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool FileExists(const std::string& path)
{
    auto attributes = SystemPlatform().FileAttributes(path);
    return attributes && (*attributes & kFileAttributeDirectory) == 0;
}

bool IsReadOnly(const std::string& path)
{
    auto attributes = SystemPlatform().FileAttributes(path);
    return attributes && (*attributes & kFileAttributeReadOnly) != 0;
}

std::optional<TFileStamp> FileStampOf(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path file(path);
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return std::nullopt;
    const auto changed = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    return TFileStamp{size, static_cast<std::int64_t>(changed.time_since_epoch().count())};
}

} // namespace zelmaro
