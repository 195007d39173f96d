#pragma once

#include "platform/RegistryStore.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelmaro {

// Every application keeps its values in one key below this one.
inline constexpr std::string_view kQuandrelKey = "Software\\Quandrel\\";
// The only application name in use.
inline constexpr std::string_view kSettingsAppName = "Zelmaro";

// "Software\Quandrel\" followed by the application name.
std::string AppKeyPath(std::string_view appName);

// Creates the application's key and its parents; an existing key stays as it
// is. Whether this worked is not reported.
void CreateAppKey(RegistryStore& store, std::string_view appName);

// The value's data as a little-endian integer laid over the default, so data
// shorter than four bytes replaces only the default's low bytes. The default
// when the key or the value is missing or the data is longer than four bytes.
// The value's type is not checked.
std::int32_t ReadAppInteger(const RegistryStore& store, std::string_view appName,
                            std::string_view valueName, std::int32_t defaultValue);

// The value's data up to its first NUL; the default when the key or the value
// is missing or the value holds no data (a stored empty text).
std::string ReadAppString(const RegistryStore& store, std::string_view appName,
                          std::string_view valueName, std::string_view defaultText);

// Stores the integer as a REG_DWORD (two's complement, little-endian) in the
// existing key; does nothing when the key does not exist.
void WriteAppInteger(RegistryStore& store, std::string_view appName, std::string_view valueName,
                     std::int32_t value);

// Stores the text's bytes without a terminating NUL as a REG_SZ in the
// existing key; empty text gives a value without data. Does nothing when the
// key does not exist.
void WriteAppString(RegistryStore& store, std::string_view appName, std::string_view valueName,
                    std::string_view text);

} // namespace zelmaro
