// Slow disks, dead shares, a second run and a killed program: no picture is
// lost and no tool process is left behind.

#include "SlowTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace zelmaro;
using namespace zelmaro::test;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;

// A night of count images two seconds long each, 20 s apart, and a log that
// says 30 s for every one of them.
std::vector<std::string> WriteNight(const TempDir& dir, int count)
{
    std::vector<TaggedImage> images;
    std::vector<std::string> names;
    std::string log = "Zelmaro\n";
    for (int i = 0; i < count; ++i) {
        const int second = i * 20;
        char name[32], date[32], entry[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
        std::snprintf(date, sizeof date, "2008:01:05 %02d:%02d:%02d", 20 + second / 3600,
                      second / 60 % 60, second % 60);
        std::snprintf(entry, sizeof entry, "-080105%02d%02d%02d30", 20 + second / 3600,
                      second / 60 % 60, second % 60);
        images.push_back({name, date, "2"});
        names.push_back(name);
        log += entry;
        log += "-\n";
    }
    WriteTaggedImages(dir.Path(), images);
    dir.Write("Zelmaro.txt", log);
    return names;
}

// The directory's file names other than the log, sorted.
Texts Entries(const TempDir& dir)
{
    Texts names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename() != "Zelmaro.txt")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A workflow on the folder with the slow tool, its reads bounded far below
// the usual 30 s.
struct SlowRig : WorkflowRig {
    SlowRig(const SlowTool& tool, const TempDir& dir) : Directory(dir.Path())
    {
        Flow.SetExifTool(tool.Path);
        Flow.SetReadBoundMs(2500);
    }
    // "Auslesen" and the log file of dir.
    void ReadAll()
    {
        Flow.ReadPictures(Directory);
        Flow.ReadLogFile(Directory);
    }
    std::string Directory;
};

struct NothingLost : ::testing::Test {
    TempDir Dir;
    TempDir ToolDir;
    void TearDown() override
    {
        EXPECT_FALSE(HasChildProcess()) << "a tool process outlived the run";
    }
};

} // namespace

TEST_F(NothingLost, AWriteSlowerThanEveryBoundIsWaitedForNotKilled)
{
    const Texts names = WriteNight(Dir, 2);
    const Texts before = EachFile(Dir, names, FileBytes);
    // Putting each written file in place takes longer than the read bound.
    const SlowTool tool(ToolDir, 4.0);
    for (const bool session : {true, false}) {
        SlowRig rig(tool, Dir);
        rig.Flow.SetToolSessionEnabled(session);
        rig.ReadAll();
        rig.Flow.WriteExposureTimes();

        EXPECT_EQ(rig.Flow.LastWrite().Written, names) << session;
        EXPECT_TRUE(rig.Host.Messages.empty()) << session;
        EXPECT_EQ(EachFile(Dir, names, StoredExposure), (Texts{"30", "30"}));
        EXPECT_EQ(Entries(Dir), (Texts{"IMG_0000.JPG", "IMG_0000.JPG_original", "IMG_0001.JPG",
                                       "IMG_0001.JPG_original"}));
        EXPECT_EQ(EachFile(Dir, {"IMG_0000.JPG_original", "IMG_0001.JPG_original"}, FileBytes),
                  before);
        for (const std::string& name : names)
            fs::rename(Dir.File(name + "_original"), Dir.File(name));
    }
}

TEST_F(NothingLost, AToolKilledWhileWritingIsNamedWithWhatItLeftAndTheRunGoesOn)
{
    const Texts names = WriteNight(Dir, 2);
    const std::string first = FileBytes(Dir.File(names[0]));
    const SlowTool tool(ToolDir, 3.0);
    SlowRig rig(tool, Dir);
    rig.Flow.SetScanReaders(1);
    rig.ReadAll();
    // Killed from outside between moving the image aside and putting the new
    // one in its place: the worst moment there is.
    const std::size_t before = tool.Processes().size();
    std::thread killer([&] {
        while (tool.Processes().size() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::kill(tool.Processes().back(), SIGKILL);
    });
    rig.Flow.WriteExposureTimes();
    killer.join();

    EXPECT_EQ(rig.Flow.LastWrite().Failed,
              (std::vector<TWriteFailure>{
                  {names[0], "exiftool wurde beim Schreiben beendet (durch Signal 9). Das Bild "
                             "fehlt; sein Original liegt als \"IMG_0000.JPG_original\" bereit "
                             "und lässt sich wiederherstellen. \"IMG_0000.JPG_exiftool_tmp\" "
                             "blieb übrig und wurde nicht gelöscht."}}));
    EXPECT_EQ(rig.Flow.LastWrite().Written, Texts{names[1]});
    EXPECT_EQ(rig.Host.TerminateRequests, 0);
    EXPECT_EQ(StoredExposure(Dir.File(names[1])), "30");

    // Putting it back names the leftover and leaves it alone.
    const auto restored = rig.Flow.RestoreOriginals(Dir.Path(), TOriginalAction::oaRestore);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->at(0),
              (TOriginalResult{names[0], true, "",
                               "\"IMG_0000.JPG_exiftool_tmp\" von einem abgebrochenen Schreiben "
                               "liegt noch im Verzeichnis; es wurde nicht angerührt."}));
    EXPECT_EQ(FileBytes(Dir.File(names[0])), first);
    EXPECT_TRUE(fs::exists(Dir.File("IMG_0000.JPG_exiftool_tmp")));
}

TEST_F(NothingLost, AReadThatHangsIsTheImagesFailureAndLeavesNoProcess)
{
    WriteTaggedImages(Dir.Path(), {{"A.JPG", "2008:01:05 21:03:14", "2"},
                                   {"B_STALL.JPG", "2008:01:05 21:04:14", "2"},
                                   {"C.JPG", "2008:01:05 21:05:14", "2"}});
    const SlowTool tool(ToolDir, 0);
    for (const std::size_t readers : {1, 2}) {
        SlowRig rig(tool, Dir);
        rig.Flow.SetScanReaders(readers);
        rig.Flow.ReadPictures(rig.Directory);
        EXPECT_EQ(rig.Host.MessageTexts("error"),
                  Texts{"Fehler beim Auslesen von Bild \"B_STALL.JPG\"!"})
            << readers;
        EXPECT_EQ(rig.Host.TerminateRequests, 1);
        EXPECT_FALSE(HasChildProcess());
    }
    EXPECT_THAT(StillRunning(tool.Processes()), ::testing::IsEmpty());
}

TEST_F(NothingLost, NoToolProcessOutlivesACancelAKilledRunOrAClosedOutput)
{
    WriteTaggedImages(Dir.Path(), {{"A.JPG", "2008:01:05 21:03:14", "2"},
                                   {"B_STALL.JPG", "2008:01:05 21:04:14", "2"}});
    const SlowTool tool(ToolDir, 0);
    // Ctrl+C and SIGTERM cancel, far sooner than the 30 s bound of a read;
    // SIGKILL leaves the tool to notice by itself.
    for (const int signal : {SIGINT, SIGTERM, SIGKILL}) {
        BackgroundCli cli(Dir, "cli" + std::to_string(signal), ToolDir.Path(), {Dir.Path()});
        ASSERT_NE(cli.Pid(), 0);
        // Two sessions and the reading of B under way.
        std::this_thread::sleep_for(std::chrono::seconds(3));
        ASSERT_FALSE(tool.Processes().empty());
        ::kill(cli.Pid(), signal);
        EXPECT_EQ(cli.Wait(10), signal == SIGKILL ? 128 + SIGKILL : 130) << cli.Err();
        if (signal != SIGKILL) {
            EXPECT_THAT(cli.Err(), HasSubstr("Abgebrochen."));
        }
        EXPECT_THAT(StillRunning(tool.Processes()), ::testing::IsEmpty()) << signal;
    }

    // Nobody reads past the first line.
    fs::remove(Dir.File("B_STALL.JPG"));
    WriteNight(Dir, 40);
    const std::string command = "PATH='" + ToolDir.Path() + "':\"$PATH\" '" + ZELMARO_CLI + "' '" +
                                Dir.Path() + "' --format csv | head -1 >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_THAT(StillRunning(tool.Processes()), ::testing::IsEmpty());
}

TEST_F(NothingLost, WritersAndRestorersTakeTurnsAndLoseNothing)
{
    const Texts names = WriteNight(Dir, 300);
    const Texts before = EachFile(Dir, names, FileBytes);
    const auto originals = [&] {
        Texts files;
        for (const std::string& name : names)
            files.push_back(name + "_original");
        return files;
    }();
    // Three at once, twice over: write, put back, write.
    for (const char* what : {"--write", "--restore", "--write"}) {
        std::vector<std::unique_ptr<BackgroundCli>> runs;
        for (int k = 0; k < 3; ++k) {
            Texts arguments = {Dir.Path(), what};
            if (std::string(what) == "--write")
                arguments.insert(arguments.end(), {"--offset", "0"});
            runs.push_back(std::make_unique<BackgroundCli>(ToolDir, what + std::to_string(k),
                                                           ToolDir.Path(), arguments));
        }
        int winners = 0;
        for (const auto& run : runs) {
            const int code = run->Wait();
            EXPECT_TRUE(code == 0 || code == 1) << what << ' ' << code << run->Err();
            winners += code == 0;
            // Reading takes no lock: a scan that meets an image just while
            // exiftool moves it aside may fail, but never changes anything.
            if (code == 1) {
                EXPECT_THAT(run->Err(), ::testing::AnyOf(HasSubstr("schreibt gerade ein anderes"),
                                                         HasSubstr("Fehler beim Auslesen")))
                    << what;
            }
        }
        EXPECT_GE(winners, 1) << what;
        if (std::string(what) == "--write") {
            EXPECT_EQ(EachFile(Dir, names, StoredExposure), Texts(names.size(), "30")) << what;
            EXPECT_EQ(EachFile(Dir, originals, FileBytes), before) << what;
            EXPECT_EQ(Entries(Dir).size(), 2 * names.size()) << what;
        } else {
            EXPECT_EQ(EachFile(Dir, names, FileBytes), before) << what;
            EXPECT_EQ(Entries(Dir), names) << what;
        }
    }
}
