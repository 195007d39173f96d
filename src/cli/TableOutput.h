#pragma once

#include "CliOptions.h"
#include "Matching.h"

#include <ostream>

namespace zelmaro {

class TWorkflow;
class TImageTable;

// Writes the table's rows with their check marks and the six column texts.
void WriteTable(std::ostream& out, const TWorkflow& flow, const TImageTable& table,
                TOutputFormat format);

// The "autoOffset" member's value: offset, pairs, runnerUp, runnerUpPairs
// and best, or null when there was no offset to find.
std::string JsonAutoOffset(const std::optional<TAutoOffsetReport>& report);

} // namespace zelmaro
