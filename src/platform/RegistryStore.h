#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelmaro {

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// A value as the registry keeps it: a type and raw data bytes.
struct RegistryValue {
    std::uint32_t Type = kRegSz;
    std::string Data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// The current user's registry: keys are paths such as "Software\Quandrel\Zelmaro",
// compared without regard to ASCII letter case, as Windows does.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // True when the key exists and can be opened for reading; false otherwise.
    virtual bool KeyExists(std::string_view key) const = 0;
    // Creates the key and any missing parents; an existing key stays unchanged.
    // False when the key cannot be created.
    virtual bool CreateKey(std::string_view key) = 0;
    // The value's type and data; nullopt when the key or the value is missing
    // or cannot be read.
    virtual std::optional<RegistryValue> QueryValue(std::string_view key,
                                                    std::string_view name) const = 0;
    // Stores the value in an existing key. False when the key does not exist or
    // the value cannot be written; nothing is created then.
    virtual bool SetValue(std::string_view key, std::string_view name,
                          const RegistryValue& value) = 0;
};

} // namespace zelmaro
