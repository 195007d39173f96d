#include "app/FileLbl.h"

#include "support/Paths.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelmaro {
namespace {

// Every character is 7 pixels wide; counts the widths and the fonts it is asked.
struct TSevenPixelMeasure final : TTextMeasure {
    TSevenPixelMeasure(int& calls, int& fontChanges) : Calls(calls), FontChanges(fontChanges) {}
    int TextWidth(std::string_view text) const override
    {
        ++Calls;
        return 7 * static_cast<int>(text.size());
    }
    void SetFont(const QFont&) override { ++FontChanges; }
    int& Calls;
    int& FontChanges;
};

class FileLblTest : public ::testing::Test {
protected:
    // A label with the 7-pixel measure, "\" as separator, the given width.
    std::unique_ptr<TFileStaticText> MakeLabel(int width,
                                               TDirection direction = TDirection::drFromLeft)
    {
        auto label = std::make_unique<TFileStaticText>();
        label->SetTextMeasure(std::make_unique<TSevenPixelMeasure>(calls_, fontChanges_));
        label->SetSeparator("\\");
        label->SetDirection(direction);
        label->resize(width, 20);
        return label;
    }

    std::string Fit(const std::string& path, int width, TDirection direction)
    {
        auto label = MakeLabel(width, direction);
        label->SetFileName(path);
        EXPECT_EQ(label->text().toStdString(), label->Caption());
        return label->Caption();
    }

    int calls_ = 0;
    int fontChanges_ = 0;
};

TEST_F(FileLblTest, SevenPixelTableAtEveryBound)
{
    const std::string path = "C:\\Bilder\\2009\\Urlaub\\IMG_0001.JPG";
    struct Row {
        int width;
        std::string fromLeft;
        std::string fromRight;
    };
    const Row rows[] = {
        {300, path, path},
        {238, path, path},
        {237, "C:\\...\\2009\\Urlaub\\IMG_0001.JPG", "C:\\Bilder\\2009\\...\\IMG_0001.JPG"},
        {217, "C:\\...\\2009\\Urlaub\\IMG_0001.JPG", "C:\\Bilder\\2009\\...\\IMG_0001.JPG"},
        {216, "C:\\...\\Urlaub\\IMG_0001.JPG", "C:\\Bilder\\...\\IMG_0001.JPG"},
        {182, "C:\\...\\Urlaub\\IMG_0001.JPG", "C:\\Bilder\\...\\IMG_0001.JPG"},
        {181, "C:\\...\\IMG_0001.JPG", "C:\\...\\IMG_0001.JPG"},
        {134, "C:\\...\\IMG_0001.JPG", "C:\\...\\IMG_0001.JPG"},
        {133, "...\\IMG_0001.JPG", "...\\IMG_0001.JPG"},
        {113, "...\\IMG_0001.JPG", "...\\IMG_0001.JPG"},
        {112, "IMG_0001.JPG", "IMG_0001.JPG"},
        {40, "IMG_0001.JPG", "IMG_0001.JPG"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("width " + std::to_string(row.width));
        EXPECT_EQ(Fit(path, row.width, TDirection::drFromLeft), row.fromLeft);
        EXPECT_EQ(Fit(path, row.width, TDirection::drFromRight), row.fromRight);
    }
}

TEST_F(FileLblTest, ShortenedPathsWithoutDriveOrWithEmptyParts)
{
    struct Case {
        const char* label;
        std::string path;
        int width;
        std::string fromLeft;
        std::string fromRight;
    };
    const Case cases[] = {
        // Leading separators give empty parts, which are candidates like any other.
        {"UNC path", "\\\\Server\\Bilder\\a.jpg", 139, "...\\Bilder\\a.jpg",
         "\\\\Server\\...\\a.jpg"},
        // A trailing separator leaves an empty file name.
        {"trailing separator", "C:\\Bilder\\2009\\", 100, "C:\\...\\2009\\", "C:\\Bilder\\...\\"},
        // A first part of one character is no drive and may be left out.
        {"one-letter first part", "C\\Bilder\\IMG_0001.JPG", 140, "...\\IMG_0001.JPG",
         "C\\...\\IMG_0001.JPG"},
        {"drive kept", "C:\\Bilder\\IMG_0001.JPG", 140, "C:\\...\\IMG_0001.JPG",
         "C:\\...\\IMG_0001.JPG"},
        {"bare name too wide stays whole", "IMG_0001_SEHR_LANG.JPG", 50, "IMG_0001_SEHR_LANG.JPG",
         "IMG_0001_SEHR_LANG.JPG"},
        {"empty name", "", 10, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Fit(c.path, c.width, TDirection::drFromLeft), c.fromLeft);
        EXPECT_EQ(Fit(c.path, c.width, TDirection::drFromRight), c.fromRight);
    }
}

TEST_F(FileLblTest, SplitAtSeparatorKeepsEmptyParts)
{
    using Parts = std::vector<std::string>;
    struct Case {
        std::string text;
        std::string separator;
        Parts parts;
    };
    const Case cases[] = {
        {"C:\\Bilder\\IMG_1.JPG", "\\", {"C:", "Bilder", "IMG_1.JPG"}},
        {"IMG_1.JPG", "\\", {"IMG_1.JPG"}},
        {"C:\\Bilder\\", "\\", {"C:", "Bilder", ""}},
        {"\\\\Server\\Bilder\\a.jpg", "\\", {"", "", "Server", "Bilder", "a.jpg"}},
        {"a\\b", "", {"a\\b"}},
        {"", "/", {""}},
        {"a::b:c::", "::", {"a", "b:c", ""}},
        {"/home/anna/x.jpg", "/", {"", "home", "anna", "x.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " at " + c.separator);
        Parts parts;
        SplitAtSeparator(c.text, c.separator, parts);
        EXPECT_EQ(parts, c.parts);
    }
}

TEST_F(FileLblTest, DriveIsAFirstPartOfTwoOrMoreCharactersEndingInColon)
{
    struct Case {
        std::string path;
        bool drive;
    };
    const Case cases[] = {
        {"C:\\a.jpg", true}, {"ab:\\a.jpg", true}, {"C\\a.jpg", false}, {":\\a.jpg", false},
        {"\\a.jpg", false},  {"a.jpg", false},     {"", false},
    };
    auto label = MakeLabel(100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        label->SetFileName(c.path);
        EXPECT_EQ(label->HasDrive(), c.drive);
    }
}

TEST_F(FileLblTest, DefaultsFollowTheSystem)
{
    TFileStaticText label;
    EXPECT_EQ(label.Separator(), std::string(1, kPathDelimiter));
    EXPECT_EQ(label.Direction(), TDirection::drFromLeft);
    EXPECT_TRUE(label.FileName().empty());
    EXPECT_TRUE(label.text().isEmpty());
}

TEST_F(FileLblTest, SeparatorAndDirectionChangesRefit)
{
    auto label = MakeLabel(182);
    label->SetFileName("C:/Bilder/2009/Urlaub/IMG_0001.JPG");
    EXPECT_EQ(label->Parts().size(), 1U);
    EXPECT_EQ(label->Caption(), "C:/Bilder/2009/Urlaub/IMG_0001.JPG");

    label->SetSeparator("/");
    EXPECT_EQ(label->Parts().size(), 5U);
    EXPECT_EQ(label->Caption(), "C:/.../Urlaub/IMG_0001.JPG");

    label->SetDirection(TDirection::drFromRight);
    EXPECT_EQ(label->Caption(), "C:/Bilder/.../IMG_0001.JPG");
}

TEST_F(FileLblTest, MeasuresAgainOnlyWhenSomethingChanged)
{
    auto label = MakeLabel(182);
    label->show();
    label->SetFileName("C:\\Bilder\\2009\\Urlaub\\IMG_0001.JPG");
    ASSERT_GT(calls_, 0);

    calls_ = 0;
    label->SetFileName("C:\\Bilder\\2009\\Urlaub\\IMG_0001.JPG");
    label->SetSeparator("\\");
    label->SetDirection(TDirection::drFromLeft);
    EXPECT_EQ(calls_, 0);

    label->SetFileName("c:\\Bilder\\2009\\Urlaub\\IMG_0001.JPG"); // letter case counts
    EXPECT_GT(calls_, 0);

    calls_ = 0;
    label->resize(238, 20);
    EXPECT_GT(calls_, 0);
    EXPECT_EQ(label->Caption(), "c:\\Bilder\\2009\\Urlaub\\IMG_0001.JPG");

    calls_ = 0;
    const int before = fontChanges_;
    QFont bigger = label->font();
    bigger.setPixelSize(30);
    label->setFont(bigger);
    EXPECT_GT(fontChanges_, before);
    EXPECT_GT(calls_, 0);
}

TEST_F(FileLblTest, RealFontFitsTheLabelAndFollowsItsFont)
{
    TFileStaticText label;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    label.setFont(font);
    label.setGeometry(0, 0, 200, 20);
    label.show();

    const std::string path = "/home/anna/Bilder/2009/Urlaub/IMG_0001.JPG";
    label.SetFileName(path);
    const std::string small = label.Caption();
    EXPECT_NE(small, path);
    EXPECT_EQ(small.rfind(".../", 0), 0U) << small; // no drive on POSIX
    EXPECT_GT(small.size(), std::string(".../IMG_0001.JPG").size()) << small;
    EXPECT_EQ(small.substr(small.size() - 13), "/IMG_0001.JPG");
    EXPECT_LE(QFontMetrics(font, &label).horizontalAdvance(QString::fromStdString(small)),
              label.width());

    font.setPixelSize(20);
    label.setFont(font);
    const std::string large = label.Caption();
    EXPECT_LT(large.size(), small.size());
    EXPECT_LE(QFontMetrics(font, &label).horizontalAdvance(QString::fromStdString(large)),
              label.width());

    label.resize(2000, 20);
    EXPECT_EQ(label.Caption(), path);
}

} // namespace
} // namespace zelmaro
