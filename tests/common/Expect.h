#pragma once

// Small checks that several suites make.

#include <string>

namespace zelmaro::test {

// The message of the Error that call throws, or "(no error)" when it returns.
template <typename Error, typename Call> std::string MessageOf(Call&& call)
{
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace zelmaro::test
