#pragma once

#include "shotlog/LogSource.h"
#include "shotlog/ZelmaroLog.h"

#include <string_view>

namespace zelmaro {

// The log file the reading commands look for beside the images.
inline constexpr std::string_view kLogFileName = "Zelmaro.txt";

} // namespace zelmaro
