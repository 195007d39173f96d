#pragma once

#include "platform/RegistryStore.h"

#include <string>
#include <string_view>

namespace zelmaro {

// The value's bytes up to the first NUL, or the default when the key or the
// value is missing or holds no data at all. The value's type is not checked.
std::string ReadRegistryString(const RegistryStore& store, std::string_view key,
                               std::string_view valueName, std::string_view defaultText);

} // namespace zelmaro
