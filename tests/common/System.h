#pragma once

// For the cases that are one system's: they compile everywhere and report
// themselves skipped elsewhere (GTEST_SKIP), so both systems list every case.

namespace zelmaro::test {

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

} // namespace zelmaro::test
