#include "platform/DirectoryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zelmaro {

TDirectoryLock::TDirectoryLock(const std::string& directory)
    : FPath(directory + (directory.ends_with('/') ? "" : "/") + kFileName)
{
    // A holder removes the file on release, so a lock taken on a file that is
    // no longer the one under its name is taken again on the new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        // Left by another user's run that died: a lock needs no write access.
        if (fd < 0 && errno == EACCES)
            fd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return; // unavailable: nobody can create files there through us either
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK || error == EINTR)
                FState = TState::lsBusy;
            return;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::lstat(FPath.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            FHandle = fd;
            FState = TState::lsHeld;
            return;
        }
        ::close(fd);
    }
    FState = TState::lsBusy;
}

TDirectoryLock::~TDirectoryLock()
{
    if (FState != TState::lsHeld)
        return;
    ::unlink(FPath.c_str()); // while still held, so no one locks a file being removed
    ::close(static_cast<int>(FHandle));
}

} // namespace zelmaro
