#include "platform/DirectoryScan.h"
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <vector>

namespace zelmaro {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::optional<TLocalTime> ToLocalTime(const struct timespec& moment)
{
    std::tm fields{};
    const std::time_t seconds = moment.tv_sec;
    if (::localtime_r(&seconds, &fields) == nullptr)
        return std::nullopt;
    return TLocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                      fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

// Birth time where the file system keeps one, else the last status change.
struct timespec CreationTime(int dirFd, const char* name, const struct stat& st)
{
#ifdef STATX_BTIME
    struct statx sx {};
    if (::statx(dirFd, name, AT_STATX_SYNC_AS_STAT, STATX_BTIME, &sx) == 0 &&
        (sx.stx_mask & STATX_BTIME) != 0)
        return {static_cast<std::time_t>(sx.stx_btime.tv_sec), sx.stx_btime.tv_nsec};
#else
    (void)dirFd;
    (void)name;
#endif
    return st.st_ctim;
}

} // namespace

bool ScanDirectory(const std::string& dir, bool withDetails,
                   const std::function<bool(const TDirEntry&)>& visit)
{
    if (dir.empty())
        return false;
    std::unique_ptr<DIR, DirCloser> handle(::opendir(dir.c_str()));
    if (!handle)
        return false;
    const int dirFd = ::dirfd(handle.get());
    TDirEntry entry;
    while (const struct dirent* item = ::readdir(handle.get())) {
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entry = TDirEntry{};
        entry.Name = name;

        bool isDir = item->d_type == DT_DIR;
        struct stat st {};
        bool haveStat = false;
        if (withDetails || item->d_type == DT_UNKNOWN || item->d_type == DT_LNK) {
            haveStat = ::fstatat(dirFd, name, &st, 0) == 0;
            // A dangling link is still an entry: report the link itself.
            if (!haveStat && ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            haveStat = true;
            isDir = S_ISDIR(st.st_mode);
            entry.IsLink = item->d_type == DT_LNK;
            if (item->d_type == DT_UNKNOWN) {
                struct stat linkSt {};
                entry.IsLink = ::fstatat(dirFd, name, &linkSt, AT_SYMLINK_NOFOLLOW) == 0 &&
                               S_ISLNK(linkSt.st_mode);
            }
        }

        std::uint32_t attributes = 0;
        if (isDir)
            attributes |= kFileAttributeDirectory;
        if (name[0] == '.')
            attributes |= kFileAttributeHidden;
        if (withDetails && haveStat) {
            if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
                attributes |= kFileAttributeReadOnly;
            entry.Size = isDir ? 0 : static_cast<std::uint64_t>(st.st_size);
            entry.Created = ToLocalTime(CreationTime(dirFd, name, st));
            entry.Accessed = ToLocalTime(st.st_atim);
            entry.Modified = ToLocalTime(st.st_mtim);
        }
        entry.Attributes = attributes == 0 ? kFileAttributeNormal : attributes;
        if (!visit(entry))
            break;
    }
    return true;
}

std::string CurrentDirectory()
{
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    // Not waiting, should the file have been swapped for a FIFO meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.emplace();
        std::vector<char> buffer(65536);
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                bytes.reset();
                break;
            }
            if (n == 0)
                break;
            bytes->append(buffer.data(), static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return bytes;
}

} // namespace zelmaro
