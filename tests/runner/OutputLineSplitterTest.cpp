#include "runner/OutputLineSplitter.h"

#include <gtest/gtest.h>

using namespace zelmaro;

namespace {

using Lines = std::vector<std::string>;

struct Result {
    Lines lines, calls;
};

// Splits output fed in pieces of pieceSize bytes (0: all at once).
Result Split(const std::string& output, std::size_t pieceSize = 0)
{
    Result result;
    TOutputLineSplitter splitter(
        &result.lines,
        [&](TProcessHandle, const std::string& line) { result.calls.push_back(line); }, 42);
    if (pieceSize == 0) {
        splitter.Feed(output);
    } else {
        for (std::size_t at = 0; at < output.size(); at += pieceSize)
            splitter.Feed(std::string_view(output).substr(at, pieceSize));
    }
    splitter.Finish();
    return result;
}

} // namespace

TEST(OutputLineSplitter, LineEnds)
{
    const std::string l256(256, 'a');
    const std::string l300 = std::string(256, 'b') + std::string(44, 'c');
    // clang-format off
    const struct { const char* what; std::string output; Lines lines; std::size_t calls; }
    cases[] = {
        {"CR LF", "abc\r\ndef\r\n", {"abc", "def", ""}, 3}, {"no line end", "abc", {"abc"}, 1},
        {"CR rewrites", "50%\r60%\r\ndone", {"60%", "done"}, 3},
        {"lone LF ends a line", "a\nb\n", {"a", "b", ""}, 3},
        {"LF without final end", "a\nb", {"a", "b"}, 2},
        {"LF after a rewrite", "50%\r60%\ndone", {"60%", "done"}, 3},
        {"empty output", "", {""}, 1}, {"empty lines", "\r\n\r\n", {"", "", ""}, 3},
        {"LF LF", "a\n\nb", {"a", "", "b"}, 3}, {"LF CR", "a\n\rb", {"a", "b"}, 3},
        {"CR at the end", "abc\r", {"abc"}, 1}, {"CR CR", "abc\r\rdef", {"def"}, 3},
        {"bytes stay bytes", std::string("\xe4\0\x7f", 3), {std::string("\xe4\0\x7f", 3)}, 1},
        {"full buffer", l256 + "\r\nnext", {l256, "next"}, 2},
        {"full buffer at the end", l256, {l256}, 1},
        {"long line in pieces", l300 + "\r\nx", {l300.substr(0, 256), l300.substr(256), "x"}, 3},
        {"long line with LF", l300 + "\n", {l300.substr(0, 256), l300.substr(256), ""}, 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        for (std::size_t piece : {0, 1, 2, 7}) {
            const Result result = Split(c.output, piece);
            EXPECT_EQ(result.lines, c.lines) << c.what << " in pieces of " << piece;
            EXPECT_EQ(result.calls.size(), c.calls) << c.what << " in pieces of " << piece;
        }
    }
}

TEST(OutputLineSplitter, ListFirstThenCallbackWithHandle)
{
    Lines lines{"kept"};
    using Seen = std::vector<std::pair<Lines, std::string>>;
    Seen seen;
    TOutputLineSplitter splitter(
        &lines,
        [&](TProcessHandle handle, const std::string& line) {
            EXPECT_EQ(handle, 7);
            seen.emplace_back(lines, line);
        },
        7);
    splitter.Feed("1%\r2%\r\nok");
    splitter.Finish();
    EXPECT_EQ(lines, (Lines{"kept", "2%", "ok"}));
    EXPECT_EQ(seen,
              (Seen{{{"kept", "1%"}, "1%"}, {{"kept", "2%"}, "2%"}, {{"kept", "2%", "ok"}, "ok"}}));
}

TEST(OutputLineSplitter, WithoutListOrCallback)
{
    Lines calls;
    TOutputLineSplitter onlyCallback(
        nullptr, [&](TProcessHandle, const std::string& line) { calls.push_back(line); }, 1);
    onlyCallback.Feed("a\r\nb");
    onlyCallback.Finish();
    EXPECT_EQ(calls, (Lines{"a", "b"}));

    TOutputLineSplitter neither(nullptr, {}, 1);
    neither.Feed("a\r\nb\rc");
    neither.Finish();
}
