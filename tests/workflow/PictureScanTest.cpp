#include "workflow/PictureScan.h"
#include "ScanRig.h"
#include "common/System.h"
#include "support/Conversions.h"
#include "workflow/ImageData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

std::vector<std::string> FileNames(const TWorkflow& flow)
{
    std::vector<std::string> names;
    for (const TImageItem& image : flow.Images())
        names.push_back(image.FileName);
    return names;
}

} // namespace

TEST(ReadImageData, ParsesTheToolsLines)
{
    const std::string date = "Create Date : 2008:01:05 21:03:07";
    const std::uint32_t moment = Moment(2008, 1, 5, 21, 3, 7);
    struct Case {
        std::vector<std::string> output;
        bool ok;
        std::uint32_t date;
        double exposure;
    } cases[] = {
        // clang-format off
        {{date, "Exposure Time : 1/250"}, true, moment, 0.004},
        {{date, "Exposure Time : 0.8"}, true, moment, 0.8},
        {{"Exposure Time   :   30  \r", "Create Date:2008:01:05 00:00:00"},
         true, Moment(2008, 1, 5, 0, 0, 0), 30},
        // A fraction over 0 and an unreadable value keep what was there.
        {{date, "Exposure Time : 1/0"}, false, moment, 0},
        {{date, "Exposure Time : 1/2", "Exposure Time : fast"}, true, moment, 0.5},
        {{date}, false, moment, 0},
        {{"Exposure Time : 1/60"}, false, 0, 1.0 / 60},
        {{"Warning: Bad IFD0 directory"}, false, 0, 0},
        // A later line wins.
        {{date, "Exposure Time : 1/250", "Create Date : 2009:02:03 04:05:06", "Exposure Time : 2"},
         true, Moment(2009, 2, 3, 4, 5, 6), 2},
        // Fractions and time zones of today's cameras: the camera's own clock.
        {{"Create Date : 2018:02:21 12:08:56+00:00", "Exposure Time : 1/80"},
         true, Moment(2018, 2, 21, 12, 8, 56), 0.0125},
        {{"Create Date : 2021:07:24 14:23:06.583-07:00", "Create Date : 2021:07:24 14:23:59.9Z",
          "Exposure Time : 1/160"}, true, Moment(2021, 7, 24, 14, 23, 59), 1.0 / 160},
        // Letter case counts.
        {{"create date : 2008:01:05 21:03:07", "exposure time : 2"}, false, 0, 0},
        // Printed, then as a number: the fraction where the number confirms
        // it, else the number (1.25 s prints as 1.2, 0.0166 s as 1/60).
        {{"Exposure Time : 1/60", "Exposure Time : 0.01666666667"}, false, 0, 1.0 / 60},
        {{"Exposure Time : 1/60", "Exposure Time : 0.0166"}, false, 0, 0.0166},
        {{"Exposure Time : 1.2", "Exposure Time : 1.25"}, false, 0, 1.25},
        {{"Exposure Time : 0.3", "Exposure Time : 0.3333333333"}, false, 0, 0.3333333333},
        {{"Exposure Time : 1/3", "Exposure Time : none"}, false, 0, 1.0 / 3},
        // clang-format on
    };
    for (const Case& c : cases) {
        ScanRig rig;
        const std::string path = rig.Dir.Write("a.JPG");
        rig.Tool->Output[path] = c.output;
        const std::optional<TImageData> read = rig.Flow.ReadImageData(path);
        const TImageData parsed = ParseImageData(c.output, rig.Flow.Settings());
        EXPECT_EQ(read.has_value(), c.ok) << c.output.front();
        EXPECT_EQ(parsed.Date, c.date) << c.output.front();
        EXPECT_DOUBLE_EQ(parsed.ExposureTime, c.exposure) << c.output.front();
        if (read) {
            EXPECT_EQ(read->Date, parsed.Date);
            EXPECT_EQ(read->ExposureTime, parsed.ExposureTime);
        }
        ASSERT_EQ(rig.Tool->Calls.size(), 1u);
        EXPECT_EQ(rig.Tool->Calls[0],
                  (std::vector<std::string>{path, "-CreateDate", "-EXIF:CreateDate",
                                            "-ExposureTime", "-ExposureTime#"}));
    }
}

TEST(ReadImageData, DecimalPointWorksWithEitherSeparator)
{
    for (const FormatSettings& settings : {FormatSettings::German(), FormatSettings()}) {
        FakeHost host;
        TWorkflow flow(host, settings);
        auto tool = std::make_unique<FakeTool>();
        TempDir dir;
        const std::string path = dir.Write("a.JPG");
        tool->SetImage(path, "2008:01:05 21:03:07", "0.8");
        flow.SetMetadataTool(std::move(tool));
        const std::optional<TImageData> data = flow.ReadImageData(path);
        ASSERT_TRUE(data);
        EXPECT_DOUBLE_EQ(data->ExposureTime, 0.8) << settings.DecimalSeparator;
    }
}

TEST(ReadImageData, NonNumericCreateDateThrowsConversionErrors)
{
    struct Case {
        std::string value;
        std::string message;
    } cases[] = {
        {"2008:01:05", "'' ist kein gültiger Integerwert"},
        {"2008:0x:05 21:03:07", "'0x' ist kein gültiger Integerwert"},
        {"2018:02:21 12:08:56+0000", "'56+0000' ist kein gültiger Integerwert"},
        {"2018:02:21 12:08:56.", "'56.' ist kein gültiger Integerwert"},
        {"2018:02:21 12:08:.5", "'.5' ist kein gültiger Integerwert"},
        {"2018:02:21 12:08:56 +01:00", "'56 +01:00' ist kein gültiger Integerwert"},
    };
    for (const Case& c : cases) {
        ScanRig rig;
        const std::string path = rig.AddImageFile("a.JPG", c.value, "1/250");
        try {
            rig.Flow.ReadImageData(path);
            ADD_FAILURE() << c.value;
        } catch (const ConversionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.value << ": " << e.what();
        }
    }
}

// A date that is no moment reads as no date, so the image is unreadable;
// nothing wraps around the 32 bits of seconds.
TEST(ReadImageData, ACreateDateThatIsNoMomentReadsAsNone)
{
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"2008:13:05 21:03:07", 0},           {"2008:01:05 25:03:07", 0},
        {"0000:00:00 00:00:00", 0}, // the clock was never set
        {"2008:02:30 21:03:07", 0},           {"2008:01:05 21:03:60", 0},
        {"1899:12:29 23:59:59", 0},           {"1899:12:30 00:00:01", 1},
        {"2036:02:05 06:28:15", 4294967295u}, {"2036:02:05 06:28:16", 0},
        {"9999:12:31 23:59:59", 0},
    };
    for (const auto& [value, moment] : cases) {
        ScanRig rig;
        const std::string path = rig.AddImageFile("a.JPG", value, "1/250");
        const std::optional<TImageData> data = rig.Flow.ReadImageData(path);
        EXPECT_EQ(data.has_value(), moment != 0) << value;
        EXPECT_EQ(ParseImageData({"Create Date : " + std::string(value)}, rig.Flow.Settings()).Date,
                  moment)
            << value;
        if (data) {
            EXPECT_EQ(data->Date, moment) << value;
            EXPECT_EQ(data->ExposureTime, 0.004) << value;
        }
    }
}

TEST(ReadImageData, NoFileAnswersNoneAndNoToolThrows)
{
    ScanRig rig;
    EXPECT_FALSE(rig.Flow.ReadImageData(rig.Dir.File("missing.JPG")));
    EXPECT_TRUE(rig.Tool->Calls.empty());

    const std::string path = rig.AddImageFile("a.JPG", "2008:01:05 21:03:07", "1/250");
    rig.Tool->BeforeCall = [](std::size_t) { throw std::runtime_error("cannot start"); };
    EXPECT_THROW(rig.Flow.ReadImageData(path), std::runtime_error);
}

TEST(ReadImageData, PathsReachTheToolAsOneArgumentAndNeverAsAnOption)
{
    ScanRig rig;
    std::filesystem::create_directory(rig.Dir.File("Nacht am See"));
    const std::string blank = rig.AddImageFile("Nacht am See/-1 a.JPG", "2008:01:05 21:03:07", "2");
    EXPECT_TRUE(rig.Flow.ReadImageData(blank));
    EXPECT_EQ(rig.Tool->Calls.back().front(), blank);

    // A relative path starting with "-" gets "./" in front.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(rig.Dir.Path());
    rig.Tool->SetImage(JoinPath(".", "-x.JPG"), "2008:01:05 21:03:07", "2");
    rig.Dir.Write("-x.JPG");
    const bool ok = rig.Flow.ReadImageData("-x.JPG").has_value();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(ok);
    EXPECT_EQ(rig.Tool->Calls.back().front(), JoinPath(".", "-x.JPG"));
}

TEST(ScanPictures, NamesByMaskThenNameAndImagesByDate)
{
    ScanRig rig;
    rig.AddImageFile("b.JPG", "2008:01:05 21:00:00", "1");
    rig.AddImageFile("a.jpg", "2008:01:05 21:00:00", "2");
    rig.AddImageFile("c.CR2", "2008:01:05 22:00:00", "3");
    rig.AddImageFile("d.TIF", "2008:01:05 20:00:00", "4");
    rig.Dir.Write("notes.txt");
    rig.Dir.Write(".hidden.JPG");

    EXPECT_TRUE(rig.Flow.ScanPictures(rig.Dir.Path()));
    // Tool order: c.CR2, a.jpg, b.JPG, d.TIF; equal dates keep that order.
    ASSERT_EQ(rig.Tool->Calls.size(), 4u);
    EXPECT_EQ(rig.Tool->Calls[0][0], rig.Dir.File("c.CR2"));
    EXPECT_EQ(rig.Tool->Calls[1][0], rig.Dir.File("a.jpg"));
    EXPECT_EQ(FileNames(rig.Flow), (std::vector<std::string>{"d.TIF", "a.jpg", "b.JPG", "c.CR2"}));
    EXPECT_EQ(rig.Host.PendingEventCalls, 4);
}

TEST(ScanPictures, TodaysRawFormatsFollowTheClassicOnes)
{
    const std::vector<std::string> extensions = {"CR2", "CRW", "DNG",  "JPG", "JPEG", "MRW", "NEF",
                                                 "ORF", "PEF", "PSD",  "TIF", "TIFF", "CR3", "ARW",
                                                 "SR2", "RAF", "RW2",  "RWL", "NRW",  "SRW", "IIQ",
                                                 "ERF", "X3F", "HEIC", "HEIF"};
    ScanRig rig;
    // Names against the masks' order, so that only the masks can order them.
    for (std::size_t k = 0; k < extensions.size(); ++k)
        rig.AddImageFile(std::string(1, static_cast<char>('z' - k)) + "." + extensions[k],
                         "2008:01:05 21:00:00", "1");
    rig.Dir.Write("a.CR3_original"); // the tool's backup is no image
    rig.Dir.Write("a.HEICS");
    EXPECT_TRUE(rig.Flow.ScanPictures(rig.Dir.Path()));
    ASSERT_EQ(rig.Tool->Calls.size(), extensions.size());
    for (std::size_t k = 0; k < extensions.size(); ++k)
        EXPECT_TRUE(rig.Tool->Calls[k][0].ends_with("." + extensions[k])) << rig.Tool->Calls[k][0];
}

TEST(ScanPictures, EmptyDirectoryWarnsAndEmptiesTheField)
{
    ScanRig rig;
    rig.Flow.AddImage({"old.JPG", 1, 1});
    EXPECT_EQ(rig.Flow.ReadPictures(rig.Dir.Path()), TDirectoryField::dfEmpty);
    EXPECT_TRUE(rig.Flow.Images().empty());
    ASSERT_EQ(rig.Host.Messages.size(), 1u);
    EXPECT_EQ(rig.Host.Messages[0].Kind, "warning");
    EXPECT_EQ(rig.Host.Messages[0].Text, "In diesem Verzeichnis existieren keine Bilder!");
    EXPECT_EQ(rig.Host.Messages[0].Caption, "Zelmaro");
    EXPECT_EQ(rig.Host.TerminateRequests, 0);
}

TEST(ScanPictures, UnreadableImageEndsTheProgramAndKeepsWhatWasRead)
{
    ScanRig rig;
    rig.AddImageFile("a.JPG", "2008:01:05 21:00:00", "1/250");
    rig.AddImageFile("b.JPG", "2008:01:05 21:01:00", "");
    rig.AddImageFile("c.JPG", "2008:01:05 21:02:00", "1/250");

    EXPECT_FALSE(rig.Flow.ScanPictures(rig.Dir.Path()));
    EXPECT_EQ(FileNames(rig.Flow), std::vector<std::string>{"a.JPG"});
    EXPECT_EQ(rig.Host.MessageTexts("error"),
              std::vector<std::string>{"Fehler beim Auslesen von Bild \"b.JPG\"!"});
    EXPECT_EQ(rig.Host.TerminateRequests, 1);
    EXPECT_EQ(rig.Tool->Calls.size(), 2u); // c.JPG is not read
}

TEST(ScanPictures, CancelDuringTheFirstImageStopsBeforeTheSecond)
{
    ScanRig rig;
    rig.AddImageFile("a.JPG", "2008:01:05 21:00:00", "1/250");
    rig.AddImageFile("b.JPG", "2008:01:05 21:01:00", "1/250");
    rig.Tool->BeforeCall = [&](std::size_t) { rig.Host.RequestCancel(); };
    EXPECT_TRUE(rig.Flow.ScanPictures(rig.Dir.Path()));
    EXPECT_EQ(FileNames(rig.Flow), std::vector<std::string>{"a.JPG"});
    EXPECT_TRUE(rig.Host.Messages.empty());
}

TEST(ReadPictures, DrivesTheProgressWindowAndMatchesTheImagesAlone)
{
    ScanRig rig;
    rig.AddImageFile("a.JPG", "2008:01:05 21:00:00", "1/250");
    rig.AddImageFile("b.JPG", "2008:01:05 21:01:00", "30");
    rig.Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052100001-\r\n");
    rig.Flow.AddShot({Moment(2008, 1, 5, 21, 0, 0), 1});
    rig.Host.Status = "Versatz 0 s: 1 Bild genau"; // about the pictures read before

    EXPECT_EQ(rig.Flow.ReadPictures(rig.Dir.Path()), TDirectoryField::dfKeep);

    const TEventLog expected = {
        "progress: open",       "progress: directory " + rig.Dir.Path(),
        "progress: show",       "progress: found 2",
        "progress: file line",  "progress: file a.JPG",
        "progress: file b.JPG", "progress: close",
    };
    EXPECT_EQ(rig.Host.Log, expected);
    EXPECT_EQ(rig.Host.Status, "");
    EXPECT_TRUE(rig.Flow.Shots().empty());
    EXPECT_TRUE(rig.Flow.LogFileFound());
    ASSERT_EQ(rig.Flow.Matches().size(), 2u);
    EXPECT_EQ(rig.Flow.Matches()[0].Image->FileName, "a.JPG");
    EXPECT_EQ(rig.Flow.Matches()[0].Shot, nullptr);
}

TEST(ReadPictures, EmptyScanTestsTheBareLogNameAndLeavesTheTableEmpty)
{
    ScanRig rig;
    rig.Dir.Write("Zelmaro.txt", "Zelmaro\r\n");
    EXPECT_EQ(rig.Flow.ReadPictures(rig.Dir.Path()), TDirectoryField::dfEmpty);
    EXPECT_FALSE(rig.Flow.LogFileFound()); // "Zelmaro.txt" is looked for in the working directory
    EXPECT_TRUE(rig.Flow.Matches().empty());
    const TEventLog& log = rig.Host.Log;
    EXPECT_NE(std::find(log.begin(), log.end(), "progress: found 0"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "progress: file line"), log.end());
    EXPECT_EQ(log.back(), "progress: close");
}

TEST(ReadPictures, ConversionErrorLeavesAfterFreeingTheWindow)
{
    ScanRig rig;
    rig.AddImageFile("a.JPG", "2008:01:05 21:00:00", "1/250");
    rig.AddImageFile("b.JPG", "2008:xx:05 21:00:00", "1/250");
    rig.Flow.AddShot({1, 1});
    EXPECT_THROW(rig.Flow.ReadPictures(rig.Dir.Path()), ConversionError);
    EXPECT_EQ(FileNames(rig.Flow), std::vector<std::string>{"a.JPG"});
    EXPECT_EQ(rig.Flow.Shots().size(), 1u); // steps after the scan did not run
    EXPECT_TRUE(rig.Flow.Matches().empty());
    EXPECT_EQ(rig.Host.Log.back(), "progress: close");
}

TEST(ReadPictures, AnImpossibleDateIsThatImagesReadingFailure)
{
    ScanRig rig;
    rig.AddImageFile("a.JPG", "2008:01:05 21:00:00", "1/250");
    rig.AddImageFile("b.JPG", "2008:02:30 21:00:00", "1/250");
    rig.AddImageFile("c.JPG", "2008:01:05 21:02:00", "1/250");
    rig.Flow.AddShot({1, 1});
    EXPECT_EQ(rig.Flow.ReadPictures(rig.Dir.Path()), TDirectoryField::dfKeep);
    EXPECT_EQ(FileNames(rig.Flow), std::vector<std::string>{"a.JPG"});
    EXPECT_EQ(rig.Host.MessageTexts("error"),
              std::vector<std::string>{"Fehler beim Auslesen von Bild \"b.JPG\"!"});
    EXPECT_EQ(rig.Host.TerminateRequests, 1);
    EXPECT_EQ(rig.Host.Log.back(), "progress: close");
}

#ifndef _WIN32
TEST(ExifToolLocation, ProgramDirectoryFirstThenSearchPath)
{
    TempDir program;
    TempDir path;
    const std::string onPath = path.Write("exiftool", "#!/bin/sh\n");
    std::filesystem::permissions(onPath, std::filesystem::perms::owner_all);
    EXPECT_EQ(FindExifTool(program.Path(), path.Path()), onPath);
    const std::string local = program.Write("exiftool");
    EXPECT_EQ(FindExifTool(program.Path(), path.Path()), local);
    EXPECT_EQ(FindExifTool("", program.Path() + "/none"), std::nullopt);
    EXPECT_EQ(MissingExifToolMessage(), "\"exiftool\" ist nicht vorhanden!");
}
#endif

namespace {

// Tools for the readers of a scan at once: each answers from the rig's
// FakeTool, which nothing changes meanwhile, and logs the paths it was asked.
// With Separate, they read several images in one call as the tool does,
// heading each image's lines unless Heads is off.
struct ReaderTools {
    std::mutex Mutex;
    std::vector<std::string> Asked;
    std::size_t Made = 0;
    std::size_t Calls = 0;
    bool Separate = false;
    bool Heads = true;

    struct Tool final : TMetadataTool {
        ReaderTools& Tools;
        const FakeTool& Answers;
        Tool(ReaderTools& tools, const FakeTool& answers) : Tools(tools), Answers(answers) {}
        bool SeparatesFiles() const override { return Tools.Separate; }
        void Run(const std::vector<std::string>& arguments,
                 std::vector<std::string>& lines) override
        {
            const std::lock_guard<std::mutex> lock(Tools.Mutex);
            ++Tools.Calls;
            const auto paths = std::find_if(arguments.begin(), arguments.end(),
                                            [](const std::string& a) { return a[0] == '-'; }) -
                               arguments.begin();
            for (std::size_t i = 0; i < static_cast<std::size_t>(paths); ++i) {
                Tools.Asked.push_back(arguments[i]);
                if (paths > 1 && Tools.Heads)
                    lines.push_back("======== " + arguments[i]);
                if (const auto found = Answers.Output.find(arguments[i]);
                    found != Answers.Output.end())
                    lines.insert(lines.end(), found->second.begin(), found->second.end());
            }
            lines.push_back("    " + std::to_string(paths) + " image files read");
        }
    };

    // The rig reads with readers tools at once, the first one first when given.
    void Attach(ScanRig& rig, std::size_t readers, std::unique_ptr<TMetadataTool> first = nullptr)
    {
        rig.Flow.SetScanReaders(readers);
        auto kept = std::make_shared<std::unique_ptr<TMetadataTool>>(std::move(first));
        rig.Flow.SetScanToolFactory([this, &rig, kept]() -> std::unique_ptr<TMetadataTool> {
            return ++Made == 1 && *kept ? std::move(*kept)
                                        : std::make_unique<Tool>(*this, *rig.Tool);
        });
    }
};

// Twenty images over three moments, each with its lines also in a file
// beside it; image unreadableAt has no exposure time, badDateAt a bad
// date. The scan's records, messages, end requests and error as texts.
std::vector<std::string> Scan(ScanRig& rig, int unreadableAt = -1, int badDateAt = -1,
                              const std::string& badDate = "2008:13:05 21:00:00")
{
    for (int i = 0, fresh = rig.Tool->Output.empty(); fresh && i < 20; ++i) {
        const std::string name =
            (i < 10 ? "0" : "") + std::to_string(i) + (i % 3 ? ".JPG" : ".CR2");
        const std::string path = rig.AddImageFile(
            name, i == badDateAt ? badDate : "2008:01:05 21:0" + std::to_string(i % 3) + ":00",
            i == unreadableAt ? "" : std::to_string(i + 1));
        rig.Dir.Write(name + ".lines",
                      rig.Tool->Output[path].front() + "\n" +
                          (i == unreadableAt ? "" : rig.Tool->Output[path].back()));
    }
    rig.Host.Messages.clear();
    rig.Host.TerminateRequests = 0;
    std::vector<std::string> seen;
    try {
        seen.push_back(rig.Flow.ScanPictures(rig.Dir.Path()) ? "true" : "false");
    } catch (const std::exception& e) {
        seen.push_back(e.what());
    }
    for (const TImageItem& image : rig.Flow.Images())
        seen.push_back(image.FileName + " " + std::to_string(image.Date) + " " +
                       std::to_string(image.ExposureTime));
    for (const std::string& line : MessageLines(rig.Host.Messages))
        seen.push_back(line);
    seen.push_back(std::to_string(rig.Host.TerminateRequests));
    return seen;
}

} // namespace

TEST(ScanPicturesAtOnce, GivesWhatTheScanInTurnGives)
{
    const struct Case {
        const char* what;
        int unreadableAt;
        int badDateAt;
        int cancelAt;      // the call for events that requests it
        bool sessionFails; // the first reader's, which then runs a process per image
        const char* badDate = "2008:13:05 21:00:00";
    } cases[] = {
        {"equal dates keep the name order", -1, -1, 0, false},
        {"the first unreadable image ends it", 9, -1, 0, false},
        {"an impossible date is an unreadable image", 16, 7, 0, false},
        {"a date beyond 32 bits is an unreadable image", -1, 7, 0, false, "9999:12:31 23:59:59"},
        {"a date that is no number throws in its turn", 16, 7, 0, false, "2008:xx:05 21:00:00"},
        {"an unreadable image before an impossible date", 4, 5, 0, false},
        {"a cancel before the third image", -1, -1, 3, false},
        {"a session that fails reads its share per call", 13, -1, 0, true},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        if (c.sessionFails)
            continue; // its tool is a shell script
#endif
        for (std::size_t readers = 2; readers <= 4; ++readers) {
            for (const bool separate : {false, true}) {
                ScanRig rig;
                rig.Host.OnPendingEvents = [&] {
                    rig.Host.SetCancel(rig.Host.PendingEventCalls == c.cancelAt);
                };
                const std::vector<std::string> inTurn =
                    Scan(rig, c.unreadableAt, c.badDateAt, c.badDate);
                const std::size_t read = rig.Flow.Images().size();
                rig.Host.PendingEventCalls = 0;
                // Its session ends at once; run per call, it prints the lines
                // beside the (first) image, which cannot be cut into images.
                const std::string tool = rig.Dir.Write(
                    "tool", "#!/bin/sh\n[ \"$1\" = -stay_open ] && exit 0\ncat \"$1.lines\"\n");
                std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
                ReaderTools tools;
                tools.Separate = separate;
                tools.Attach(rig, readers,
                             c.sessionFails ? std::make_unique<TExifToolSession>(tool) : nullptr);
                const std::string what = std::string(c.what) + ", " + std::to_string(readers) +
                                         " readers" + (separate ? ", in batches" : "");
                EXPECT_EQ(Scan(rig), inTurn) << what;
                EXPECT_EQ(tools.Made, readers);
                // None is handed out after a cancel or after the image that
                // ended the scan, and at most two per reader were in flight
                // before it (two batches, in batches).
                const std::size_t batch = separate ? 20 / (2 * readers) : 1;
                EXPECT_LE(tools.Asked.size(),
                          std::min<std::size_t>(20, read + (c.cancelAt ? 0 : 2 * readers * batch)))
                    << what;
                // In batches, fewer calls than images.
                if (separate && !c.sessionFails) {
                    EXPECT_LT(tools.Calls, tools.Asked.size()) << what;
                }
                const std::vector<std::string> names = ImageFileNames(rig.Dir.Path());
                const auto asked = [&](std::size_t k) {
                    return std::count(tools.Asked.begin(), tools.Asked.end(),
                                      rig.Dir.File(names[k]));
                };
                EXPECT_EQ(asked(0), c.sessionFails ? 0 : 1) << what;
                // The second reader's first: never read twice, and read
                // where the scan went past it.
                EXPECT_LE(asked(batch), 1) << what;
                if (read > batch) {
                    EXPECT_EQ(asked(batch), 1) << what;
                }
            }
        }
    }
}

TEST(ScanPicturesAtOnce, AReaderWhoseOutputCannotBeCutReadsImageByImageFromThenOn)
{
    ScanRig rig;
    const std::vector<std::string> inTurn = Scan(rig);
    ReaderTools tools;
    tools.Separate = true;
    tools.Heads = false;
    tools.Attach(rig, 2);
    EXPECT_EQ(Scan(rig), inTurn);
    // Four batches of five: each reader's first in one call, then all twenty alone.
    EXPECT_EQ(tools.Calls, 2u + 20u);
}

TEST(ReadImagesTogether, CutsTheOutputAtTheHeadsOfItsFilesOrGivesUp)
{
    const std::vector<std::string> paths = {"a.JPG", "./-b.JPG"};
    const std::string date = "Create Date : 2008:01:05 21:03:07";
    const std::string count = "    2 image files read";
    using Pieces = std::vector<std::vector<std::string>>;
    const struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::optional<Pieces> pieces;
    } cases[] = {
        {"a head for each",
         {"======== a.JPG", date, "======== ./-b.JPG", count},
         Pieces{{date}, {}}},
        {"a file not read",
         {"======== a.JPG", date, "    1 files could not be read"},
         std::nullopt},
        {"in another order", {"======== ./-b.JPG", "======== a.JPG"}, std::nullopt},
        {"a line before the first head",
         {date, "======== a.JPG", "======== ./-b.JPG"},
         std::nullopt},
        {"one head too many",
         {"======== a.JPG", "======== ./-b.JPG", "======== c.JPG"},
         std::nullopt},
        {"no heads, as one file's run", {date}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitFileOutput(c.lines, paths), c.pieces) << c.what;
    // The tool may print a Windows path with "/".
    const std::vector<std::string> windows = {"d:\\x\\a.JPG"};
    EXPECT_EQ(SplitFileOutput({"======== d:/x/a.JPG", date}, windows).has_value(), test::kWindows);

    // Files not there are not asked, and one left is read alone.
    TempDir dir;
    FakeTool tool;
    tool.Separates = true;
    const std::string a = dir.Write("a.JPG");
    const std::string b = dir.Write("b.JPG");
    tool.Fallback = {"======== " + a, date, "======== " + b};
    const auto read = ReadImagesTogether(tool, {a, dir.File("gone.JPG"), b});
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read,
              (std::vector<std::optional<std::vector<std::string>>>{
                  std::vector<std::string>{date}, std::nullopt, std::vector<std::string>{}}));
    EXPECT_EQ(tool.Calls.at(0).at(1), b);
    EXPECT_EQ(ReadImagesTogether(tool, {a, dir.File("gone.JPG")}), std::nullopt);
    tool.Separates = false; // one file a call
    EXPECT_EQ(ReadImagesTogether(tool, {a, b}), std::nullopt);
    EXPECT_EQ(tool.Calls.size(), 1u);
}
