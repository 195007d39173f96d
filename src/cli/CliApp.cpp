#include "cli/CliApp.h"

#include "cli/CliOptions.h"
#include "cli/ConsoleHost.h"
#include "cli/PalmUsers.h"
#include "cli/TableOutput.h"
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"
#include "support/Conversions.h"
#include "support/Paths.h"
#include "workflow/Workflow.h"

#include <exception>
#include <filesystem>

namespace zelmaro {

namespace {

std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// --restore and --delete-originals: one line per original on the output,
// one per failure on the error stream.
int RunOriginals(TWorkflow& flow, const std::string& directory, bool restore, std::ostream& out,
                 std::ostream& err)
{
    const auto results = flow.RestoreOriginals(directory, restore ? TOriginalAction::oaRestore
                                                                  : TOriginalAction::oaDelete);
    if (results.empty())
        err << "Hinweis: In \"" << directory << "\" liegen keine Originale (NAME_original).\n";
    bool failed = false;
    for (const TOriginalResult& result : results) {
        if (result.Done) {
            out << (restore ? "Wiederhergestellt: " + result.FileName
                            : "Gelöscht: " + result.FileName + "_original")
                << '\n';
        } else {
            failed = true;
            err << "Fehler: Das Original von \"" << result.FileName << "\" ließ sich nicht "
                << (restore ? "zurückholen" : "löschen") << ".\n";
        }
    }
    out.flush();
    return failed ? kExitError : kExitOk;
}

// The one JSON document of a run: the fields, the rows and, after a
// write-back, what it did.
void WriteJsonDocument(std::ostream& out, const TWorkflow& flow, const TImageTable& table,
                       const std::optional<TAutoOffsetReport>* autoOffset,
                       const TWorkflow::TWriteReport* write)
{
    TJsonObject document;
    document.Add("offset", std::to_string(flow.Offset()));
    document.Add("tolerance", std::to_string(flow.Tolerance()));
    if (autoOffset)
        document.Add("autoOffset", JsonAutoOffset(*autoOffset));
    document.Add("rows", [&](std::ostream& json) { WriteJsonRows(json, flow, table); });
    if (write) {
        document.Add("written", JsonStrings(write->Written));
        std::string failed = "[";
        for (const TWriteFailure& failure : write->Failed)
            failed += (failed.size() > 1 ? ", " : "") + std::string("{\"image\": ") +
                      JsonString(failure.FileName) + ", \"reason\": " + JsonString(failure.Reason) +
                      "}";
        document.Add("failed", failed + "]");
    }
    document.Write(out);
    out.flush();
}

int Run(const TCliOptions& options, std::ostream& out, std::ostream& err,
        const TCliEnvironment& environment, const RegistryStore& registry)
{
    std::atomic<bool> localCancel = false;
    TConsoleHost host(err, environment.ErrIsTerminal,
                      environment.Cancel ? *environment.Cancel : localCancel);
    TConsoleTable table;
    TWorkflow flow(host, table, environment.Settings);
    flow.SetPalmRegistry(registry);
    if (!flow.LocateExifTool())
        return kExitError;

    // Made absolute so that no path reaches the tool looking like an option.
    std::string directory = AbsolutePath(options.Directory);
    if (!DirExists(directory)) {
        err << "Fehler: Das Verzeichnis \"" << options.Directory << "\" existiert nicht!\n";
        return kExitUsage;
    }
    while (directory.size() > 1 && directory.back() == kPathDelimiter)
        directory.pop_back();
    if (options.Restore || options.DeleteOriginals)
        return RunOriginals(flow, directory, options.Restore, out, err);
    std::optional<std::string> logFile;
    if (options.LogFile) {
        logFile = AbsolutePath(*options.LogFile);
        if (!FileExists(*logFile)) {
            err << "Fehler: Die Datei \"" << *options.LogFile << "\" existiert nicht!\n";
            return kExitUsage;
        }
    }
    std::optional<std::int32_t> palmUser;
    if (options.PalmUser) {
        const TPalmUsersDat users(registry);
        palmUser = FindPalmUser(users, *options.PalmUser);
        if (!palmUser) {
            err << "Fehler: Einen Palm-Desktop-Benutzer \"" << *options.PalmUser
                << "\" gibt es nicht!\n";
            return kExitUsage;
        }
    }

    host.SetDirectoryText(directory);
    flow.SetMaxOffset(options.MaxOffset);
    if (options.AlignNearest)
        flow.SetAlignment(TAlignment::alNearest);
    if (options.Offset)
        flow.SetOffset(*options.Offset);
    if (options.Tolerance)
        flow.SetTolerance(*options.Tolerance);

    flow.ReadPictures();
    if (host.TerminateRequested())
        return kExitError;
    // A log file without a single entry was a warning; writing would use nothing.
    bool logUnusable = false;
    if (palmUser) {
        flow.ReadLogMemo(palmUser);
    } else if (logFile) {
        flow.ReadShotFile(*logFile);
        flow.MatchAll();
        logUnusable = flow.Shots().empty();
    } else if (!host.DirectoryText().empty() &&
               FileExists(JoinPath(host.DirectoryText(), "Zelmaro.txt"))) {
        flow.ReadLogFile();
        logUnusable = flow.Shots().empty();
    }
    // The host writes the report's line.
    std::optional<TAutoOffsetReport> autoOffset;
    if (options.AutoOffset)
        autoOffset = flow.FindAutoOffset();
    const bool json = options.Format == TOutputFormat::ofJson;
    if (!json)
        WriteTable(out, flow, table, options.Format);

    const bool write = options.Write && !host.CancelRequested() && !logUnusable;
    if (write) {
        flow.WriteExposureTimes();
        if (!json && !host.TerminateRequested()) {
            if (options.Format == TOutputFormat::ofTable)
                out << '\n';
            WriteTable(out, flow, table, options.Format);
        }
    }
    if (json)
        WriteJsonDocument(out, flow, table, options.AutoOffset ? &autoOffset : nullptr,
                          options.Write ? &flow.LastWrite() : nullptr);
    if (host.TerminateRequested())
        return kExitError;
    if (host.CancelRequested()) {
        err << "Abgebrochen.\n";
        return kExitCancelled;
    }
    if (options.Write && logUnusable)
        return kExitError;
    return write && !flow.LastWrite().Failed.empty() ? kExitError : kExitOk;
}

} // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const TCliEnvironment& environment)
{
    const TCliParse parse = ParseCliArguments(arguments);
    if (!parse.Error.empty()) {
        err << "Fehler: " << parse.Error << "\n\"zelmaro-cli --help\" erklärt den Aufruf.\n";
        return kExitUsage;
    }
    if (parse.Options.Help) {
        out << CliUsage();
        return kExitOk;
    }
    const MemoryRegistryStore noRegistry;
    const RegistryStore& registry = environment.Registry ? *environment.Registry : noRegistry;
    if (parse.Options.ListPalmUsers) {
        const TPalmUsersDat users(registry);
        if (!users.Installed())
            err << "Hinweis: Palm Desktop ist nicht eingerichtet.\n";
        WritePalmUsers(out, users);
        return kExitOk;
    }
    try {
        return Run(parse.Options, out, err, environment, registry);
    } catch (const std::exception& e) {
        // What the window's general error box would show.
        err << "Fehler: " << e.what() << '\n';
        return kExitError;
    }
}

} // namespace zelmaro
