#include "runner/ExeImage.h"
#include "common/Expect.h"
#include "common/TempDir.h"
#include "runner/ExeImages.h"
#include "runner/RunnerErrors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

TExeImageInfo Check(const std::string& image)
{
    std::istringstream stream(image);
    return GetExeImageKind(stream);
}

} // namespace

TEST(GetExeImageKind, KindsAndSubsystems)
{
    constexpr std::uint16_t kExecutable = 0x0102;
    std::string foreignSignature = Pe(kExecutable, 3);
    foreignSignature[kNewHeader + 2] = 'x'; // only the low word counts
    using enum TExeImageKind;
    // clang-format off
    const struct { const char* what; std::string image; TExeImageKind kind; int subsystem; }
    cases[] = {
        {"PE console", Pe(kExecutable, 3), ikWin32, 3},
        {"PE graphical", Pe(kExecutable, 2), ikWin32, 2},
        {"PE with more signature bytes", foreignSignature, ikWin32, 3},
        {"PE library", Pe(kExecutable | 0x2000, 3), ikDll, 0},
        {"PE library without optional header", Pe(kExecutable | 0x2000, 3, kNewHeader + 24),
         ikDll, 0},
        {"NE OS/2", Ne(1), ikOS2, 0}, {"NE Windows", Ne(2), ikWin16, 0},
        {"NE other", Ne(4), ikNE, 0}, {"NE unknown", Ne(0), ikNE, 0},
        {"LE", Signed("LE"), ikLE, 0},
        {"LE with nothing after", Signed("LE", kNewHeader + 4), ikLE, 0},
        {"MZ of another kind", Signed("ZM"), ikDos, 0},
        {"MZ pointing past the end", Mz(0x10000, 64), ikDos, 0},
        {"MZ pointing far past the end", Mz(0xFFFFFFFF, 64), ikDos, 0},
        {"signature cut short", Signed("PE", kNewHeader + 2), ikDos, 0},
        {"MZ only", Mz(0, 64), ikDos, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        const TExeImageInfo info = Check(c.image);
        EXPECT_EQ(info.Kind, c.kind) << c.what;
        EXPECT_EQ(info.Subsystem, c.subsystem) << c.what;
    }
}

TEST(GetExeImageKind, RefusedImages)
{
    const std::string beyondEnd = "Versuch hinter dem Dateiende zu lesen";
    const std::string notMz = "ZM" + std::string(62, '\0');
    // clang-format off
    const struct { const char* what; std::string image, message; } cases[] = {
        {"not MZ", notMz, "Dos signature not present"},
        {"text", std::string(100, 'a'), "Dos signature not present"},
        {"shorter than 64 bytes", Mz(0, 63), beyondEnd},
        {"empty", "", beyondEnd},
        {"PE without executable flag", Pe(0x0100, 3), "File is not executable"},
        {"PE file header cut short", Pe(0x0102, 3, kNewHeader + 20), beyondEnd},
        {"PE optional header cut short", Pe(0x0102, 3, kNewHeader + 24 + 223), beyondEnd},
        {"NE without target byte", Ne(1, kNewHeader + 0x36), beyondEnd},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(MessageOf<EInOutError>([&] { Check(c.image); }), c.message) << c.what;
}

TEST(GetExeImageKind, ReadsFiles)
{
    const test::TTempDir dir;
    const std::string path = dir.Write("image.exe", Pe(0x0102, 3));
    const TExeImageInfo info = GetExeImageKind(path);
    EXPECT_EQ(info.Kind, TExeImageKind::ikWin32);
    EXPECT_EQ(info.Subsystem, 3);
    std::filesystem::remove(path);

    EXPECT_EQ(MessageOf<EInOutError>([&] { GetExeImageKind(path); }), "Datei nicht gefunden");
}
