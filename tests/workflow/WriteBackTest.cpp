#include "ScanRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using namespace zelmaro;
using namespace zelmaro::testing;

namespace {

const std::uint32_t kStart = Moment(2008, 1, 5, 21, 3, 7);

// Three images, each paired with a log entry at the same moment; the log's
// exposure times differ from the images' so that every row is checked.
struct WriteRig : ScanRig {
    WriteRig()
    {
        const char* names[] = {"a.JPG", "b.JPG", "c.JPG"};
        const char* stored[] = {"0.5", "1/250", "2"};
        const double logged[] = {30, 3.2, 1.0 / 3};
        for (int i = 0; i < 3; ++i) {
            AddImageFile(names[i], "2008:01:05 21:0" + std::to_string(3 + i) + ":07", stored[i]);
            Flow.AddShot({kStart + 60u * static_cast<unsigned>(i), logged[i]});
        }
        Flow.ScanPictures(Dir.Path());
        Flow.MatchAll();
        Host.Log.clear();
        Tool->Calls.clear();
    }
    std::string Exposures() const
    {
        std::string text;
        for (const TImageItem& image : Flow.Images())
            text += Flow.CellText(TMatchItem{&image}, 2) + "|";
        return text;
    }
};

} // namespace

TEST(ExposureValueText, DecimalPointWhateverTheUsersSeparator)
{
    struct Case {
        double value;
        const char* text;
    } cases[] = {{30, "30"},       {0.5, "0.5"},  {3.2, "3.2"}, {1.0 / 3, "0.333333333333333"},
                 {0.004, "0.004"}, {1e-6, "1E-6"}};
    for (const Case& c : cases) {
        EXPECT_EQ(ExposureValueText(c.value, FormatSettings::German()), c.text);
        EXPECT_EQ(ExposureValueText(c.value, FormatSettings()), c.text);
    }
}

TEST(WriteExposureTimes, WritesCheckedRowsReadsThemBackAndMatches)
{
    WriteRig rig;
    ASSERT_TRUE(rig.Table.WriteEnabled);
    rig.Flow.WriteExposureTimes();

    const auto writes = rig.Tool->WriteCalls();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0],
              (std::vector<std::string>{"-ExposureTime=30", "-P", rig.Dir.File("a.JPG")}));
    EXPECT_EQ(writes[1][0], "-ExposureTime=3.2");
    EXPECT_EQ(writes[2][0], "-ExposureTime=0.333333333333333");
    // Each write is followed by its read-back.
    ASSERT_EQ(rig.Tool->Calls.size(), 6u);
    EXPECT_EQ(rig.Tool->Calls[1], (std::vector<std::string>{rig.Dir.File("a.JPG"), "-CreateDate",
                                                            "-EXIF:CreateDate", "-ExposureTime"}));

    EXPECT_EQ(rig.Exposures(), "30|3,2|0,333333333333333|");
    ASSERT_EQ(rig.Table.RowCount(), 3);
    for (int row = 0; row < 2; ++row) {
        EXPECT_FALSE(rig.Table.IsChecked(row));
        EXPECT_EQ(rig.Table.RowItem(row)->ExposureState, TMatchState::msEqual);
        EXPECT_EQ(rig.Flow.CellText(*rig.Table.RowItem(row), 3), "=");
    }
    // 15 digits of 1/3 read back as another number: the row stays checked.
    EXPECT_TRUE(rig.Table.IsChecked(2));
    EXPECT_TRUE(rig.Table.WriteEnabled);

    const TEventLog head(rig.Host.Log.begin(), rig.Host.Log.begin() + 10);
    const TEventLog expected = {
        "progress: open",
        "cursor: busy",
        "progress: first caption Bearbeite Verzeichnis:",
        "progress: directory " + rig.Dir.Path(),
        "progress: file line",
        "progress: third caption Schreibe Daten in Datei:",
        "progress: file ",
        "progress: show",
        "progress: file a.JPG",
        "progress: file b.JPG",
    };
    EXPECT_EQ(head, expected);
    const TEventLog tail(rig.Host.Log.end() - 2, rig.Host.Log.end());
    EXPECT_EQ(tail, (TEventLog{"progress: close", "cursor: normal"}));
}

TEST(WriteExposureTimes, PassesOverUncheckedAndOneSidedRows)
{
    WriteRig rig;
    rig.Flow.AddImage({"extra.JPG", kStart + 3600, 1});
    rig.Flow.MatchAll();
    ASSERT_EQ(rig.Table.RowCount(), 4);
    rig.Table.SetChecked(1, false);
    rig.Table.SetChecked(3, true); // no shot: never written
    rig.Flow.WriteExposureTimes();
    const auto writes = rig.Tool->WriteCalls();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0][2], rig.Dir.File("a.JPG"));
    EXPECT_EQ(writes[1][2], rig.Dir.File("c.JPG"));
    EXPECT_TRUE(rig.Table.IsChecked(1)); // rechecked by the new matching
}

TEST(WriteExposureTimes, CancelStopsBeforeTheNextImageAndStillMatches)
{
    WriteRig rig;
    rig.Tool->BeforeCall = [&](std::size_t) { rig.Host.Cancel = true; };
    const int clears = rig.Table.Clears;
    rig.Flow.WriteExposureTimes();
    EXPECT_EQ(rig.Tool->WriteCalls().size(), 1u);
    EXPECT_EQ(rig.Exposures(), "30|0,004|2|");
    EXPECT_GT(rig.Table.Clears, clears);
    EXPECT_FALSE(rig.Table.IsChecked(0));
    EXPECT_TRUE(rig.Table.IsChecked(1));
}

TEST(WriteExposureTimes, ToolFailureEndsTheProgramWithoutRematch)
{
    WriteRig rig;
    rig.Tool->BeforeCall = [](std::size_t call) {
        if (call == 2)
            throw std::runtime_error("cannot start");
    };
    const int clears = rig.Table.Clears;
    rig.Flow.WriteExposureTimes();
    EXPECT_EQ(rig.Host.MessageTexts("error"),
              std::vector<std::string>{"Fehler beim Ändern von Bild \"b.JPG\"!"});
    EXPECT_EQ(rig.Host.TerminateRequests, 1);
    EXPECT_EQ(rig.Exposures(), "30|0,004|2|");
    EXPECT_EQ(rig.Table.Clears, clears);
    EXPECT_TRUE(rig.Table.IsChecked(0)); // the table still shows the old state
    EXPECT_EQ(rig.Host.Log.back(), "cursor: normal");
}

TEST(WriteExposureTimes, ImageThatCannotBeReadBackEndsTheProgram)
{
    WriteRig rig;
    rig.Tool->BeforeCall = [&](std::size_t call) {
        if (call == 0)
            std::filesystem::remove(rig.Dir.File("a.JPG"));
    };
    rig.Flow.WriteExposureTimes();
    EXPECT_EQ(rig.Host.MessageTexts("error"),
              std::vector<std::string>{"Fehler beim Auslesen von Bild \"a.JPG\"!"});
    EXPECT_EQ(rig.Host.TerminateRequests, 1);
    EXPECT_EQ(rig.Tool->WriteCalls().size(), 1u);
}

TEST(WriteExposureTimes, RefusedValueLeavesTheRowChecked)
{
    WriteRig rig;
    rig.Tool->RefuseWrites = true;
    rig.Flow.WriteExposureTimes();
    EXPECT_EQ(rig.Exposures(), "0,5|0,004|2|");
    EXPECT_TRUE(rig.Table.IsChecked(0));
    EXPECT_TRUE(rig.Table.WriteEnabled);
    EXPECT_TRUE(rig.Host.Messages.empty());
}
