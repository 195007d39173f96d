#pragma once

#include "CliOptions.h"

#include <ostream>

namespace zelmaro {

class TWorkflow;
class TImageTable;

// Writes the table's rows with their check marks and the six column texts.
void WriteTable(std::ostream& out, const TWorkflow& flow, const TImageTable& table,
                TOutputFormat format);

} // namespace zelmaro
