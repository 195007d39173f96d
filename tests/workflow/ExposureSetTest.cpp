#include "workflow/ExposureSet.h"
#include "ScanRig.h"
#include "workflow/WriteBack.h"

#include <gtest/gtest.h>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

const std::uint32_t kShot = Moment(2023, 10, 14, 21, 3, 0);

TShotItem FullShot()
{
    return {kShot, 30, "07.jpg", 7, 5.6, 400, 50.5, "Summicron 50"};
}

} // namespace

TEST(ExposureSet, TheSetIsParsedBesideDateAndExposureByItsWholeTagName)
{
    const FormatSettings german = FormatSettings::German();
    const TImageData data =
        ParseImageData({"Create Date                     : 2008:01:05 21:03:07",
                        "Exposure Time                   : 1/250", "F Number : 5.6", "ISO : 400",
                        "Focal Length : 50.0 mm", "Lens Model : Exposure Time 2",
                        "Date/Time Original : 2023:10:14 21:03:00"},
                       german);
    EXPECT_EQ(data.Date, Moment(2008, 1, 5, 21, 3, 7));
    EXPECT_DOUBLE_EQ(data.ExposureTime, 0.004);
    EXPECT_EQ(data.Values.Aperture, 5.6);
    EXPECT_EQ(data.Values.ISO, 400u);
    EXPECT_EQ(data.Values.FocalLength, 50.0);
    EXPECT_EQ(data.Values.Lens, "Exposure Time 2");
    EXPECT_EQ(data.Values.ShotDate, kShot);
    // Values that are none read as none; a broken original date is no error.
    const TImageData none = ParseImageData(
        {"F Number : 0", "ISO : x", "Focal Length : ", "Date/Time Original : 20x3:10:14 21:03:00"},
        german);
    EXPECT_FALSE(none.Values.Aperture || none.Values.ISO || none.Values.FocalLength);
    EXPECT_EQ(none.Values.ShotDate, 0u);
}

TEST(ExposureSet, ArgumentsGoBeforeThePathInTheToolsForm)
{
    const FormatSettings german = FormatSettings::German();
    const auto exposure = ExposureWriteArguments(30, "/d/07.jpg", german);
    EXPECT_EQ(WithSetArguments(exposure, {}, german), exposure);
    struct Case {
        bool filmScan;
        std::vector<std::string> arguments;
    } cases[] = {
        {false,
         {"-ExposureTime=30", "-ShutterSpeedValue=30", "-FNumber=5.6", "-ApertureValue=5.6",
          "-ISO=400", "-FocalLength=50.5", "-LensModel=Summicron 50", "-P", "/d/07.jpg"}},
        {true,
         {"-ExposureTime=30", "-ShutterSpeedValue=30", "-FNumber=5.6", "-ApertureValue=5.6",
          "-ISO=400", "-FocalLength=50.5", "-LensModel=Summicron 50",
          "-DateTimeOriginal=2023:10:14 21:03:00", "-P", "/d/07.jpg"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithSetArguments(exposure, LoggedValues(FullShot(), c.filmScan), german),
                  c.arguments);
    EXPECT_FALSE(HasValues(LoggedValues({kShot, 30}, false)));
    EXPECT_TRUE(HasValues(LoggedValues({kShot, 30}, true)));
}

TEST(ExposureSet, EveryValueThatDiffersIsNamedForTheRowAndTheReport)
{
    const FormatSettings german = FormatSettings::German();
    TImageValues logged;
    logged.Aperture = 8;
    logged.ISO = 400;
    logged.Lens = "XF 35";
    logged.ShotDate = kShot;
    struct Case {
        TImageValues image;
        std::string differences, failures;
    } cases[] = {
        {{},
         "Blende 8 (Bild ohne), ISO 400 (Bild ohne), Objektiv \"XF 35\" (Bild ohne), "
         "Aufnahmezeit 14.10.2023 21:03:00 (Bild ohne)",
         "Die Datei enthält danach keinen Wert für Blende statt 8. Die Datei enthält danach "
         "keinen Wert für ISO statt 400. Die Datei enthält danach keinen Wert für Objektiv statt "
         "\"XF 35\". Die Datei enthält danach keinen Wert für Aufnahmezeit statt 14.10.2023 "
         "21:03:00."},
        {{5.6, 400, 35, "XF 35", kShot},
         "Blende 8 (Bild 5,6)",
         "Die Datei enthält danach Blende 5,6 statt 8."},
        // A rational of the tool agrees; a focal length nobody logged counts not.
        {{8.0000001, 400, 35, "XF 35", kShot}, "", ""},
        {{8, 100, {}, "xf 35", kShot + 60},
         "ISO 400 (Bild 100), Objektiv \"XF 35\" (Bild \"xf 35\"), "
         "Aufnahmezeit 14.10.2023 21:03:00 (Bild 14.10.2023 21:04:00)",
         "Die Datei enthält danach ISO 100 statt 400. Die Datei enthält danach Objektiv "
         "\"xf 35\" statt \"XF 35\". Die Datei enthält danach Aufnahmezeit 14.10.2023 21:04:00 "
         "statt 14.10.2023 21:03:00."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DifferencesText(logged, c.image, german), c.differences);
        EXPECT_EQ(ReadBackFailures(logged, c.image, german), c.failures);
        EXPECT_EQ(DifferingValues(logged, c.image).empty(), c.failures.empty());
    }
}

namespace {

// a.JPG holds the logged exposure time but none of the set; b.JPG another
// exposure time and the logged f-number.
struct SetRig : ::testing::Test, ScanRig {
    SetRig()
    {
        AddImageFile("a.JPG", "2023:10:14 21:03:00", "30");
        AddImageFile("b.JPG", "2023:10:14 21:04:00", "0.5");
        Tool->Output[Dir.File("b.JPG")].push_back("F Number : 8");
        Flow.AddShot({kShot, 30, "a.JPG", 1, 8, 400, {}, "Summicron 50"});
        Flow.AddShot({kShot + 60, 2, "b.JPG", 2, 8});
        Flow.ScanPictures(Dir.Path());
        Flow.MatchAll();
    }
    std::vector<bool> Checks() const
    {
        std::vector<bool> checks;
        for (const TMatchItem& item : Flow.Matches())
            checks.push_back(item.Checked);
        return checks;
    }
};

} // namespace

TEST_F(SetRig, AnotherLoggedValueMakesARowToWriteOnlyWithTheWholeSet)
{
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true}));
    EXPECT_EQ(Tool->Calls[0].size(), 5u); // the scan reads what it read before
    // Read without the set, the images are read again with it.
    ASSERT_TRUE(Flow.SetWriteAll(true));
    Tool->Calls.clear();
    Flow.ReadPicturesAgain();
    ASSERT_FALSE(Tool->Calls.empty());
    EXPECT_EQ(std::vector<std::string>(Tool->Calls[0].end() - 5, Tool->Calls[0].end()),
              SetReadTags());
    EXPECT_FALSE(Flow.SetWriteAll(true));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true}));
    EXPECT_EQ(Flow.CheckReason(Flow.Matches()[0]),
              "Zeit gleich, Verschlusszeit gleich, abweichend: Blende 8 (Bild ohne), ISO 400 "
              "(Bild ohne), Objektiv \"Summicron 50\" (Bild ohne) – wird eingetragen");
    EXPECT_NE(Flow.WriteArgumentFile().find("-ISO=400\n-LensModel=Summicron 50\n-P\n"),
              std::string::npos);

    Flow.WriteExposureTimes();
    EXPECT_EQ(Flow.LastWrite().Written, (std::vector<std::string>{"a.JPG", "b.JPG"}));
    EXPECT_TRUE(Flow.LastWrite().Failed.empty());
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false}));
    EXPECT_EQ(Flow.Matches()[0].Image->Values.Lens, "Summicron 50");

    // Nothing is left to write, and without the set nothing was.
    Flow.SetWriteAll(false);
    EXPECT_FALSE(Flow.HasRowsToWrite());
}

TEST_F(SetRig, AValueTheFileDidNotTakeIsReportedAndTheRowStaysToWrite)
{
    Flow.SetWriteAll(true);
    Flow.ReadPicturesAgain();
    Tool->RefusedTags = {"LensModel"};
    Flow.WriteExposureTimes();
    ASSERT_EQ(Flow.LastWrite().Failed.size(), 1u);
    EXPECT_EQ(Flow.LastWrite().Failed[0].FileName, "a.JPG");
    EXPECT_EQ(Flow.LastWrite().Failed[0].Reason,
              "Die Datei enthält danach keinen Wert für Objektiv statt \"Summicron 50\".");
    EXPECT_EQ(Host.WriteFailures.size(), 1u);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false}));
}

TEST_F(SetRig, FilmScansTakeTheLoggedMomentAndKeepTheirPlaceInTheList)
{
    Flow.SetAlignment(TRowAlignment::alFrame);
    Flow.SetWriteAll(true);
    Flow.ReadPicturesAgain();
    const std::uint32_t scanned = Flow.Matches()[1].Image->Date;
    Flow.WriteExposureTimes();
    EXPECT_EQ(Flow.LastWrite().Written.size(), 2u);
    const auto writes = Tool->WriteCalls();
    ASSERT_FALSE(writes.empty());
    EXPECT_NE(
        std::find(writes[0].begin(), writes[0].end(), "-DateTimeOriginal=2023:10:14 21:03:00"),
        writes[0].end());
    // The date the list is keyed by is the file's creation date, which stays.
    const TImageItem* b = Flow.Matches()[1].Image;
    EXPECT_EQ(b->Date, scanned);
    EXPECT_EQ(b->Values.ShotDate, kShot + 60);
    std::vector<const TImageItem*> listed;
    for (const TImageItem& image : Flow.Images())
        listed.push_back(&image);
    EXPECT_EQ(listed, (std::vector<const TImageItem*>{Flow.Matches()[0].Image, b}));
    EXPECT_FALSE(Flow.HasRowsToWrite());

    // A second run finds everything written and changes nothing.
    Tool->Calls.clear();
    Flow.ReadPicturesAgain();
    EXPECT_FALSE(Flow.HasRowsToWrite());
    Flow.WriteExposureTimes();
    EXPECT_TRUE(Tool->WriteCalls().empty());
    EXPECT_TRUE(Flow.LastWrite().Failed.empty());
}
