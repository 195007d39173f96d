#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelmaro {

// One entry of a shot log: the moment in seconds since 1899-12-30 as the
// camera's clock would tell it, and the exposure time in seconds. Logs of
// today also name the image, the frame and the lens settings; those stay
// with the entry so that they can be shown and written later.
struct TShotItem {
    std::uint32_t Date = 0;
    double ExposureTime = 0;
    std::string FileName{}; // as the log gives it, with any folders
    std::optional<std::uint32_t> Frame{};
    std::optional<double> Aperture{}; // f-number
    std::optional<std::uint32_t> ISO{};
    std::optional<double> FocalLength{}; // millimetres
    std::string Lens{};
};

} // namespace zelmaro
