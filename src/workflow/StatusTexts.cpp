#include "workflow/StatusTexts.h"

#include "support/Messages.h"

namespace zelmaro {

namespace {

std::string CancelledAfter(std::size_t done, std::size_t total)
{
    return Fill(TrN("Abgebrochen nach %1 von %2 Bild", "Abgebrochen nach %1 von %2 Bildern", total),
                done, total);
}

} // namespace

std::string FirstTenLines(const std::vector<std::string>& lines)
{
    constexpr std::size_t kShown = 10;
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    if (lines.size() > kShown)
        text += "\n" + Fill(Tr("... und %1 weitere."), lines.size() - kShown);
    return text;
}

std::string ScanReportText(const TWorkflow::TScanReport& report)
{
    if (report.Found == 0)
        return {};
    if (report.Cancelled)
        return CancelledAfter(report.Read, report.Found);
    return Fill(TrN("%1 Bild gelesen", "%1 Bilder gelesen", report.Read), report.Read);
}

std::string WriteReportText(const TWorkflow::TWriteReport& report)
{
    if (report.Refused)
        return {};
    if (report.Cancelled)
        return CancelledAfter(report.Written.size() + report.Failed.size(), report.Total);
    const std::size_t written = report.Written.size();
    std::string text = Fill(TrN("%1 Bild geschrieben", "%1 Bilder geschrieben", written), written);
    if (const std::size_t notes = report.Notes.size(); notes > 0)
        text = Fill(Tr("%1; %2"), text,
                    Fill(TrN("%1 Bild mit anderer Bulb-Dauer, die manche Programme statt der "
                             "Belichtungszeit zeigen",
                             "%1 Bilder mit anderer Bulb-Dauer, die manche Programme statt der "
                             "Belichtungszeit zeigen",
                             notes),
                         notes));
    return text;
}

std::string SummaryText(std::size_t pairs, std::size_t toWrite)
{
    return Fill(TrN("%1 Paar, %2 zu schreiben", "%1 Paare, %2 zu schreiben", pairs), pairs,
                toWrite);
}

std::string DeleteOriginalsQuestion(const std::string& directory)
{
    return Fill(Tr("Die Originale (NAME_original) in \"%1\" werden gelöscht; die Bilder lassen "
                   "sich danach nicht mehr zurücksetzen. Fortfahren?"),
                directory);
}

std::string OriginalFailureText(const TOriginalResult& result, TOriginalAction action)
{
    return Fill(action == TOriginalAction::oaRestore
                    ? Tr("Das Original von \"%1\" ließ sich nicht zurückholen: %2")
                    : Tr("Das Original von \"%1\" ließ sich nicht löschen: %2"),
                result.FileName, result.Reason);
}

std::string NoOriginalsText(const std::string& directory)
{
    return Fill(Tr("In \"%1\" liegen keine Originale (NAME_original)."), directory);
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
    return Fill(action == TOriginalAction::oaRestore
                    ? TrN("%1 Original wiederhergestellt", "%1 Originale wiederhergestellt", done)
                    : TrN("%1 Original gelöscht", "%1 Originale gelöscht", done),
                done);
}

std::string WriteQuestion(std::size_t count, bool sidecars)
{
    if (sidecars)
        return Fill(TrN("%1 XMP-Begleitdatei wird geschrieben; die Bilder bleiben unverändert, "
                        "eine vorhandene Begleitdatei bleibt als _original erhalten. Fortfahren?",
                        "%1 XMP-Begleitdateien werden geschrieben; die Bilder bleiben "
                        "unverändert, vorhandene Begleitdateien bleiben als _original erhalten. "
                        "Fortfahren?",
                        count),
                    count);
    return Fill(TrN("%1 Bild wird geändert; die Originale bleiben als _original erhalten. "
                    "Fortfahren?",
                    "%1 Bilder werden geändert; die Originale bleiben als _original erhalten. "
                    "Fortfahren?",
                    count),
                count);
}

} // namespace zelmaro
