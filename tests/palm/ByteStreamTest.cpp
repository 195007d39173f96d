#include "palm/ByteStream.h"
#include "PalmTestSupport.h"
#include "palm/PalmString.h"

#include <gtest/gtest.h>

using namespace zelmaro;
using zelmaro::test::Bytes;

TEST(ByteStream, FixedWidthReadersAreLittleEndianAndShareTheirBytes)
{
    ByteStream s(Bytes({0x80, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0x41, 0x42, 0x43, 0x44,
                        0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(ReadInt8(s), -128);
    EXPECT_EQ(ReadUInt8(s), 128);
    EXPECT_EQ(ReadInt16(s), -1);
    EXPECT_EQ(ReadUInt16(s), 65535);
    EXPECT_EQ(ReadInt16(s), 0x1234);
    EXPECT_EQ(ReadUInt32(s), 0x44434241u);
    EXPECT_EQ(ReadInt32(s), -2);
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(ByteStream, ReadsPastTheEndDeliverWhatIsLeftAsLowBytes)
{
    ByteStream s(Bytes({0x01, 0x02, 0x03}));
    EXPECT_EQ(ReadUInt16(s), 0x0201);
    EXPECT_EQ(ReadUInt32(s), 0x03u); // one byte left, the rest read as zero
    EXPECT_EQ(s.Position(), 3u);
    EXPECT_EQ(ReadInt32(s), 0);
    EXPECT_EQ(ReadInt8(s), 0);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(s.Skip(10), 0u);

    ByteStream empty;
    EXPECT_EQ(ReadUInt16(empty), 0);
    EXPECT_EQ(empty.Position(), 0u);
}

TEST(ByteStream, FromFileReadsEveryByteAndNothingForAMissingFile)
{
    test::TempDir dir;
    const std::string bytes = Bytes({'a', 0, '\r', '\n', 0xFF, 'b'});
    std::optional<ByteStream> s = ByteStream::FromFile(dir.Write("f.dat", bytes));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->Size(), bytes.size());
    std::string back(bytes.size(), '?');
    s->Read(back.data(), back.size());
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(ByteStream::FromFile(dir.Path() + "/missing.dat"));
    EXPECT_FALSE(ByteStream::FromFile(dir.Dir("folder")));
}

TEST(PalmString, LengthForms)
{
    const struct {
        const char* what;
        std::string bytes;
        std::size_t length;   // of the result
        std::size_t consumed; // bytes read from the stream
    } cases[] = {
        {"empty", Bytes({0x00, 0x41}), 0, 1},
        {"one byte length", Bytes({0x03, 'a', 'b', 'c', 'd'}), 3, 4},
        {"longest one-byte length", "\xFE" + std::string(260, 'x'), 254, 255},
        {"escaped length", Bytes({0xFF, 0x00, 0x01}) + std::string(300, 'y'), 256, 259},
        {"escaped empty", Bytes({0xFF, 0x00, 0x00, 0x41}), 0, 3},
        {"escaped 0xFFFF is a length", Bytes({0xFF, 0xFF, 0xFF}) + std::string(65535, 'z'), 65535,
         65538},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ByteStream s(c.bytes);
        const std::string text = ReadPalmString(s);
        EXPECT_EQ(text.size(), c.length);
        EXPECT_EQ(s.Position(), c.consumed);
        EXPECT_EQ(text, c.bytes.substr(c.consumed - c.length, c.length));
    }
}

TEST(PalmString, CutShortItKeepsTheBytesThatExistAndTellsTheAnnouncedLength)
{
    ByteStream s(Bytes({0xFF, 0xFF, 0xFF, 'a', 'b'}));
    std::uint16_t announced = 0;
    EXPECT_EQ(ReadPalmString(s, &announced), "ab");
    EXPECT_EQ(announced, 65535);
    EXPECT_EQ(s.Position(), s.Size());

    ByteStream bytesOnly(Bytes({0x02, 0x00, 0xC4}));
    EXPECT_EQ(ReadPalmString(bytesOnly), Bytes({0x00, 0xC4})); // no conversion, NULs kept
}

TEST(PalmString, ComparedWithoutLetterCaseAsWindows1252HasIt)
{
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"J\xD6RG", "j\xF6rg", true},                   // JÖRG, jörg
        {"J\xF6rg", "J\xFCrg", false},                  // Jörg, Jürg
        {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", true}, // ŠŒŽŸ, šœžÿ
        {"\xD7", "\xF7", false},                        // × and ÷ are no letters
        {"Anna", "Ann", false},
        {"", "", true},
    };
    for (const auto& [a, b, same] : cases)
        EXPECT_EQ(SamePalmText(a, b), same) << Cp1252ToUtf8(a) << " " << Cp1252ToUtf8(b);
}

TEST(SwapBytes32, ReversesTheByteOrder)
{
    static_assert(SwapBytes32(0x44434241u) == 0x41424344u);
    EXPECT_EQ(SwapBytes32(0x12345678u), 0x78563412u);
    EXPECT_EQ(SwapBytes32(0xFF000080u), 0x800000FFu);
    EXPECT_EQ(SwapBytes32(SwapBytes32(0xCAFEBABEu)), 0xCAFEBABEu);
}
