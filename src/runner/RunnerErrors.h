#pragma once

#include <stdexcept>
#include <string>

namespace zelmaro {

// A file the runner cannot use: bad extension, not found, unreadable or of
// an image kind it does not run.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A system call of the runner failed; carries the system's error code.
class EOSError : public std::runtime_error {
public:
    EOSError(int errorCode, const std::string& message)
        : std::runtime_error(message), errorCode_(errorCode)
    {
    }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

} // namespace zelmaro
