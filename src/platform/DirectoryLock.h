#pragma once

#include <cstdint>
#include <string>

namespace zelmaro {

// The advisory lock that one writer at a time holds on a directory, across
// processes: the hidden file ".zelmaro.lock" in that directory, locked
// (flock, LockFileEx) and removed again on release. Readers take none.
class TDirectoryLock {
public:
    enum class TState {
        lsHeld,        // this object holds the lock until it is destroyed
        lsBusy,        // another writer holds it
        lsUnavailable, // no lock can be had: the directory is not writable,
                       // or its file system keeps no locks
    };

    // Tries once to take the lock of directory.
    explicit TDirectoryLock(const std::string& directory);
    ~TDirectoryLock();
    TDirectoryLock(const TDirectoryLock&) = delete;
    TDirectoryLock& operator=(const TDirectoryLock&) = delete;

    TState State() const { return FState; }

    static constexpr const char* kFileName = ".zelmaro.lock";

private:
    std::string FPath;
    std::intptr_t FHandle = -1;
    TState FState = TState::lsUnavailable;
};

} // namespace zelmaro
