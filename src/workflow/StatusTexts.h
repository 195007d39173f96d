#pragma once

#include "workflow/Workflow.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zelmaro {

// What the window's status bar and questions say of the workflow's state.

// The first ten lines, one under the other, and how many more there are.
std::string FirstTenLines(const std::vector<std::string>& lines);

// "2000 Bilder gelesen", or "Abgebrochen nach 736 von 2000 Bildern"; empty
// where the directory held no images.
std::string ScanReportText(const TWorkflow::TScanReport& report);
// "1750 Bilder geschrieben", or where a cancel stopped it, how far it came;
// empty where another writer held the directory (the user was told).
std::string WriteReportText(const TWorkflow::TWriteReport& report);
// The summary beside the messages: "1999 Paare, 1750 zu schreiben".
std::string SummaryText(std::size_t pairs, std::size_t toWrite);
// The question before a write-back of count images.
std::string WriteQuestion(std::size_t count, bool sidecars = false);

// Putting back or deleting the originals the tool kept.
// The question before deleting those of a directory.
std::string DeleteOriginalsQuestion(const std::string& directory);
// "Das Original von "X" ließ sich nicht zurückholen: …" for one not done.
std::string OriginalFailureText(const TOriginalResult& result, TOriginalAction action);
// "In "DIR" liegen keine Originale (NAME_original)."
std::string NoOriginalsText(const std::string& directory);
// The warning of the originals not done and of the notes, the first ten of
// them; empty when there is nothing to say.
std::string OriginalsProblemsMessage(const std::vector<TOriginalResult>& results,
                                     TOriginalAction action);
// "12 Originale wiederhergestellt", "12 Originale gelöscht".
std::string OriginalsReportText(const std::vector<TOriginalResult>& results,
                                TOriginalAction action);

} // namespace zelmaro
