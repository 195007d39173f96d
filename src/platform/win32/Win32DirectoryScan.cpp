#include "platform/DirectoryScan.h"

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace zelmaro {

namespace {

struct FindCloser {
    void operator()(HANDLE handle) const { ::FindClose(handle); }
};
using FindHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

// Local time at the 2-second resolution of a DOS time stamp; nullopt outside
// the DOS years, as for the zero time a file system leaves unset.
std::optional<TLocalTime> ToLocalDosTime(const FILETIME& moment)
{
    FILETIME local{};
    WORD date = 0;
    WORD time = 0;
    if (!::FileTimeToLocalFileTime(&moment, &local) ||
        !::FileTimeToDosDateTime(&local, &date, &time))
        return std::nullopt;
    return TLocalTime{1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
                      time >> 11,         (time >> 5) & 0x3F, (time & 0x1F) * 2};
}

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool ScanDirectory(const std::string& dir, bool withDetails,
                   const std::function<bool(const TDirEntry&)>& visit)
{
    if (dir.empty())
        return false;
    std::string pattern = dir;
    if (pattern.back() != '\\' && pattern.back() != '/')
        pattern += '\\';
    pattern += '*';

    WIN32_FIND_DATAA data{};
    FindHandle handle(::FindFirstFileA(pattern.c_str(), &data));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        handle.release();
        // A drive root without entries lists as empty; anything else cannot be opened.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    TDirEntry entry;
    do {
        if (IsDotOrDotDot(data.cFileName))
            continue;
        entry = TDirEntry{};
        entry.Name = data.cFileName;
        entry.Attributes = data.dwFileAttributes;
        const bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // Junctions and directory links would lead a recursive walk in circles.
        entry.IsLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (withDetails) {
            entry.ShortName = data.cAlternateFileName;
            entry.Size =
                isDir ? 0
                      : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            entry.Created = ToLocalDosTime(data.ftCreationTime);
            entry.Accessed = ToLocalDosTime(data.ftLastAccessTime);
            entry.Modified = ToLocalDosTime(data.ftLastWriteTime);
        }
        if (!visit(entry))
            break;
    } while (::FindNextFileA(handle.get(), &data));
    return true;
}

std::string CurrentDirectory()
{
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length =
            ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<std::string> bytes;
    // Only a file on a disk: a pipe or the console could block.
    if (::GetFileType(file) == FILE_TYPE_DISK) {
        bytes.emplace();
        std::vector<char> buffer(65536);
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
                bytes.reset();
                break;
            }
            if (n == 0)
                break;
            bytes->append(buffer.data(), n);
        }
    }
    ::CloseHandle(file);
    return bytes;
}

} // namespace zelmaro
