#include "workflow/StatusTexts.h"

namespace zelmaro {

namespace {

std::string Images(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " Bild" : " Bilder");
}

std::string CancelledAfter(std::size_t done, std::size_t total)
{
    return "Abgebrochen nach " + std::to_string(done) + " von " + std::to_string(total) +
           (total == 1 ? " Bild" : " Bildern");
}

} // namespace

std::string FirstTenLines(const std::vector<std::string>& lines)
{
    constexpr std::size_t kShown = 10;
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    if (lines.size() > kShown)
        text += "\n... und " + std::to_string(lines.size() - kShown) + " weitere.";
    return text;
}

std::string ScanReportText(const TWorkflow::TScanReport& report)
{
    if (report.Found == 0)
        return {};
    if (report.Cancelled)
        return CancelledAfter(report.Read, report.Found);
    return Images(report.Read) + " gelesen";
}

std::string WriteReportText(const TWorkflow::TWriteReport& report)
{
    if (report.Refused)
        return {};
    if (report.Cancelled)
        return CancelledAfter(report.Written.size() + report.Failed.size(), report.Total);
    std::string text = Images(report.Written.size()) + " geschrieben";
    if (!report.Notes.empty())
        text += "; " + Images(report.Notes.size()) +
                " mit anderer Bulb-Dauer, die manche Programme statt der Belichtungszeit zeigen";
    return text;
}

std::string SummaryText(std::size_t pairs, std::size_t toWrite)
{
    return std::to_string(pairs) + (pairs == 1 ? " Paar, " : " Paare, ") + std::to_string(toWrite) +
           " zu schreiben";
}

std::string DeleteOriginalsQuestion(const std::string& directory)
{
    return "Die Originale (NAME_original) in \"" + directory +
           "\" werden gelöscht; die Bilder lassen sich danach nicht mehr zurücksetzen. "
           "Fortfahren?";
}

std::string OriginalFailureText(const TOriginalResult& result, TOriginalAction action)
{
    return "Das Original von \"" + result.FileName + "\" ließ sich nicht " +
           (action == TOriginalAction::oaRestore ? "zurückholen" : "löschen") + ": " +
           result.Reason;
}

std::string NoOriginalsText(const std::string& directory)
{
    return "In \"" + directory + "\" liegen keine Originale (NAME_original).";
}

std::string OriginalsProblemsMessage(const std::vector<TOriginalResult>& results,
                                     TOriginalAction action)
{
    std::vector<std::string> lines;
    for (const TOriginalResult& result : results) {
        if (!result.Done)
            lines.push_back(OriginalFailureText(result, action));
        if (!result.Note.empty())
            lines.push_back(result.Note);
    }
    return FirstTenLines(lines);
}

std::string OriginalsReportText(const std::vector<TOriginalResult>& results, TOriginalAction action)
{
    std::size_t done = 0;
    for (const TOriginalResult& result : results)
        done += result.Done;
    return std::to_string(done) + (done == 1 ? " Original " : " Originale ") +
           (action == TOriginalAction::oaRestore ? "wiederhergestellt" : "gelöscht");
}

std::string WriteQuestion(std::size_t count)
{
    return Images(count) + (count == 1 ? " wird" : " werden") +
           " geändert; die Originale bleiben als _original erhalten. Fortfahren?";
}

} // namespace zelmaro
