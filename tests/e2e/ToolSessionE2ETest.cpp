#include "E2ESession.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

using Texts = std::vector<std::string>;

// How many processes this test has started that still run.
std::size_t ChildProcesses()
{
    const std::string parent = std::to_string(::getpid());
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(") ") == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.rfind(") ") + 2));
        std::string state, ppid;
        fields >> state >> ppid;
        count += ppid == parent;
    }
    return count;
}

class ToolSessionTest : public ::testing::Test {
protected:
    TempDir Dir;
    void TearDown() override
    {
        EXPECT_FALSE(HasChildProcess()) << "a tool process outlived the session";
    }
};

TEST(ToolSessionArguments, OnlyArgumentsALineCarriesUnchangedFit)
{
    struct Case {
        std::string argument;
        bool fits;
    } cases[] = {
        {"/dir/IMG_0001.JPG", true},
        {"./-ExposureTime=9.JPG", true},
        {"/dir/Nacht am See/a.jpg", true},
        {"-ExposureTime=1/250", true},
        {"/dir/a\n-ver", false},
        {"/dir/a\rb.jpg", false},
        {"", false},
        {"#comment.jpg", false},
        {" /dir/a.jpg", false},
        {"/dir/a.jpg ", false},
        {"/dir/a.jpg\t", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TExifToolSession::FitsArgumentLine(c.argument), c.fits) << c.argument;
}

TEST_F(ToolSessionTest, GivesTheLinesOfASingleRun)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "1/250"}, {"b.JPG", "", "30"}});
    std::vector<Texts> calls = {
        {Dir.File("a.JPG"), "-CreateDate", "-ExposureTime"},
        {Dir.File("b.JPG"), "-CreateDate", "-ExposureTime"},
        {Dir.File("missing.JPG"), "-CreateDate", "-ExposureTime"},
        {"-ExposureTime=2", "-P", Dir.File("b.JPG")},
        {Dir.File("b.JPG"), "-ExposureTime"},
    };
    const std::string fixtures = ZELMARO_CAMERA_FIXTURES;
    if (std::filesystem::is_directory(fixtures))
        for (const auto& entry : std::filesystem::directory_iterator(fixtures))
            calls.push_back({entry.path().string(), "-CreateDate", "-ExposureTime"});
    // The write above must happen in both runs alike: run each call first
    // singly, then in the session, before going on.
    TExifToolSession session(ExifToolPath());
    for (const Texts& call : calls) {
        const bool writes = call.front().rfind("-ExposureTime=", 0) == 0;
        const Texts single = RunExifTool(call);
        Texts inSession;
        session.Run(call, inSession);
        if (writes) // the second write finds nothing to change
            EXPECT_EQ(single.size(), inSession.size()) << call.front();
        else
            EXPECT_EQ(inSession, single) << call.front();
    }
    EXPECT_FALSE(session.FellBack());
    EXPECT_NE(session.SessionHandle(), 0);
}

TEST_F(ToolSessionTest, NamesALineCannotCarryGoTheOldWayAndInjectNothing)
{
    // On its own line "-ver" would be an option of the session.
    const std::string odd = Dir.File("a\n-ver");
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "1/250"}});
    std::filesystem::copy_file(Dir.File("a.JPG"), odd);
    const Texts call = {odd, "-CreateDate", "-ExposureTime"};

    TExifToolSession session(ExifToolPath());
    Texts lines;
    session.Run(call, lines);
    EXPECT_EQ(lines, RunExifTool(call));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[1].find("1/250"), std::string::npos);
    // The session itself is still there for the next call.
    Texts next;
    session.Run({Dir.File("a.JPG"), "-ExposureTime"}, next);
    EXPECT_FALSE(session.FellBack());
}

TEST_F(ToolSessionTest, AReadPastItsBoundFailsAndTheNextCallHasAFreshSession)
{
    // Reads its input forever and answers nothing; run singly it prints one line.
    const std::string fake = Dir.Write(
        "mute-tool",
        "#!/bin/sh\nif [ \"$1\" = -stay_open ]; then exec sleep 600; fi\necho \"single $1\"\n",
        true);
    TExifToolSession session(fake, 300);
    for (int call = 1; call <= kSessionStarts; ++call) {
        Texts lines;
        try {
            session.Run({"x"}, lines);
            ADD_FAILURE() << "a read without an answer passed";
        } catch (const EToolCallFailed& failure) {
            EXPECT_EQ(failure.Reason(), EToolCallFailed::TReason::trTimedOut);
            EXPECT_STREQ(failure.what(), "exiftool hat in 1 s nicht geantwortet.");
        }
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(session.SessionHandle(), 0);
        EXPECT_FALSE(HasChildProcess());
        EXPECT_EQ(session.SessionsStarted(), call);
    }
    // Sessions that keep failing give way to one process per call.
    EXPECT_TRUE(session.FellBack());
    Texts lines;
    session.Run({"y"}, lines);
    EXPECT_EQ(lines, (Texts{"single y", ""}));
}

TEST_F(ToolSessionTest, AWriteIsWaitedForWhateverItsBound)
{
    // Answers a call after 1.5 s, far past the read bound.
    const std::string slow =
        Dir.Write("slow-tool",
                  "#!/bin/sh\nwhile read -r line; do case $line in -execute*) sleep 1.5; "
                  "echo done; echo \"{ready${line#-execute}}\";; esac; done\n",
                  true);
    TExifToolSession session(slow, 300);
    int waits = 0;
    session.SetWaitHook([&](const TToolWait& wait) {
        EXPECT_TRUE(wait.Writing);
        ++waits;
        return false; // a stop request, which a write does not heed
    });
    Texts lines, errors;
    session.RunWrite({"-ExposureTime=30", "a.JPG"}, lines, errors);
    EXPECT_EQ(lines, (Texts{"done", ""}));
    EXPECT_GT(waits, 0);
    EXPECT_EQ(session.SessionsStarted(), 1);
}

TEST_F(ToolSessionTest, AMissingToolFailsAsASingleRunDoes)
{
    TExifToolSession session(Dir.File("no-such-tool"));
    Texts lines;
    EXPECT_ANY_THROW(session.Run({"x"}, lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(ToolSessionTest, AKilledSessionMidScanIsStartedAfreshAndTheScanCompletes)
{
    std::vector<TaggedImage> images;
    for (int i = 0; i < 5; ++i)
        images.push_back({"IMG_000" + std::to_string(i) + ".JPG",
                          "2008:01:05 21:0" + std::to_string(i) + ":14", "1/250"});
    WriteTaggedImages(Dir.Path(), images);

    // One reader per usable core, then two and four at once: the first
    // reader's session is the command's.
    for (const std::size_t readers : {0, 2, 4}) {
        WorkflowRig rig;
        ASSERT_TRUE(rig.Flow.LocateExifTool());
        rig.Flow.SetScanReaders(readers);
        TProcessHandle killed = 0;
        bool fellBack = false;
        int started = 0;
        rig.Host.OnPendingEvents = [&] {
            const TExifToolSession* session = rig.Flow.ToolSession();
            ASSERT_NE(session, nullptr);
            if (rig.Host.PendingEventCalls == 3) { // after the second image
                killed = session->SessionHandle();
                ASSERT_NE(killed, 0);
                ::kill(static_cast<pid_t>(killed), SIGKILL);
            }
            fellBack = session->FellBack();
            started = session->SessionsStarted();
        };
        rig.Flow.ReadPictures(Dir.Path());

        EXPECT_NE(killed, 0) << readers;
        EXPECT_FALSE(fellBack) << readers;
        EXPECT_EQ(started, 2) << readers; // a fresh session, not a process per image
        EXPECT_TRUE(rig.Host.Messages.empty());
        EXPECT_EQ(rig.Host.TerminateRequests, 0);
        EXPECT_EQ(rig.Flow.Images().size(), 5u);
        for (const TImageItem& image : rig.Flow.Images())
            EXPECT_NE(image.ExposureTime, 0) << image.FileName;
        EXPECT_EQ(rig.Flow.ToolSession(), nullptr);
        EXPECT_FALSE(HasChildProcess()) << readers;
    }
}

TEST_F(ToolSessionTest, TheSessionEndsWithTheCommandOnEveryWayOut)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "1/250"},
                                   {"b.JPG", "2008:01:05 21:04:14", ""},
                                   {"c.JPG", "2008:01:05 21:05:14", "2"}});
    WorkflowRig rig;
    ASSERT_TRUE(rig.Flow.LocateExifTool());
    TProcessHandle seen = 0;
    rig.Host.OnPendingEvents = [&] {
        if (const TExifToolSession* session = rig.Flow.ToolSession())
            seen = session->SessionHandle() ? session->SessionHandle() : seen;
    };

    // Ended by the unreadable image.
    rig.Flow.ReadPictures(Dir.Path());
    EXPECT_EQ(rig.Host.TerminateRequests, 1);
    EXPECT_NE(seen, 0);
    EXPECT_EQ(rig.Flow.ToolSession(), nullptr);
    EXPECT_FALSE(HasChildProcess());

    // Cancelled after the first image.
    rig.Host.OnPendingEvents = [&] {
        if (rig.Host.PendingEventCalls >= 2)
            rig.Host.RequestCancel();
    };
    rig.Flow.ReadPictures(Dir.Path());
    EXPECT_FALSE(HasChildProcess());
}

TEST_F(ToolSessionTest, HeldSessionsGoOnFromTheScanToTheWriteAndEndWithTheHold)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:14", "1/250"},
                                   {"b.JPG", "2008:01:05 21:04:14", "1/250"},
                                   {"c.JPG", "2008:01:05 21:05:14", "1/250"},
                                   {"d.JPG", "2008:01:05 21:06:14", "1/250"}});
    Dir.Write("Zelmaro.txt",
              "Zelmaro\r\n-0801052103142-0801052104142-0801052105142-0801052106142-\r\n");
    WorkflowRig rig;
    ASSERT_TRUE(rig.Flow.LocateExifTool());
    rig.Flow.SetScanReaders(2);
    {
        const TWorkflow::TToolSessionsHold hold(rig.Flow);
        rig.Flow.ReadPictures(Dir.Path());
        rig.Flow.ReadLogFile(Dir.Path());
        ASSERT_NE(rig.Flow.ToolSession(), nullptr);
        const TProcessHandle handle = rig.Flow.ToolSession()->SessionHandle();
        EXPECT_EQ(ChildProcesses(), 2u); // the command's session and the other reader's

        rig.Flow.WriteExposureTimes();
        EXPECT_EQ(rig.Flow.LastWrite().Written.size(), 4u);
        EXPECT_TRUE(rig.Host.Messages.empty());
        ASSERT_NE(rig.Flow.ToolSession(), nullptr);
        EXPECT_EQ(rig.Flow.ToolSession()->SessionHandle(), handle);
        EXPECT_EQ(rig.Flow.ToolSession()->SessionsStarted(), 1);
        EXPECT_EQ(ChildProcesses(), 2u); // the writers were the readers
    }
    EXPECT_EQ(rig.Flow.ToolSession(), nullptr);
    EXPECT_FALSE(HasChildProcess());
    // Without a hold each command has sessions of its own, as before.
    rig.Flow.ReadPictures(Dir.Path());
    EXPECT_EQ(rig.Flow.ToolSession(), nullptr);
}

} // namespace
