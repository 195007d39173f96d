#include "workflow/WriteBack.h"
#include "ScanRig.h"
#include "workflow/ImageWriterPool.h"
#include "workflow/Sidecar.h"
#include "workflow/StatusTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;

namespace {

const std::uint32_t kStart = Moment(2008, 1, 5, 21, 3, 7);

// Three images, each paired with a log entry at the same moment; the log's
// exposure times differ from the images' so that every row is checked.
struct WriteRig : ScanRig {
    WriteRig()
    {
        AddImageFile("a.JPG", "2008:01:05 21:03:07", "0.5");
        AddImageFile("b.JPG", "2008:01:05 21:04:07", "1/250");
        AddImageFile("c.JPG", "2008:01:05 21:05:07", "2");
        Flow.AddShot({kStart, 30});
        Flow.AddShot({kStart + 60, 3.2});
        Flow.AddShot({kStart + 120, 1.0 / 3});
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

struct WriteExposureTimes : ::testing::Test, WriteRig {};

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

TEST_F(WriteExposureTimes, WritesCheckedRowsReadsThemBackAndMatches)
{
    ASSERT_TRUE(Flow.HasRowsToWrite());
    Flow.WriteExposureTimes();

    const auto writes = Tool->WriteCalls();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0], (std::vector<std::string>{"-ExposureTime=30", "-ShutterSpeedValue=30",
                                                   "-P", Dir.File("a.JPG")}));
    EXPECT_EQ(writes[1][0], "-ExposureTime=3.2");
    EXPECT_EQ(writes[2][0], "-ExposureTime=0.333333333333333");
    // Each write is checked against the record before and read back after.
    const std::vector<std::string> read = {Dir.File("a.JPG"), "-CreateDate", "-EXIF:CreateDate",
                                           "-ExposureTime", "-ExposureTime#"};
    std::vector<std::string> readBack = read;
    readBack.push_back("-BulbDuration");
    ASSERT_EQ(Tool->Calls.size(), 9u);
    EXPECT_EQ(Tool->Calls[0], read);
    EXPECT_EQ(Tool->Calls[1], writes[0]);
    EXPECT_EQ(Tool->Calls[2], readBack);

    EXPECT_EQ(Exposures(), "30|3,2|0,333333333333333|");
    ASSERT_EQ(Flow.Matches().size(), 3u);
    // 15 digits of 1/3 agree with 1/3 as far as the file can tell.
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(Flow.Matches()[row].Checked);
        EXPECT_EQ(Flow.Matches()[row].ExposureState, TMatchState::msEqual);
        EXPECT_EQ(Flow.CellText(Flow.Matches()[row], 3), "=");
    }
    EXPECT_FALSE(Flow.HasRowsToWrite());
    EXPECT_EQ(Flow.LastWrite().Written, (std::vector<std::string>{"a.JPG", "b.JPG", "c.JPG"}));
    EXPECT_TRUE(Flow.LastWrite().Failed.empty());
    EXPECT_TRUE(Host.WriteFailures.empty());

    EXPECT_EQ(TEventLog(Host.Log.begin(), Host.Log.begin() + 9),
              (TEventLog{"progress: open", "progress: first caption Bearbeite Verzeichnis:",
                         "progress: directory " + Dir.Path(), "progress: file line",
                         "progress: third caption Schreibe Daten in Datei:", "progress: file ",
                         "progress: show", "progress: file a.JPG", "progress: file b.JPG"}));
    EXPECT_EQ(Host.Log.back(), "progress: close");
}

TEST_F(WriteExposureTimes, PassesOverUncheckedAndOneSidedRows)
{
    Flow.AddImage({"extra.JPG", kStart + 3600, 1});
    Flow.MatchAll();
    ASSERT_EQ(Flow.Matches().size(), 4u);
    EXPECT_TRUE(Flow.SetChecked(1, false));
    EXPECT_FALSE(Flow.SetChecked(3, true)); // no shot: never checked, never written
    Flow.WriteExposureTimes();
    const auto writes = Tool->WriteCalls();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].back(), Dir.File("a.JPG"));
    EXPECT_EQ(writes[1].back(), Dir.File("c.JPG"));
    EXPECT_FALSE(Flow.Matches()[1].Checked); // the user's choice outlives the new matching
}

TEST_F(WriteExposureTimes, WritesANearRowOnlyWhenTheUserChecksIt)
{
    Host.TypeOffset(3); // every row near: none checked by itself
    EXPECT_FALSE(Flow.HasRowsToWrite());
    EXPECT_TRUE(Flow.SetChecked(1, true));
    Flow.WriteExposureTimes();
    const auto writes = Tool->WriteCalls();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], (std::vector<std::string>{"-ExposureTime=3.2", "-ShutterSpeedValue=3.2",
                                                   "-P", Dir.File("b.JPG")}));
    EXPECT_EQ(Flow.LastWrite().Written, std::vector<std::string>{"b.JPG"});
    EXPECT_EQ(Flow.CellText(Flow.Matches()[1], 3), "~");
    EXPECT_FALSE(Flow.HasRowsToWrite()); // b holds its value now
}

TEST_F(WriteExposureTimes, CancelStopsBeforeTheNextImageAndStillMatches)
{
    Tool->BeforeCall = [&](std::size_t) { Host.RequestCancel(); };
    const int clears = Host.ReplacementsEnded;
    Flow.WriteExposureTimes();
    EXPECT_EQ(Tool->WriteCalls().size(), 1u);
    EXPECT_EQ(Exposures(), "30|0,004|2|");
    EXPECT_GT(Host.ReplacementsEnded, clears);
    EXPECT_FALSE(Flow.Matches()[0].Checked);
    EXPECT_TRUE(Flow.Matches()[1].Checked);
}

TEST_F(WriteExposureTimes, ToolFailureEndsTheProgramWithoutRematch)
{
    // The check of b.JPG before its write, and its write.
    for (const std::size_t failing : {3u, 4u}) {
        WriteRig rig;
        rig.Tool->BeforeCall = [failing](std::size_t call) {
            if (call == failing)
                throw std::runtime_error("cannot start");
        };
        const int clears = rig.Host.ReplacementsEnded;
        rig.Flow.WriteExposureTimes();
        EXPECT_EQ(rig.Host.MessageTexts("error"),
                  std::vector<std::string>{"Fehler beim Ändern von Bild \"b.JPG\"!"});
        EXPECT_TRUE(rig.Host.WriteFailures.empty()); // its error box said it
        EXPECT_EQ(rig.Flow.LastWrite().Failed,
                  (std::vector<TWriteFailure>{{"b.JPG", "exiftool ließ sich nicht starten."}}));
        EXPECT_EQ(rig.Host.TerminateRequests, 1);
        EXPECT_EQ(rig.Exposures(), "30|0,004|2|");
        EXPECT_EQ(rig.Host.ReplacementsEnded, clears);
        EXPECT_TRUE(rig.Flow.Matches()[0].Checked); // the table still shows the old state
        EXPECT_EQ(rig.Host.Log.back(), "progress: close");
    }
}

TEST_F(WriteExposureTimes, ImageThatCannotBeReadBackEndsTheProgram)
{
    Tool->BeforeCall = [&](std::size_t call) {
        if (call == 1) // while a.JPG is written
            fs::remove(Dir.File("a.JPG"));
    };
    Flow.WriteExposureTimes();
    EXPECT_EQ(Host.MessageTexts("error"),
              std::vector<std::string>{"Fehler beim Auslesen von Bild \"a.JPG\"!"});
    EXPECT_EQ(Host.TerminateRequests, 1);
    EXPECT_EQ(Tool->WriteCalls().size(), 1u);
}

TEST_F(WriteExposureTimes, EveryImageThatDidNotTakeItsValueIsReportedWithItsReason)
{
    Tool->RefuseWrites = true;
    Tool->BeforeCall = [&](std::size_t call) {
        // From the second image on, the tool says why.
        if (call == 3)
            Tool->RefusalLines = {"Warning: Odd IFD",
                                  "Error: Error creating file: x - " + Dir.File("b.JPG")};
    };
    Flow.WriteExposureTimes();
    EXPECT_EQ(Exposures(), "0,5|0,004|2|");
    EXPECT_TRUE(Flow.Matches()[0].Checked); // matched again: still to be written
    EXPECT_TRUE(Flow.HasRowsToWrite());
    const std::vector<TWriteFailure> expected = {
        {"a.JPG", "Die Datei enthält danach 0,5 statt 30."},
        {"b.JPG", "exiftool: Error creating file: x"},
        {"c.JPG", "exiftool: Error creating file: x - " + Dir.File("b.JPG")},
    };
    EXPECT_EQ(Host.WriteFailures, expected);
    EXPECT_EQ(Flow.LastWrite().Failed, expected);
    // Told after the progress window, which stays on top, has gone.
    const TEventLog tail(Host.Log.end() - 2, Host.Log.end());
    EXPECT_EQ(tail, (TEventLog{"progress: close", "write failures: 3"}));
    EXPECT_TRUE(Flow.LastWrite().Written.empty());
    EXPECT_TRUE(Host.Messages.empty());
    EXPECT_EQ(Host.TerminateRequests, 0);
}

TEST_F(WriteExposureTimes, AnImageThatChangedOrMayNotBeChangedIsNotWritten)
{
    struct Case {
        const char* what;
        std::function<void(WriteRig&)> change;
        const char* reason;
    } cases[] = {
        {"removed", [](WriteRig& r) { fs::remove(r.Dir.File("a.JPG")); },
         "Die Datei gibt es nicht mehr."},
        {"replaced",
         [](WriteRig& r) { r.Tool->SetImage(r.Dir.File("a.JPG"), "2009:01:01 10:00:00", "1"); },
         "Das Bild hat sich seit dem Auslesen geändert."},
        {"read-only",
         [](WriteRig& r) { fs::permissions(r.Dir.File("a.JPG"), fs::perms::owner_read); },
         "Die Datei ist schreibgeschützt."},
    };
    for (const Case& c : cases) {
        WriteRig rig;
        c.change(rig);
        rig.Flow.WriteExposureTimes();
        const auto writes = rig.Tool->WriteCalls();
        ASSERT_EQ(writes.size(), 2u) << c.what;
        EXPECT_EQ(writes[0].back(), rig.Dir.File("b.JPG")) << c.what;
        EXPECT_EQ(rig.Host.WriteFailures, (std::vector<TWriteFailure>{{"a.JPG", c.reason}}))
            << c.what;
        EXPECT_TRUE(rig.Flow.Matches()[0].Checked) << c.what;
        EXPECT_EQ(rig.Host.TerminateRequests, 0) << c.what;
    }
}

TEST_F(WriteExposureTimes, WritesWhereTheImagesWereReadWhateverTheFieldSaysNow)
{
    TempDir other;
    other.Write("a.JPG");
    Flow.WriteExposureTimes();
    const auto writes = Tool->WriteCalls();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].back(), Dir.File("a.JPG"));
    EXPECT_NE(std::find(Host.Log.begin(), Host.Log.end(), "progress: directory " + Dir.Path()),
              Host.Log.end());
}

TEST_F(WriteExposureTimes, AbsurdLoggedValuesAreNeverCheckedNorWritten)
{
    using Limits = std::numeric_limits<double>;
    for (const double logged :
         {0.0, -1.0, Limits::infinity(), Limits::quiet_NaN(), 4294967296.0, 1e-10}) {
        ScanRig rig;
        rig.AddImageFile("a.JPG", "2008:01:05 21:03:07", "2");
        rig.Flow.ScanPictures(rig.Dir.Path());
        rig.Flow.AddShot({kStart, logged});
        rig.Flow.MatchAll();
        ASSERT_EQ(rig.Flow.Matches().size(), 1u);
        EXPECT_EQ(rig.Flow.Matches()[0].TimeState, TMatchState::msEqual) << logged;
        EXPECT_FALSE(rig.Flow.Matches()[0].Checked) << logged;
        EXPECT_FALSE(IsCheckable(rig.Flow.Matches()[0])) << logged;
        EXPECT_FALSE(rig.Flow.SetChecked(0, true)) << logged;
        rig.Flow.WriteExposureTimes();
        EXPECT_TRUE(rig.Tool->WriteCalls().empty()) << logged;
    }
    for (const double logged : {4294967295.0, 1.0 / 4294967295.0, 1e-6})
        EXPECT_TRUE(IsWritableExposureTime(logged)) << logged;
}

TEST(WriteFailureMessage, NamesTheFirstTenAndCountsTheRest)
{
    std::vector<TWriteFailure> failures = {{"a.JPG", "Die Datei ist schreibgeschützt."}};
    EXPECT_EQ(
        WriteFailureMessage(failures),
        "Ein Bild hat den Wert nicht übernommen:\n\"a.JPG\": Die Datei ist schreibgeschützt.");
    for (int i = 1; i < 12; ++i)
        failures.push_back({std::to_string(i) + ".JPG", "x"});
    const std::string text = WriteFailureMessage(failures);
    EXPECT_TRUE(text.starts_with("12 Bilder haben den Wert nicht übernommen:\n")) << text;
    EXPECT_NE(text.find("\"9.JPG\": x\n... und 2 weitere."), std::string::npos) << text;
    EXPECT_EQ(text.find("10.JPG"), std::string::npos) << text;
}

TEST_F(WriteExposureTimes, AnotherWriterInTheDirectoryMeansNothingIsChanged)
{
    const TDirectoryLock other(Dir.Path());
    ASSERT_EQ(other.State(), TDirectoryLock::TState::lsHeld);
    const std::string warning = "In \"" + Dir.Path() +
                                "\" schreibt gerade ein anderes Zelmaro. Es wurde nichts "
                                "geändert; bitte später noch einmal versuchen.";
    Flow.WriteExposureTimes();
    EXPECT_TRUE(Flow.LastWrite().Refused);
    EXPECT_TRUE(Tool->Calls.empty());
    EXPECT_EQ(Host.MessageTexts("warning"), std::vector<std::string>{warning});

    Dir.Write("a.JPG_original", "old");
    EXPECT_EQ(Flow.RestoreOriginals(Dir.Path(), TOriginalAction::oaDelete), std::nullopt);
    EXPECT_EQ(Host.MessageTexts("warning"), (std::vector<std::string>{warning, warning}));
    EXPECT_TRUE(std::filesystem::exists(Dir.File("a.JPG_original")));
}

#ifndef _WIN32
// An entry the system cannot look at is neither missing nor "no file": the
// reason says why. Root may search any folder, so the look fails on a path
// beyond PATH_MAX instead: the folder lists, its entries' full paths do not.
TEST(RestoreOriginals, AnEntryThatCannotBeLookedAtSaysWhy)
{
    ScanRig rig;
    std::string relative = "d";
    std::string directory = rig.Dir.Path();
    while (directory.size() < 3900) { // the lock file's path stays within 4095 bytes
        relative += "/" + std::string(100, 'd');
        directory = rig.Dir.Dir(relative);
    }
    const std::string original = std::string(200, 'a') + ".JPG_original";
    const int folder = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    const int file = ::openat(folder, original.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    EXPECT_GE(file, 0);
    ::close(file);

    const auto results = rig.Flow.RestoreOriginals(directory, TOriginalAction::oaRestore);
    EXPECT_EQ(::unlinkat(folder, original.c_str(), 0), 0); // too long for the cleanup
    ::close(folder);
    ASSERT_TRUE(results);
    ASSERT_EQ(results->size(), 1u);
    EXPECT_FALSE(results->front().Done);
    EXPECT_EQ(results->front().Reason,
              "Das Dateisystem meldet: " +
                  std::make_error_code(std::errc::filename_too_long).message() + ".");
}
#endif

TEST(StatusTexts, CountsInWordsAndCancelsWithHowFarTheyCame)
{
    using Scan = TWorkflow::TScanReport;
    using Write = TWorkflow::TWriteReport;
    EXPECT_EQ(ScanReportText(Scan{2000, 2000, false}), "2000 Bilder gelesen");
    EXPECT_EQ(ScanReportText(Scan{1, 1, false}), "1 Bild gelesen");
    EXPECT_EQ(ScanReportText(Scan{2000, 736, true}), "Abgebrochen nach 736 von 2000 Bildern");
    EXPECT_EQ(ScanReportText(Scan{0, 0, false}), "");

    Write write;
    write.Written = {"a", "b"};
    write.Failed = {{"c", "x"}};
    write.Total = 5;
    EXPECT_EQ(WriteReportText(write), "2 Bilder geschrieben");
    write.Cancelled = true;
    EXPECT_EQ(WriteReportText(write), "Abgebrochen nach 3 von 5 Bildern");
    write.Refused = true;
    EXPECT_EQ(WriteReportText(write), "");

    EXPECT_EQ(SummaryText(1999, 1750), "1999 Paare, 1750 zu schreiben");
    EXPECT_EQ(SummaryText(1, 0), "1 Paar, 0 zu schreiben");
    EXPECT_EQ(WriteQuestion(1), "1 Bild wird geändert; die Originale bleiben als _original "
                                "erhalten. Fortfahren?");
}

TEST_F(WriteExposureTimes, ReportsHowManyItSetOutToWriteAndHowFarACancelCame)
{
    EXPECT_EQ(Flow.RowsToWrite(), 3u);
    EXPECT_EQ(Flow.ExactPairs(), 3u);
    Tool->BeforeCall = [&](std::size_t call) {
        if (call == 1) // during the first write: the second image is not begun
            Host.RequestCancel();
    };
    Flow.WriteExposureTimes();
    EXPECT_EQ(Flow.LastWrite().Total, 3u);
    EXPECT_EQ(WriteReportText(Flow.LastWrite()), "Abgebrochen nach 1 von 3 Bildern");
}

// Two writers at once take the images in turns and report them in table
// order; a read-back that fails, or a cancel, lets the images under way
// finish and be read back, and no further image is begun.
TEST(WriteExposureTimesAtOnce, LikeOneWriterAndStopsAsOneDoes)
{
    struct Case {
        const char* what;
        int vanishing; // the image whose file goes while it is written; -1 none
        bool cancel;   // requested during the first write
    } cases[] = {{"all", -1, false}, {"read-back fails", 2, false}, {"cancel", -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScanRig rig;
        std::vector<std::string> names;
        for (int i = 0; i < 12; ++i) {
            names.push_back("IMG_" + std::to_string(10 + i) + ".JPG");
            rig.AddImageFile(names.back(), "2008:01:05 21:" + std::to_string(10 + i) + ":07",
                             "0.5");
            rig.Flow.AddShot({kStart + 60 * static_cast<std::uint32_t>(7 + i), 30});
        }
        std::mutex mutex;
        rig.Flow.SetScanReaders(2);
        rig.Flow.SetScanToolFactory(
            [&] { return std::make_unique<SharedFakeTool>(*rig.Tool, mutex); });
        ASSERT_TRUE(rig.Flow.ScanPictures(rig.Dir.Path()));
        rig.Flow.MatchAll();
        ASSERT_EQ(rig.Flow.RowsToWrite(), 12u);
        rig.Tool->BeforeCall = [&](std::size_t) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::vector<std::string>& call = rig.Tool->Calls.back();
            if (!call[0].starts_with("-ExposureTime="))
                return;
            if (c.cancel)
                rig.Host.RequestCancel();
            if (c.vanishing >= 0 && call.back() == rig.Dir.File(names[c.vanishing]))
                fs::remove(call.back());
        };
        rig.Flow.WriteExposureTimes();

        const auto writes = rig.Tool->WriteCalls();
        const auto& report = rig.Flow.LastWrite();
        // Every image written was read back into its record.
        std::vector<std::string> written;
        for (const auto& write : writes) {
            const std::string name = fs::path(write.back()).filename().string();
            if (c.vanishing < 0 || name != names[c.vanishing])
                written.push_back(name);
        }
        std::sort(written.begin(), written.end());
        EXPECT_EQ(report.Written, written);
        for (const TImageItem& image : rig.Flow.Images()) {
            const bool done = std::binary_search(written.begin(), written.end(), image.FileName);
            EXPECT_EQ(image.ExposureTime, done ? 30 : 0.5) << image.FileName;
        }
        if (c.vanishing < 0 && !c.cancel) {
            EXPECT_EQ(report.Written, names);
            EXPECT_TRUE(report.Failed.empty());
            EXPECT_FALSE(rig.Flow.HasRowsToWrite());
            continue;
        }
        EXPECT_LT(writes.size(), 10u); // no more than those under way
        if (c.cancel) {
            EXPECT_TRUE(report.Cancelled);
            EXPECT_EQ(rig.Host.TerminateRequests, 0);
        } else {
            EXPECT_TRUE(report.Stopped);
            ASSERT_FALSE(report.Failed.empty());
            EXPECT_EQ(report.Failed.back().FileName, names[c.vanishing]);
            EXPECT_EQ(rig.Host.MessageTexts("error"),
                      std::vector<std::string>{"Fehler beim Auslesen von Bild \"" +
                                               names[c.vanishing] + "\"!"});
            EXPECT_EQ(rig.Host.TerminateRequests, 1);
        }
    }
}

// A camera's bulb duration, which readers show where it is set, is named in
// the report when it differs from the value written.
TEST_F(WriteExposureTimes, ABulbDurationThatDiffersIsNamedInTheReport)
{
    struct Case {
        const char* bulb; // the read-back's line, none when empty
        bool named;
    } cases[] = {{"", false}, {"0", false}, {"30", false}, {"4", true}, {"1.5", true}};
    for (const Case& c : cases) {
        WriteRig rig;
        ASSERT_TRUE(rig.Flow.SetChecked(1, false));
        ASSERT_TRUE(rig.Flow.SetChecked(2, false));
        if (*c.bulb)
            rig.Tool->Output[rig.Dir.File("a.JPG")].push_back("Bulb Duration                   : " +
                                                              std::string(c.bulb));
        rig.Flow.WriteExposureTimes();
        const auto& report = rig.Flow.LastWrite();
        EXPECT_EQ(report.Written, std::vector<std::string>{"a.JPG"}) << c.bulb;
        if (!c.named) {
            EXPECT_TRUE(report.Notes.empty()) << c.bulb;
            EXPECT_EQ(WriteReportText(report), "1 Bild geschrieben");
            continue;
        }
        ASSERT_EQ(report.Notes.size(), 1u) << c.bulb;
        EXPECT_EQ(report.Notes[0].FileName, "a.JPG");
        EXPECT_EQ(report.Notes[0].Reason,
                  "Die Datei trägt außerdem eine Bulb-Dauer von " +
                      std::string(c.bulb[1] ? "1,5" : c.bulb) +
                      " s (BulbDuration), die manche Programme statt der Belichtungszeit zeigen.");
        EXPECT_EQ(WriteReportText(report), "1 Bild geschrieben; 1 Bild mit anderer Bulb-Dauer, die "
                                           "manche Programme statt der Belichtungszeit zeigen");
    }
}

TEST(Sidecars, AreNamedAsChosenAndFoundInAnyLetterCase)
{
    const struct {
        const char* image;
        TSidecar naming;
        const char* sidecar;
    } names[] = {
        {"IMG_0001.CR2", TSidecar::svXmp, "IMG_0001.xmp"},
        {"IMG_0001.CR2", TSidecar::svExtXmp, "IMG_0001.CR2.xmp"},
        {"roll.12.tif", TSidecar::svXmp, "roll.12.xmp"},
        {"bare", TSidecar::svXmp, "bare.xmp"},
    };
    for (const auto& c : names)
        EXPECT_EQ(SidecarName(c.image, c.naming), c.sidecar) << c.image;
    for (const TSidecar naming : {TSidecar::svXmp, TSidecar::svExtXmp})
        EXPECT_EQ(SidecarNamingFromText(SidecarNamingText(naming)), naming);
    for (const char* text : {"", "XMP", "ext", ".xmp"})
        EXPECT_EQ(SidecarNamingFromText(text), std::nullopt) << text;

    TempDir dir;
    dir.Write("A.XMP");
    dir.Write("b.cr2.xmp");
    const TSidecarFiles plain(dir.Path(), TSidecar::svXmp);
    EXPECT_TRUE(plain.Exists("a.cr2"));
    EXPECT_EQ(plain.PathFor("a.cr2"), dir.File("A.XMP"));
    EXPECT_FALSE(plain.Exists("b.cr2"));
    EXPECT_EQ(plain.PathFor("b.cr2"), dir.File("b.xmp"));
    const TSidecarFiles withExtension(dir.Path(), TSidecar::svExtXmp);
    EXPECT_TRUE(withExtension.Exists("B.CR2"));
    EXPECT_FALSE(withExtension.Exists("a.cr2"));
    EXPECT_FALSE(TSidecarFiles(dir.Path(), TSidecar::svNone).Exists("a.cr2"));
}

TEST(Sidecars, TheirOriginalsAreDeletedOnlyBesideTheSidecar)
{
    ScanRig rig;
    rig.Dir.Write("a.xmp", "new");
    rig.Dir.Write("a.xmp_original", "old");
    rig.Dir.Write("b.CR2.XMP_original", "the only copy");
    const auto results = rig.Flow.RestoreOriginals(rig.Dir.Path(), TOriginalAction::oaDelete);
    ASSERT_TRUE(results);
    ASSERT_EQ(results->size(), 2u);
    EXPECT_EQ((*results)[0].FileName, "a.xmp");
    EXPECT_TRUE((*results)[0].Done);
    EXPECT_EQ((*results)[1].FileName, "b.CR2.XMP");
    EXPECT_FALSE((*results)[1].Done);
    EXPECT_FALSE(fs::exists(rig.Dir.File("a.xmp_original")));
    EXPECT_TRUE(fs::exists(rig.Dir.File("a.xmp")));
    EXPECT_TRUE(fs::exists(rig.Dir.File("b.CR2.XMP_original")));
}

TEST(Sidecars, ANewOneIsWrittenWithItsEmptyOriginalOrLeftToTheTool)
{
    TImageValues set;
    set.Aperture = 5.6;
    set.ISO = 400;
    set.Lens = "Zeiss <50> & \"x\" \xC3\xA9";
    const std::optional<std::string> packet = SidecarPacket(0.004, set);
    ASSERT_TRUE(packet);
    for (const char* part : {"<exif:ExposureTime>1/250</exif:ExposureTime>",
                             "<exif:FNumber>28/5</exif:FNumber>", "<rdf:li>400</rdf:li>",
                             "Zeiss &lt;50&gt; &amp; &quot;x&quot; \xC3\xA9</exifEX:LensModel>"})
        EXPECT_NE(packet->find(part), std::string::npos) << part;

    // What the tool had better write: values no rational holds, texts no XML carries.
    const auto lens = [](std::string text) {
        TImageValues values;
        values.Lens = std::move(text);
        return values;
    };
    TImageValues noAperture;
    noAperture.Aperture = 0;
    const std::pair<double, TImageValues> refused[] = {
        {std::nan(""), {}},        {0, {}},
        {1, noAperture},           {1, lens("a\x01b")},
        {1, lens("\xC3(")},        {1, lens("\xC0\xAF")},
        {1, lens("\xED\xA0\x80")}, {1, lens("\xF4\x90\x80\x80")},
    };
    for (const auto& [exposure, values] : refused)
        EXPECT_FALSE(SidecarPacket(exposure, values)) << values.Lens;

    TempDir dir;
    ASSERT_TRUE(WriteNewSidecar(dir.File("a.xmp"), *packet));
    std::ifstream written(dir.File("a.xmp"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), *packet);
    EXPECT_TRUE(IsEmptySidecar(dir.File("a.xmp_original")));
    // Never over what is there, and nothing left behind.
    EXPECT_FALSE(WriteNewSidecar(dir.File("a.xmp"), *packet));
    dir.Write("b.xmp");
    EXPECT_FALSE(WriteNewSidecar(dir.File("b.xmp"), *packet));
    EXPECT_FALSE(fs::exists(dir.File("b.xmp_original")));
    dir.Write("c.xmp_original", "kept");
    EXPECT_FALSE(WriteNewSidecar(dir.File("c.xmp"), *packet));
    EXPECT_FALSE(fs::exists(dir.File("c.xmp")));
}

TEST(Sidecars, NewOnesAreWrittenWithoutTheToolAndAStopComesBetweenTwo)
{
    TempDir dir;
    FakeTool tool;
    tool.Fallback = {"Exposure Time                   : 30"};
    std::vector<TWriteTask> tasks;
    for (const char* name : {"a.CR2", "b.CR2", "c.CR2"}) {
        const std::string path = dir.Write(name, "raw");
        const std::string sidecar = dir.File(SidecarName(name, TSidecar::svXmp));
        TWriteTask task{path, name, kStart, 30, ExposureWriteArguments(30, sidecar, {})};
        task.Sidecar = sidecar;
        task.Stamp = FileStampOf(path);
        tasks.push_back(std::move(task));
    }
    // b's sidecar is there already: the tool updates it.
    dir.Write("b.xmp", std::string(kEmptySidecar));
    using TKind = TWriteOutcome::TKind;
    const struct {
        int stopAtAsk; // the stop's answer turns true at this asking (from 1)
        std::vector<TKind> kinds;
        std::vector<bool> made; // a.xmp, c.xmp
        std::size_t toolWrites;
    } cases[] = {
        {0, {TKind::okWritten, TKind::okWritten, TKind::okWritten}, {true, true}, 1},
        {1, {TKind::okWritten, TKind::okNotBegun, TKind::okNotBegun}, {true, false}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopAtAsk);
        for (const char* name : {"a.xmp", "a.xmp_original", "c.xmp", "c.xmp_original"})
            fs::remove(dir.File(name));
        tool.Calls.clear();
        tool.SetImage(dir.File("b.xmp"), "", "2");
        int asked = 0;
        const std::vector<TWriteOutcome> outcomes = WriteBatch(
            tool, tasks, {}, [&] { return c.stopAtAsk != 0 && ++asked >= c.stopAtAsk; }, {});
        std::vector<TKind> kinds;
        for (const TWriteOutcome& outcome : outcomes)
            kinds.push_back(outcome.Kind);
        EXPECT_EQ(kinds, c.kinds);
        EXPECT_EQ((std::vector<bool>{fs::exists(dir.File("a.xmp")), fs::exists(dir.File("c.xmp"))}),
                  c.made);
        EXPECT_EQ(fs::exists(dir.File("c.xmp_original")), c.made[1]);
        EXPECT_EQ(tool.WriteCalls().size(), c.toolWrites);
    }
}

TEST(Sidecars, OnlyTheEmptyOneThisProgramMadeIsTakenAway)
{
    TempDir dir;
    const std::string made = dir.File("a.xmp");
    EXPECT_TRUE(CreateEmptySidecar(made));
    EXPECT_FALSE(CreateEmptySidecar(made)); // never over a file that is there
    EXPECT_TRUE(IsEmptySidecar(made));
    const std::string edited = dir.File("b.xmp");
    dir.Write("b.xmp", std::string(kEmptySidecar) + " ");
    EXPECT_FALSE(IsEmptySidecar(edited));
    RemoveEmptySidecar(edited);
    RemoveEmptySidecar(made);
    EXPECT_TRUE(fs::exists(edited));
    EXPECT_FALSE(fs::exists(made));
}
