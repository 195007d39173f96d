#include "E2ESession.h"
#include "common/System.h"

#include "support/Conversions.h"
#include "support/FormatText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;

namespace {

// The real tool on German settings, run once per call (false) or through
// one session per command (true).
class RealToolTest : public ::testing::TestWithParam<bool> {
protected:
    WorkflowRig Rig;
    TempDir Dir;

    void SetUp() override
    {
        ASSERT_TRUE(Rig.Flow.LocateExifTool()) << "exiftool is needed";
        Rig.Flow.SetToolSessionEnabled(GetParam());
    }
    void TearDown() override
    {
        EXPECT_FALSE(HasChildProcess()) << "a tool process outlived the command";
    }

    std::vector<std::string> Column(int column) const
    {
        std::vector<std::string> texts;
        for (const TMatchItem& row : Rig.Flow.Matches())
            texts.push_back(Rig.Flow.CellText(row, column));
        return texts;
    }
    std::vector<bool> Checks() const
    {
        std::vector<bool> checks;
        for (const TMatchItem& row : Rig.Flow.Matches())
            checks.push_back(row.Checked);
        return checks;
    }
};

using Texts = std::vector<std::string>;

} // namespace

TEST_P(RealToolTest, ScanLogMatchWriteAndReadBack)
{
    // The camera runs 7 seconds ahead of the release.
    WriteTaggedImages(Dir.Path(), {{"IMG_0001.JPG", "2008:01:05 21:03:14", "1/250"},
                                   {"IMG_0002.JPG", "2008:01:05 21:04:14", "0.8"},
                                   {"IMG_0003.JPG", "2008:01:05 21:05:44", "30"},
                                   {"IMG_0004.JPG", "2008:01:05 21:06:14", "30"},
                                   {"IMG_0005.JPG", "2008:01:05 21:07:17", "30"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n"
                             "-0801052103070,004-0801052104073,2-\r\n"
                             "-08010521053730-08010521060745-08010521070730-\r\n");

    Rig.Flow.ReadPictures(Dir.Path());
    EXPECT_TRUE(Rig.Host.Messages.empty());
    EXPECT_TRUE(Rig.Flow.LogFileFound());
    EXPECT_EQ(Column(2), (Texts{"0,004", "0,8", "30", "30", "30"}));
    EXPECT_EQ(Column(1)[0], "05.01.2008 21:03:14");

    Rig.Flow.ReadLogFile(Dir.Path());
    EXPECT_EQ(Column(3), (Texts{"<>", "<>", "<>", "<>", "<>"}));
    Rig.Flow.FindAutoOffset();
    EXPECT_EQ(Rig.Host.OffsetValue(), 7);
    // The last image is 3 seconds late: "~" under the default tolerance.
    EXPECT_EQ(Column(3), (Texts{"=", "=", "=", "=", "~"}));
    EXPECT_EQ(Column(5), (Texts{"0,004", "3,2", "30", "45", "30"}));
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false, true, false}));

    Rig.Flow.WriteExposureTimes();
    EXPECT_TRUE(Rig.Host.Messages.empty());
    EXPECT_EQ(Rig.Host.TerminateRequests, 0);
    EXPECT_EQ(EachFile(Dir, {"IMG_0002.JPG", "IMG_0004.JPG", "IMG_0001.JPG", "IMG_0005.JPG"},
                       StoredExposure),
              (Texts{"3.2", "45", "1/250", "30"}));
    EXPECT_EQ(Column(2), (Texts{"0,004", "3,2", "30", "45", "30"}));
    EXPECT_EQ(Checks(), (std::vector<bool>(5, false)));
    EXPECT_FALSE(Rig.Flow.HasRowsToWrite());
}

TEST_P(RealToolTest, ImagesThatChangedOrCannotTakeTheValueAreReportedAndLeftAlone)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "2"},
                                   {"b.JPG", "2008:01:05 21:04:14", "2"},
                                   {"c.JPG", "2008:01:05 21:05:14", "2"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\n0801052103143-08010521041430-08010521051430\n");
    Rig.Flow.ReadPictures(Dir.Path());
    Rig.Flow.ReadLogFile(Dir.Path());
    ASSERT_EQ(Checks(), (std::vector<bool>{true, true, true}));

    // Another picture under the same name, and what an interrupted write leaves.
    TempDir other;
    WriteTaggedImages(other.Path(), {{"a.JPG", "2009:02:03 04:05:06", "2"}});
    fs::copy_file(other.File("a.JPG"), Dir.File("a.JPG"), fs::copy_options::overwrite_existing);
    Dir.Write("b.JPG_exiftool_tmp");
    const std::string a = FileBytes(Dir.File("a.JPG"));
    const std::string b = FileBytes(Dir.File("b.JPG"));

    Rig.Flow.WriteExposureTimes();
    EXPECT_EQ(FileBytes(Dir.File("a.JPG")), a);
    EXPECT_EQ(FileBytes(Dir.File("b.JPG")), b);
    EXPECT_EQ(StoredExposure(Dir.File("c.JPG")), "30");
    EXPECT_EQ(Rig.Host.WriteFailures,
              (std::vector<TWriteFailure>{
                  {"a.JPG", "Das Bild hat sich seit dem Auslesen geändert."},
                  {"b.JPG", "Neben dem Bild liegt noch \"b.JPG_exiftool_tmp\" von einem "
                            "abgebrochenen Schreiben. Bitte prüfen und entfernen; das Bild "
                            "wurde nicht geändert."}}));
    EXPECT_TRUE(fs::exists(Dir.File("b.JPG_exiftool_tmp")));
    EXPECT_EQ(Rig.Flow.LastWrite().Written, Texts{"c.JPG"});
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(Rig.Host.TerminateRequests, 0);
}

TEST_P(RealToolTest, ImageWithoutExposureTimeEndsTheProgram)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "1/250"},
                                   {"b.JPG", "2008:01:05 21:04:14", ""},
                                   {"c.JPG", "2008:01:05 21:05:14", "2"}});
    Rig.Flow.ReadPictures(Dir.Path());
    EXPECT_EQ(Rig.Host.MessageTexts("error"), Texts{"Fehler beim Auslesen von Bild \"b.JPG\"!"});
    EXPECT_EQ(Rig.Host.TerminateRequests, 1);
    EXPECT_EQ(Column(0), Texts{"a.JPG"});
}

TEST_P(RealToolTest, CancelAfterTheFirstImage)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "1/250"},
                                   {"b.JPG", "2008:01:05 21:04:14", "1/250"}});
    // In turn, so that the second call for events comes after the first image;
    // readers side by side call for events at other moments.
    Rig.Flow.SetScanReaders(1);
    Rig.Host.OnPendingEvents = [this] {
        if (Rig.Host.PendingEventCalls == 2)
            Rig.Host.RequestCancel();
    };
    Rig.Flow.ReadPictures(Dir.Path());
    EXPECT_EQ(Column(0), Texts{"a.JPG"});
    EXPECT_TRUE(Rig.Host.Messages.empty());
}

TEST_P(RealToolTest, BlanksAndLeadingDashesReachTheToolAsOneName)
{
    // A relative directory that starts with "-", with a blank, holding a
    // file whose name starts with "-" and one that looks like an option.
    const std::string sub = "-Nacht am See";
    fs::create_directory(Dir.File(sub));
    WriteTaggedImages(Dir.File(sub), {{"-1.JPG", "2008:01:05 21:03:07", "0.5"},
                                      {"-ExposureTime=9.JPG", "2008:01:05 21:04:07", "0.5"}});
    WriteTaggedImages(Dir.Path(), {{"Nacht.JPG", "2008:01:05 21:03:07", "0.5"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\n0801052103072-0801052104074\n");
    const auto previous = fs::current_path();
    fs::current_path(Dir.Path());
    Rig.Flow.ReadPictures(sub);
    Rig.Flow.ReadShotFile("Zelmaro.txt");
    Rig.Flow.MatchAll();
    Rig.Flow.WriteExposureTimes();
    fs::current_path(previous);

    EXPECT_TRUE(Rig.Host.Messages.empty());
    EXPECT_EQ(Column(0), (Texts{"-1.JPG", "-ExposureTime=9.JPG"}));
    EXPECT_EQ(Column(2), (Texts{"2", "4"}));
    EXPECT_EQ(EachFile(Dir, {sub + "/-1.JPG", "Nacht.JPG"}, StoredExposure), (Texts{"2", "0.5"}));
}

TEST_P(RealToolTest, CameraFilesAreReadAsTheyAre)
{
    const std::string fixtures = ZELMARO_CAMERA_FIXTURES;
    if (!fs::is_directory(fixtures))
        GTEST_SKIP() << "no camera files (ZELMARO_CAMERA_FIXTURES: \"" << fixtures << "\")";
    struct Case {
        const char* name;
        bool ok;
        const char* date;
        const char* exposure;
    } cases[] = {
        {"Canon.jpg", true, "04.12.2003 06:46:52", "4"},
        {"Canon1DmkIII.jpg", true, "22.02.2007 17:02:42", "0,008"},
        {"CanonRaw.cr2", true, "03.08.2005 18:59:18", "0,0666666666666667"},
        {"CanonRaw.crw", false, "", "0,015625"},
        // Printed as 1/114, but the camera stored 0.008770006578 s.
        {"Casio.jpg", true, "31.03.2000 10:44:15", "0,008770006578"},
        {"ExifTool.tif", false, "", "0"},
        {"FujiFilm.jpg", false, "19.05.2001 18:36:41", "0"},
        {"Minolta.mrw", true, "18.11.2004 23:14:58", "0,2"},
        {"Photoshop.psd", false, "", "0"},
        {"filetype-fixture.orf", false, "", "0"},
        {"CanonRaw.cr3", true, "21.02.2018 12:08:56", "0,0125"},
        {"filetype-fixture-sony-zv-e10.arw", true, "24.07.2021 14:23:06", "0,00625"},
        {"FujiFilm.raf", true, "22.05.2007 13:58:30", "0,004"},
        {"Panasonic.rw2", true, "06.08.2008 15:21:56", "0,004"},
    };
    // The container of a CR3 holds UTC, which the tool shows in this zone;
    // the camera's clock must not move with it.
    const test::TScopedEnv zone("TZ", "JST-9");
    // Single reads are no command: they get a session of their own here.
    const std::unique_ptr<TMetadataTool> tool =
        GetParam() ? std::unique_ptr<TMetadataTool>(
                         std::make_unique<TExifToolSession>(Rig.Flow.ExifTool()))
                   : std::make_unique<TConsoleMetadataTool>(Rig.Flow.ExifTool());
    for (const Case& c : cases) {
        const auto lines = ReadImageLines(*tool, fixtures + "/" + c.name);
        ASSERT_TRUE(lines) << c.name;
        const TImageData data = ParseImageData(*lines, Rig.Flow.Settings());
        EXPECT_EQ(data.Complete(), c.ok) << c.name;
        EXPECT_EQ(data.Date ? DateTimeText(SecondsToDays(data.Date), Rig.Flow.Settings())
                            : std::string(),
                  c.date)
            << c.name;
        EXPECT_EQ(NumberText(data.ExposureTime, Rig.Flow.Settings()), c.exposure) << c.name;
    }

    // Scanning the directory stops at the first raw file without a date.
    Rig.Flow.ScanPictures(fixtures);
    EXPECT_EQ(Rig.Host.MessageTexts("error"),
              Texts{"Fehler beim Auslesen von Bild \"CanonRaw.crw\"!"});
    EXPECT_EQ(Rig.Flow.Images().size(), 1u);
    Rig.Flow.SetMetadataTool(nullptr);
}

TEST_P(RealToolTest, TodaysRawFilesAreMatchedAndWritten)
{
    const std::string fixtures = ZELMARO_CAMERA_FIXTURES;
    if (!fs::is_directory(fixtures))
        GTEST_SKIP() << "no camera files (ZELMARO_CAMERA_FIXTURES: \"" << fixtures << "\")";
    for (const char* name :
         {"CanonRaw.cr3", "filetype-fixture-sony-zv-e10.arw", "FujiFilm.raf", "Panasonic.rw2"}) {
        fs::copy_file(fixtures + "/" + name, Dir.File(name));
        // The fixtures may be read-only, and a read-only image is never written.
        fs::permissions(Dir.File(name), fs::perms::owner_write, fs::perm_options::add);
    }
    // One entry for each camera's moment; the release logged whole seconds.
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0705221358302-0808061521563-1802211208564-"
                             "2107241423065-\r\n");
    const test::TScopedEnv zone("TZ", "JST-9");
    Rig.Flow.ReadPictures(Dir.Path());
    Rig.Flow.ReadLogFile(Dir.Path());
    EXPECT_EQ(Column(0), (Texts{"FujiFilm.raf", "Panasonic.rw2", "CanonRaw.cr3",
                                "filetype-fixture-sony-zv-e10.arw"}));
    EXPECT_EQ(Column(3), (Texts{"=", "=", "=", "="}));
    Rig.Flow.WriteExposureTimes();
    // The ARW file is cut off after 100,000 bytes, so the tool refuses to
    // rewrite it and says so; the three whole files take the logged values.
    EXPECT_EQ(Column(2), (Texts{"2", "3", "4", "0,00625"}));
    ASSERT_EQ(Rig.Host.WriteFailures.size(), 1u);
    EXPECT_EQ(Rig.Host.WriteFailures[0].FileName, "filetype-fixture-sony-zv-e10.arw");
    EXPECT_FALSE(Rig.Host.WriteFailures[0].Reason.empty());
    EXPECT_EQ(EachFile(Dir, {"FujiFilm.raf", "Panasonic.rw2", "CanonRaw.cr3"}, StoredExposure),
              (Texts{"2", "3", "4"}));
}

// Sidecars beside raw files, under both namings: new ones are created, an
// existing one (named in other letters) keeps what else it holds, the table
// shows their values, a second write finds them written, a restore brings
// back the sidecar that was there and removes the new ones, and no raw file
// changes by a byte.
TEST_P(RealToolTest, RawFilesGetSidecarsAndStayAsTheyAre)
{
    const std::string fixtures = ZELMARO_CAMERA_FIXTURES;
    if (!fs::is_directory(fixtures))
        GTEST_SKIP() << "no camera files (ZELMARO_CAMERA_FIXTURES: \"" << fixtures << "\")";
    const Texts raws = {"FujiFilm.raf", "Panasonic.rw2", "CanonRaw.cr3",
                        "filetype-fixture-sony-zv-e10.arw"};
    for (const std::string& name : raws)
        fs::copy_file(fixtures + "/" + name, Dir.File(name));
    const auto rawBytes = [&] { return EachFile(Dir, raws, FileBytes); };
    const Texts before = rawBytes();
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0705221358302-0808061521563-1802211208564-"
                             "2107241423065-\r\n");
    const test::TScopedEnv zone("TZ", "JST-9");
    const auto title = [](const std::string& path) {
        const Texts lines = RunExifTool({"-s3", "-XMP-dc:Title", path});
        return lines.empty() ? std::string() : lines.front();
    };

    struct Naming {
        TSidecar sidecar;
        Texts names; // of the raws' sidecars, the Panasonic's existing one second
    } namings[] = {
        {TSidecar::svXmp,
         {"FujiFilm.xmp", "Panasonic.XMP", "CanonRaw.xmp", "filetype-fixture-sony-zv-e10.xmp"}},
        {TSidecar::svExtXmp,
         {"FujiFilm.raf.xmp", "Panasonic.rw2.XMP", "CanonRaw.cr3.xmp",
          "filetype-fixture-sony-zv-e10.arw.xmp"}},
    };
    for (const Naming& naming : namings) {
        SCOPED_TRACE(std::string(SidecarNamingText(naming.sidecar)));
        const std::string existing = Dir.File(naming.names[1]);
        RunExifTool({"-q", "-XMP-dc:Title=Nacht am See", "-XMP-exif:ExposureTime=1/100", existing});
        const std::string existingBytes = FileBytes(existing);
        ASSERT_EQ(title(existing), "Nacht am See");

        Rig.Flow.SetSidecar(naming.sidecar);
        Rig.Flow.ReadPictures(Dir.Path());
        Rig.Flow.ReadLogFile(Dir.Path());
        // The existing sidecar's value is the one shown.
        EXPECT_EQ(Column(2), (Texts{"0,004", "0,01", "0,0125", "0,00625"}));
        EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true, true}));
        Rig.Flow.WriteExposureTimes();
        EXPECT_TRUE(Rig.Host.WriteFailures.empty());
        EXPECT_EQ(Rig.Flow.LastWrite().Written, raws);
        EXPECT_EQ(Column(2), (Texts{"2", "3", "4", "5"}));
        EXPECT_EQ(EachFile(Dir, naming.names, StoredExposure), (Texts{"2", "3", "4", "5"}));
        EXPECT_EQ(title(existing), "Nacht am See");
        EXPECT_EQ(FileBytes(existing + "_original"), existingBytes);
        EXPECT_EQ(rawBytes(), before);

        // Read afresh, the sidecars' values stand, and nothing is left to write.
        Rig.Flow.ReadPictures(Dir.Path());
        Rig.Flow.ReadLogFile(Dir.Path());
        EXPECT_EQ(Column(2), (Texts{"2", "3", "4", "5"}));
        EXPECT_EQ(Rig.Flow.RowsToWrite(), 0u);
        for (const TMatchItem& row : Rig.Flow.Matches())
            EXPECT_TRUE(row.Image->ExposureFromSidecar);

        const auto restored = Rig.Flow.RestoreOriginals(Dir.Path(), TOriginalAction::oaRestore);
        ASSERT_TRUE(restored);
        EXPECT_EQ(restored->size(), 4u);
        for (const TOriginalResult& result : *restored)
            EXPECT_TRUE(result.Done) << result.FileName << ": " << result.Reason;
        for (const std::string& name : naming.names) {
            EXPECT_EQ(fs::exists(Dir.File(name)), name == naming.names[1]) << name;
            EXPECT_FALSE(fs::exists(Dir.File(name + "_original"))) << name;
        }
        EXPECT_EQ(FileBytes(existing), existingBytes);
        EXPECT_EQ(rawBytes(), before);
        fs::remove(existing);
    }
    EXPECT_EQ(Rig.Host.TerminateRequests, 0);
}

// The sample session, then with an image in the middle that has no tags:
// the rows, messages and end requests with every number of readers are
// those of one.
TEST(ParallelScanE2E, TheSampleSessionReadsAsInTurn)
{
    TempDir dir;
    ASSERT_EQ(
        std::system(("bash " ZELMARO_SAMPLE_SESSION " '" + dir.Path() + "' >/dev/null").c_str()),
        0);
    const auto scan = [&](std::size_t readers) {
        WorkflowRig rig;
        EXPECT_TRUE(rig.Flow.LocateExifTool());
        rig.Flow.SetScanReaders(readers);
        rig.Flow.ReadPictures(dir.Path());
        rig.Flow.ReadLogFile(dir.Path());
        Texts seen = rig.Host.MessageTexts("error");
        seen.push_back(std::to_string(rig.Host.TerminateRequests));
        for (const TMatchItem& row : rig.Flow.Matches())
            for (int column = 0; column < TWorkflow::kColumnCount; ++column)
                seen.push_back(rig.Flow.CellText(row, column));
        EXPECT_FALSE(HasChildProcess()) << readers;
        return seen;
    };
    for (const bool unreadable : {false, true}) {
        if (unreadable)
            std::ofstream(dir.File("IMG_0018.JPG"), std::ios::binary) << TinyJpeg();
        const Texts inTurn = scan(1);
        EXPECT_EQ(inTurn[0], unreadable ? "Fehler beim Auslesen von Bild \"IMG_0018.JPG\"!" : "0");
        for (std::size_t readers = 2; readers <= 4; ++readers)
            EXPECT_EQ(scan(readers), inTurn) << readers << " readers";
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, RealToolTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Session" : "PerCall";
                         });
