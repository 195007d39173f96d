#pragma once

#include "shotlog/ShotEntry.h"
#include "support/Paths.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zelmaro {

// The ranges of the offset (-kMaxOffset..kMaxOffset) and of the tolerance,
// in seconds, as the window's fields and the command line take them.
inline constexpr int kMaxOffset = 300;
inline constexpr int kMinTolerance = 0;
inline constexpr int kMaxTolerance = 2;

// The columns of the table of pairs, left to right: the image's name (with
// the check box), date and exposure time, how the moments compare, the
// shot's date and exposure time.
enum TColumn : int {
    colImageName,
    colImageDate,
    colImageExposure,
    colTimeState,
    colShotDate,
    colShotExposure,
    kColumnCount
};

// Result of comparing the two sides of a row.
enum class TMatchState : std::uint8_t { msNone, msDifferent, msNear, msEqual };

// The lens settings an image holds, or a log entry gives, beyond the
// exposure time; nothing where there is no such value. ShotDate is the
// moment of the shot (DateTimeOriginal), 0 where there is none.
struct TImageValues {
    std::optional<double> Aperture{}; // f-number
    std::optional<std::uint32_t> ISO{};
    std::optional<double> FocalLength{}; // millimetres
    std::string Lens{};
    std::uint32_t ShotDate = 0;
};

// One image file that was read: moments are seconds since 1899-12-30,
// exposure times are seconds (1/250 s is 0.004).
struct TImageItem {
    std::string FileName;
    std::uint32_t Date = 0;
    double ExposureTime = 0;
    // Read only where the whole logged set is written.
    TImageValues Values{};
    // The exposure time (and what it holds of the set) is the sidecar's,
    // which raw developers use.
    bool ExposureFromSidecar = false;
    // The file as it was when it was read, where the scan could tell.
    std::optional<TFileStamp> Stamp{};
};

// One table row: at most one image and at most one shot, neither owned.
struct TMatchItem {
    const TImageItem* Image = nullptr;
    const TShotItem* Shot = nullptr;
    TMatchState TimeState = TMatchState::msNone;
    TMatchState ExposureState = TMatchState::msNone;
    // The write-back writes this row's image; matching checks the rows it
    // corrects (IsCheckable), the user may check any it can write
    // (IsTickable), and matching again keeps the user's mark on the pair.
    bool Checked = false;
    bool CheckChangedByUser = false;
    // Where the whole logged set is written: a logged value beyond the
    // exposure time differs from the image's.
    bool ValuesDiffer = false;
};

// |imageDate - (shotDate + offset)| in unsigned 32-bit arithmetic: the shot
// moment plus the offset wraps modulo 2^32.
inline std::uint32_t TimeDistance(std::uint32_t imageDate, std::uint32_t shotDate,
                                  std::int32_t offset)
{
    const std::uint32_t s = shotDate + static_cast<std::uint32_t>(offset);
    return s < imageDate ? imageDate - s : s - imageDate;
}

// Whether two exposure times agree to the tool's precision: it stores a
// rational within 1e-8 of the value (StoredExposureTime) and reports about
// 10 significant digits, so that a value read back equals the one written.
bool ExposureTimesEqual(double a, double b);

// The value of the unsigned rational the tool stores for an exposure time
// (123456.789 s becomes 2345679/19 s); anything not above 0 as it is.
double StoredExposureTime(double seconds);

// The fraction the tool writes for a finite value: the sign on the
// numerator, both parts whole numbers within 32 bits (0 is 0/1).
struct TToolRational {
    double Numerator = 0;
    double Denominator = 1;
};
TToolRational ToolRational(double value);

// Whether an image can hold the exposure time: an EXIF rational takes no
// more than 4294967295 s and rounds what is below 1/4294967295 s to 0, which
// makes the image unreadable.
bool IsWritableExposureTime(double seconds);

// A row the user may check: image and shot, their moments agree or are near,
// the exposure times (or, where the whole set is written, other logged
// values) differ and the logged exposure time can be written.
bool IsTickable(const TMatchItem& item);

// A row checked without asking: a tickable one whose moments agree.
bool IsCheckable(const TMatchItem& item);

} // namespace zelmaro
