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
    return Images(report.Written.size()) + " geschrieben";
}

std::string SummaryText(std::size_t pairs, std::size_t toWrite)
{
    return std::to_string(pairs) + (pairs == 1 ? " Paar, " : " Paare, ") +
           std::to_string(toWrite) + " zu schreiben";
}

std::string WriteQuestion(std::size_t count)
{
    return Images(count) + (count == 1 ? " wird" : " werden") +
           " geändert; die Originale bleiben als _original erhalten. Fortfahren?";
}

} // namespace zelmaro
