#pragma once

#include <string>
#include <string_view>

namespace zelmaro {

enum class TOriginalAction { oaRestore, oaDelete };
// What the tool leaves beside an image it writes: the first original it
// kept, and its temporary file while it writes (left when it was cut short).
inline constexpr std::string_view kOriginalSuffix = "_original";
inline constexpr std::string_view kToolTemporarySuffix = "_exiftool_tmp";
// An image whose original the tool kept, and whether that original was put
// back or deleted.
struct TOriginalResult {
    std::string FileName; // of the image, without the directory
    bool Done = false;
    std::string Reason; // why not, when not done
    std::string Note;   // what else the user should know of this image
    bool operator==(const TOriginalResult&) const = default;
};

} // namespace zelmaro
