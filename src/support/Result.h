#pragma once

#include <optional>
#include <string>
#include <utility>

namespace zelmaro {

// Why a reading gave nothing: the message for the user, in their words.
struct TFailure {
    std::string Message;
};

inline TFailure Fail(std::string message)
{
    return {std::move(message)};
}

// What a reader of user input (a log, a Palm file, an image's data, the
// command line) gives back: the value, or the message that says why there
// is none. Readers answer with it instead of throwing or out-parameters.
template <class T> class TResult {
public:
    TResult(T value) : FValue(std::move(value)) {}
    TResult(TFailure failure) : FError(std::move(failure.Message)) {}

    bool Ok() const { return FValue.has_value(); }
    explicit operator bool() const { return Ok(); }
    const T& operator*() const& { return *FValue; }
    T& operator*() & { return *FValue; }
    T&& operator*() && { return std::move(*FValue); }
    const T* operator->() const { return &*FValue; }
    T* operator->() { return &*FValue; }
    // Empty when Ok.
    const std::string& Error() const { return FError; }

private:
    std::optional<T> FValue;
    std::string FError;
};

// What a reader that fills an object in place answers: done, or the message
// why not.
template <> class TResult<void> {
public:
    TResult() = default;
    TResult(TFailure failure) : FError(std::move(failure.Message)), FFailed(true) {}

    bool Ok() const { return !FFailed; }
    explicit operator bool() const { return Ok(); }
    // Empty when Ok.
    const std::string& Error() const { return FError; }

private:
    std::string FError;
    bool FFailed = false;
};

} // namespace zelmaro
