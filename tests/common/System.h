#pragma once

// What the tests need to know of the system they run on, and environment
// variables set for one test.

#include <optional>
#include <string>

namespace zelmaro::test {

// For the cases that are one system's: they compile everywhere and report
// themselves skipped elsewhere (GTEST_SKIP), so both systems list every case.
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// True for the Windows build running under wine.
bool RunningUnderWine();

// Sets an environment variable (nullptr removes it) and puts back what was
// there when it goes.
class TScopedEnv {
public:
    TScopedEnv(std::string name, const char* value);
    ~TScopedEnv();
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

    void Set(const char* value) const;

private:
    std::string FName;
    std::optional<std::string> FSaved;
};

} // namespace zelmaro::test
