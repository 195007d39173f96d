#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// The names of the image files of a directory in the scan's order (mask by
// mask, by name within one); with a suffix, of the files named so.
std::vector<std::string> ImageFileNames(const std::string& directory, std::string_view suffix = {});

} // namespace zelmaro
