#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zelmaro {

// A moment as local calendar fields (month and day from 1).
struct TLocalTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    friend bool operator==(const TLocalTime&, const TLocalTime&) = default;
};

// One entry of a directory as the enumeration reports it.
struct TDirEntry {
    std::string Name;
    // kFileAttribute* bits; read-only is known only when details were asked for.
    std::uint32_t Attributes = 0;
    // A link the system followed; listings do not descend into linked directories.
    bool IsLink = false;
    // The rest is filled only when details were asked for.
    std::string ShortName;
    std::uint64_t Size = 0; // 0 for a directory
    std::optional<TLocalTime> Created;
    std::optional<TLocalTime> Accessed;
    std::optional<TLocalTime> Modified;
};

// Calls visit for every entry of dir but "." and ".." in the order of the
// system; a visit returning false ends the walk. False when dir cannot be
// opened; a read error later just ends the walk.
bool ScanDirectory(const std::string& dir, bool withDetails,
                   const std::function<bool(const TDirEntry&)>& visit);

// The process's current directory; empty when it cannot be found.
std::string CurrentDirectory();

// The bytes of a regular file. nullopt when it cannot be opened or read, and
// for anything else in its place (a FIFO or a device could block or never end).
std::optional<std::string> ReadWholeFile(const std::string& path);

} // namespace zelmaro
