#include "support/Registry.h"

namespace zelmaro {

std::string ReadRegistryString(const RegistryStore& store, std::string_view key,
                               std::string_view valueName, std::string_view defaultText)
{
    auto value = store.QueryValue(key, valueName);
    if (!value || value->Data.empty())
        return std::string(defaultText);
    const std::string& data = value->Data;
    return data.substr(0, data.find('\0'));
}

} // namespace zelmaro
