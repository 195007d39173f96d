#include "cli/CliApp.h"

#include "cli/CliOptions.h"
#include "cli/ConsoleHost.h"
#include "cli/ConsoleText.h"
#include "cli/PalmUsers.h"
#include "cli/TableOutput.h"
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"
#include "support/Conversions.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "workflow/ShotLog.h"
#include "workflow/StatusTexts.h"
#include "workflow/Workflow.h"

#include <exception>
#include <filesystem>
#include <string_view>
#include <unordered_set>

namespace zelmaro {

namespace {

std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// --restore and --delete-originals: one line per original on the output,
// one per failure or note on the error stream.
int RunOriginals(TWorkflow& flow, const TConsoleHost& host, const std::string& directory,
                 bool restore, std::ostream& out, std::ostream& err)
{
    const TOriginalAction action = restore ? TOriginalAction::oaRestore : TOriginalAction::oaDelete;
    const auto results = flow.RestoreOriginals(directory, action);
    // Cancelled, or another writer has the directory (the host said so).
    if (!results)
        return host.CancelRequested() ? kExitCancelled : kExitError;
    if (results->empty())
        err << Fill(Tr("Hinweis: %1"), ConsoleText(NoOriginalsText(directory))) << '\n';
    bool failed = false;
    for (const TOriginalResult& result : *results) {
        if (result.Done) {
            out << ConsoleText(restore ? Fill(Tr("Wiederhergestellt: %1"), result.FileName)
                                       : Fill(Tr("Gelöscht: %1"), result.FileName + "_original"))
                << '\n';
        } else {
            failed = true;
            err << Fill(Tr("Fehler: %1"), ConsoleText(OriginalFailureText(result, action))) << '\n';
        }
        if (!result.Note.empty())
            err << Fill(Tr("Hinweis: %1"), ConsoleText(result.Note)) << '\n';
    }
    out.flush();
    return failed ? kExitError : kExitOk;
}

// The one JSON document of a run with --format json, written on every way
// out of it with what is known by then: "error" when the run failed or was
// cancelled; the table's members once the table was made.
class TJsonRun {
public:
    // started: set once the document is begun; a second one would break it.
    TJsonRun(std::ostream& out, const TWorkflow& flow, bool enabled, bool& started)
        : FOut(out), FFlow(flow), FEnabled(enabled), FStarted(started)
    {
    }

    // The table is made; with --auto-offset the report (may be null).
    void TableMade(const std::optional<TAutoOffsetReport>* autoOffset)
    {
        FTableMade = true;
        FAutoOffset = autoOffset;
    }
    // With --write: what took its value and what did not.
    void WriteDone(std::vector<std::string> written, std::vector<TWriteFailure> failed)
    {
        FWrite = {std::move(written), std::move(failed)};
    }
    // Writes the document and answers the exit code.
    int End(int code, const std::optional<std::string>& error = std::nullopt);

private:
    std::ostream& FOut;
    const TWorkflow& FFlow;
    bool FEnabled;
    bool& FStarted;
    bool FTableMade = false;
    const std::optional<TAutoOffsetReport>* FAutoOffset = nullptr;
    std::optional<std::pair<std::vector<std::string>, std::vector<TWriteFailure>>> FWrite;
};

int TJsonRun::End(int code, const std::optional<std::string>& error)
{
    if (!FEnabled || FStarted)
        return code;
    FStarted = true;
    TJsonObject document;
    if (error)
        document.Add("error", JsonString(*error));
    document.Add("offset", std::to_string(FFlow.Offset()));
    document.Add("tolerance", std::to_string(FFlow.Tolerance()));
    if (FTableMade) {
        if (FAutoOffset)
            document.Add("autoOffset", JsonAutoOffset(*FAutoOffset));
        document.Add("rows", [this](std::ostream& json) { WriteJsonRows(json, FFlow); });
    }
    if (FWrite) {
        document.Add("written", JsonStrings(FWrite->first));
        std::string failed = "[";
        for (const TWriteFailure& failure : FWrite->second)
            failed += (failed.size() > 1 ? ", " : "") + std::string("{\"image\": ") +
                      JsonString(failure.FileName) + ", \"reason\": " + JsonString(failure.Reason) +
                      "}";
        document.Add("failed", failed + "]");
    }
    document.Write(FOut);
    FOut.flush();
    return code;
}

// The images of the checked rows, which a write is to change.
std::vector<std::string> CheckedImages(const TWorkflow& flow)
{
    std::vector<std::string> names;
    for (const TMatchItem& item : flow.Matches()) {
        if (item.Checked && item.Image)
            names.push_back(item.Image->FileName);
    }
    return names;
}

// The checked images that a run which ended early never wrote.
std::vector<TWriteFailure> Unreached(const std::vector<std::string>& checked,
                                     const TWorkflow::TWriteReport& report)
{
    std::unordered_set<std::string_view> done(report.Written.begin(), report.Written.end());
    for (const TWriteFailure& failure : report.Failed)
        done.insert(failure.FileName);
    std::vector<TWriteFailure> unreached;
    for (const std::string& name : checked) {
        if (!done.contains(name))
            unreached.push_back({name, Tr("Der Lauf endete vor diesem Bild.")});
    }
    return unreached;
}

int Run(const TCliOptions& options, std::ostream& out, std::ostream& err,
        const TCliEnvironment& environment, const RegistryStore& registry, bool& documentStarted)
{
    std::atomic<bool> localCancel = false;
    TConsoleHost host(err, environment.ErrIsTerminal,
                      environment.Cancel ? *environment.Cancel : localCancel);
    TWorkflow flow(host, environment.Settings);
    flow.SetPalmRegistry(registry);
    // Set first, so that a document of a run that fails early shows them.
    flow.SetMaxOffset(options.MaxOffset);
    if (options.AlignNearest)
        flow.SetAlignment(TRowAlignment::alNearest);
    else if (options.AlignName)
        flow.SetAlignment(TRowAlignment::alName);
    else if (options.AlignFrame)
        flow.SetAlignment(TRowAlignment::alFrame);
    flow.SetFirstFrame(options.FirstFrame);
    flow.SetSidecar(options.Sidecar);
    flow.SetWriteAll(options.WriteAll);
    flow.SetLogColumns(options.Columns);
    if (options.Offset)
        flow.SetOffset(*options.Offset);
    if (options.Tolerance)
        flow.SetTolerance(*options.Tolerance);
    const bool json = options.Format == TOutputFormat::ofJson;
    TJsonRun document(out, flow, json && !options.Restore && !options.DeleteOriginals,
                      documentStarted);
    const auto fail = [&](int code, const std::string& message) {
        host.ShowError(message, {});
        return document.End(code, message);
    };
    if (!flow.LocateExifTool())
        return document.End(kExitError, host.LastError());
    // The scan's sessions go on to write: no second start of the tool.
    const TWorkflow::TToolSessionsHold sessions(flow);

    // Made absolute so that no path reaches the tool looking like an option.
    std::string directory = AbsolutePath(options.Directory);
    if (!DirExists(directory))
        return fail(kExitUsage,
                    Fill(Tr("Das Verzeichnis \"%1\" existiert nicht!"), options.Directory));
    while (directory.size() > 1 && directory.back() == kPathDelimiter)
        directory.pop_back();
    if (options.Restore || options.DeleteOriginals)
        return RunOriginals(flow, host, directory, options.Restore, out, err);
    std::optional<std::string> logFile;
    if (options.LogFile) {
        logFile = AbsolutePath(*options.LogFile);
        if (!FileExists(*logFile))
            return fail(kExitUsage,
                        Fill(Tr("Die Datei \"%1\" existiert nicht!"), *options.LogFile));
    }
    std::optional<std::int32_t> palmUser;
    if (options.PalmUser) {
        const TPalmUsersDat users(registry);
        palmUser = FindPalmUser(users, *options.PalmUser);
        if (!palmUser)
            return fail(kExitUsage, Fill(Tr("Einen Palm-Desktop-Benutzer \"%1\" gibt es nicht!"),
                                         *options.PalmUser));
    }

    const bool imagesFound = flow.ReadPictures(directory) == TDirectoryField::dfKeep;
    if (host.TerminateRequested())
        return document.End(kExitError, host.LastError());
    // A log file without a single entry was a warning; writing would use nothing.
    bool logUnusable = false;
    if (palmUser) {
        flow.ReadLogMemo(palmUser);
    } else if (logFile) {
        flow.ReadShotFile(*logFile);
        flow.MatchAll();
        logUnusable = flow.Shots().empty();
    } else if (imagesFound && flow.LogFileFound()) {
        flow.ReadLogFile(directory);
        logUnusable = flow.Shots().empty();
    }
    // The host writes the report's line.
    std::optional<TAutoOffsetReport> autoOffset;
    if (options.AutoOffset)
        autoOffset = flow.FindAutoOffset();
    document.TableMade(options.AutoOffset ? &autoOffset : nullptr);
    if (options.DryRun)
        out << flow.WriteArgumentFile();
    else if (!json)
        WriteTable(out, flow, options.Format);

    if (!out.flush()) {
        // Nobody reads on (the output was closed): nothing more is done.
        err << Tr("Fehler: Die Ausgabe ließ sich nicht schreiben; es wurde nichts geändert.")
            << '\n';
        return kExitError;
    }
    const bool write = options.Write && !host.CancelRequested() && !logUnusable;
    const std::vector<std::string> checked =
        options.Write ? CheckedImages(flow) : std::vector<std::string>{};
    if (write) {
        flow.WriteExposureTimes();
        if (host.TerminateRequested())
            flow.MatchAll(); // the table as far as the write went
        else if (!json) {
            if (options.Format == TOutputFormat::ofTable)
                out << '\n';
            WriteTable(out, flow, options.Format);
        }
    }
    for (const TWriteFailure& note : flow.LastWrite().Notes)
        err << Fill(Tr("Hinweis: %1"),
                    ConsoleText(Fill(Tr("Bild \"%1\": %2"), note.FileName, note.Reason)))
            << '\n';
    if (options.Write) {
        std::vector<TWriteFailure> failed = flow.LastWrite().Failed;
        if (host.TerminateRequested() || host.CancelRequested()) {
            const std::vector<TWriteFailure> unreached = Unreached(checked, flow.LastWrite());
            host.ShowWriteFailures(unreached);
            failed.insert(failed.end(), unreached.begin(), unreached.end());
        }
        document.WriteDone(flow.LastWrite().Written, std::move(failed));
    }
    if (host.TerminateRequested())
        return document.End(kExitError, host.LastError());
    if (host.CancelRequested()) {
        err << Tr("Abgebrochen.") << '\n';
        return document.End(kExitCancelled, Tr("Abgebrochen."));
    }
    if ((write && flow.LastWrite().Refused) || (options.Write && logUnusable))
        return document.End(kExitError, host.LastWarning());
    return document.End(write && !flow.LastWrite().Failed.empty() ? kExitError : kExitOk);
}

} // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const TCliEnvironment& environment)
{
    const TCliParse parse = ParseCliArguments(arguments);
    const bool json = parse.Format == TOutputFormat::ofJson;
    // A usage error found once --format json has been read is a document too.
    const auto errorDocument = [&](const std::string& error) {
        TJsonObject document;
        document.Add("error", JsonString(error));
        document.Write(out);
        out.flush();
    };
    if (!parse.Options) {
        err << Fill(Tr("Fehler: %1"), ConsoleText(parse.Options.Error())) << '\n'
            << Tr("\"zelmaro-cli --help\" erklärt den Aufruf.") << '\n';
        if (json)
            errorDocument(parse.Options.Error());
        return kExitUsage;
    }
    const TCliOptions& options = *parse.Options;
    if (options.Help) {
        out << CliUsage();
        return kExitOk;
    }
    const MemoryRegistryStore noRegistry;
    const RegistryStore& registry = environment.Registry ? *environment.Registry : noRegistry;
    if (options.ListPalmUsers) {
        const TPalmUsersDat users(registry);
        if (!users.Installed())
            err << Tr("Hinweis: Palm Desktop ist nicht eingerichtet.") << '\n';
        WritePalmUsers(out, users);
        return kExitOk;
    }
    bool documentStarted = false;
    try {
        return Run(options, out, err, environment, registry, documentStarted);
    } catch (const std::exception& e) {
        // What the window's general error box would show.
        err << Fill(Tr("Fehler: %1"), ConsoleText(e.what())) << '\n';
        if (json && !documentStarted)
            errorDocument(e.what());
        return kExitError;
    }
}

} // namespace zelmaro
