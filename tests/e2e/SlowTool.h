#pragma once

#include "E2ESession.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zelmaro::test {

// exiftool itself, run through a Perl wrapper named "exiftool" in dir.path:
// moving a written file into place waits renameDelay seconds, and reading a
// file whose name holds "STALL" never ends, as on a dead network share.
// Every process of it notes its id in dir.path/pids.
struct SlowTool {
    const TempDir& Dir;
    std::string Path;

    SlowTool(const TempDir& dir, double renameDelay)
        : Dir(dir), Path(dir.Write("exiftool", Script(dir.File("pids"), renameDelay), true))
    {
    }

    static std::string Script(const std::string& pids, double renameDelay)
    {
        return "#!/usr/bin/perl\n"
               "BEGIN { if (open(my $f, '>>', '" +
               pids +
               "')) { print $f \"$$\\n\"; close $f; } }\n"
               "use Image::ExifTool;\n"
               "require 'Image/ExifTool/Writer.pl';\n"
               "no warnings 'redefine';\n"
               "my $rename = \\&Image::ExifTool::Rename;\n"
               "*Image::ExifTool::Rename = sub {\n"
               "    select(undef, undef, undef, " +
               std::to_string(renameDelay) +
               ") if $_[1] =~ /_exiftool_tmp$/;\n"
               "    return $rename->(@_);\n"
               "};\n"
               "my $info = \\&Image::ExifTool::ImageInfo;\n"
               "*Image::ExifTool::ImageInfo = sub {\n"
               "    sleep 3600 if grep { defined $_ && !ref $_ && /STALL/ } @_[1 .. $#_];\n"
               "    return $info->(@_);\n"
               "};\n"
               "$0 = '" +
               ExifToolPath() +
               "';\n"
               "do $0;\n"
               "die $@ if $@;\n";
    }

    // The ids of every process of the tool started so far.
    std::vector<pid_t> Processes() const
    {
        std::vector<pid_t> ids;
        std::ifstream file(Dir.File("pids"));
        for (pid_t id = 0; file >> id;)
            ids.push_back(id);
        return ids;
    }
};

// Whether the process has ended (an unreaped one counts as ended).
inline bool ProcessEnded(pid_t id)
{
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string pidText, name, state;
    if (!(stat >> pidText >> name >> state))
        return true;
    return state == "Z" || state == "X";
}

// Waits up to seconds for every process to end; those still running.
inline std::vector<pid_t> StillRunning(const std::vector<pid_t>& ids, int seconds = 10)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<pid_t> running;
    do {
        running.clear();
        for (const pid_t id : ids)
            if (!ProcessEnded(id))
                running.push_back(id);
        if (running.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return running;
}

// zelmaro-cli started in the background with toolDir first on its PATH,
// its output and error into files of dir.
class BackgroundCli {
public:
    BackgroundCli(const TempDir& dir, const std::string& name, const std::string& toolDir,
                  const std::vector<std::string>& arguments)
        : FOut(dir.File(name + ".out")), FErr(dir.File(name + ".err"))
    {
        std::vector<std::string> texts = {ZELMARO_CLI};
        texts.insert(texts.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& text : texts)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        std::string path =
            "PATH=" + toolDir + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "");
        std::vector<char*> env = {path.data()};
        for (char** variable = environ; *variable; ++variable)
            if (std::string_view(*variable).substr(0, 5) != "PATH=")
                env.push_back(*variable);
        env.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, FOut.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, FErr.c_str(), O_WRONLY | O_CREAT, 0644);
        if (posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
            FPid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~BackgroundCli()
    {
        if (FPid != 0 && !FExitCode) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
    }
    BackgroundCli(const BackgroundCli&) = delete;
    BackgroundCli& operator=(const BackgroundCli&) = delete;

    pid_t Pid() const { return FPid; }
    // Its exit code (128 + signal when killed), waiting up to seconds; -1 when it still runs.
    int Wait(int seconds = 120)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!FExitCode && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(FPid, &status, WNOHANG) == FPid)
                FExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return FExitCode.value_or(-1);
    }
    std::string Out() const { return FileBytes(FOut); }
    std::string Err() const { return FileBytes(FErr); }

private:
    std::string FOut, FErr;
    pid_t FPid = 0;
    std::optional<int> FExitCode;
};

} // namespace zelmaro::test
