#pragma once

#include "platform/FormatSettings.h"
#include "platform/RegistryStore.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zelmaro {

// What the running system reports about its version (Windows terms).
struct OsVersionInfo {
    std::uint32_t PlatformId = 0; // 0 Win32s, 1 Windows 95 line, 2 NT line
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
    std::string ServiceString;

    friend bool operator==(const OsVersionInfo&, const OsVersionInfo&) = default;
};

// The processors, e.g. 2 of "Intel(R) Xeon(R) CPU".
struct TProcessorInfo {
    std::uint32_t Count = 0;
    std::string Name;
};

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;
inline constexpr std::uint32_t kFileAttributeSystem = 0x04;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

// The operating system as the program sees it. One implementation per system
// lives in posix/ or win32/; nothing else in the program asks the system these
// questions directly.
class Platform {
public:
    virtual ~Platform() = default;

    // Full path of the running program file; empty when it cannot be found.
    virtual std::string ModuleFileName() const = 0;
    // Attributes of the file or directory (kFileAttribute* bits); nullopt when
    // they cannot be read, e.g. the path does not exist or is empty.
    virtual std::optional<std::uint32_t> FileAttributes(const std::string& path) const = 0;
    // The version the system reports; all zero where there is no Windows version.
    virtual OsVersionInfo OsVersion() const = 0;
    // The user's number and date formats; the defaults of FormatSettings when
    // the user's locale cannot be read.
    virtual FormatSettings UserFormatSettings() const = 0;
    // The current user's registry (on POSIX a file in the user's config folder).
    virtual RegistryStore& UserRegistry() = 0;
    // Physical memory in bytes; 0 when unknown.
    virtual std::uint64_t PhysicalMemoryBytes() const = 0;
    // Number of processors and the name the system gives them; 0 and empty
    // when unknown.
    virtual TProcessorInfo Processors() const = 0;
};

// The platform of the running system, made on first use.
Platform& SystemPlatform();

} // namespace zelmaro
