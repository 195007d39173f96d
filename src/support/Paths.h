#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelmaro {

// Path flavours: Windows ("\" with drive letters) and POSIX ("/").
enum class TPathStyle { psWindows, psPosix };

#ifdef _WIN32
inline constexpr TPathStyle kNativePathStyle = TPathStyle::psWindows;
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr TPathStyle kNativePathStyle = TPathStyle::psPosix;
inline constexpr char kPathDelimiter = '/';
#endif

// The directory with a separator made sure, then the name unchanged.
// Windows: "" -> name; ends in ":" or "\" -> nothing added; a lone drive
// letter gets ":\"; else "\". POSIX: "" -> name; ends in "/" -> nothing added;
// else "/".
std::string JoinPath(std::string_view directory, std::string_view name,
                     TPathStyle style = kNativePathStyle);

// What follows the path's last separator (or drive colon on Windows).
std::string FileNamePart(std::string_view path, TPathStyle style = kNativePathStyle);

// True when the path names an existing directory; false otherwise, also for "".
bool DirExists(const std::string& path);

// True when the path names an existing file (not a directory).
bool FileExists(const std::string& path);

// True when the file or directory exists but the user may not change it.
bool IsReadOnly(const std::string& path);

// A file's size and last change, which any rewrite or replacement moves.
struct TFileStamp {
    std::uintmax_t Size = 0;
    std::int64_t Changed = 0; // in the file system's own ticks
    bool operator==(const TFileStamp&) const = default;
};
// The stamp of the file at path; nullopt where there is none to be had.
std::optional<TFileStamp> FileStampOf(const std::string& path);

} // namespace zelmaro
