#pragma once

#include "shotlog/LogSource.h"

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace zelmaro {

// Asks which columns of a table that no known format fits hold the moment
// (or the time of day beside a date column) and the exposure time, and
// optionally the image's file name and the frame number. Starts from preset,
// else from columns whose names suggest them. Nothing when cancelled.
std::optional<TColumnMapping> ChooseLogColumns(QWidget* parent,
                                               const std::vector<std::string>& columns,
                                               const std::optional<TColumnMapping>& preset);

} // namespace zelmaro
