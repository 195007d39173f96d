#include "platform/DirectoryLock.h"

#include <windows.h>

namespace zelmaro {

TDirectoryLock::TDirectoryLock(const std::string& directory)
    : FPath(directory + (directory.ends_with('\\') || directory.ends_with('/') ? "" : "\\") +
            kFileName)
{
    // Removed when the last handle closes; while that is pending, or another
    // writer has it open, opening it fails.
    const HANDLE file = ::CreateFileA(FPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const bool exists = ::GetFileAttributesA(FPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && exists))
            FState = TState::lsBusy;
        return;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            FState = TState::lsBusy;
        return;
    }
    FHandle = reinterpret_cast<std::intptr_t>(file);
    FState = TState::lsHeld;
}

TDirectoryLock::~TDirectoryLock()
{
    if (FState == TState::lsHeld)
        ::CloseHandle(reinterpret_cast<HANDLE>(FHandle)); // unlocks and removes it
}

} // namespace zelmaro
