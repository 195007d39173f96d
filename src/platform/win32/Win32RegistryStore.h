#pragma once

#include "platform/RegistryStore.h"

namespace zelmaro {

// HKEY_CURRENT_USER through the registry API; every call opens and closes its key.
class Win32RegistryStore final : public RegistryStore {
public:
    bool KeyExists(std::string_view key) const override;
    bool CreateKey(std::string_view key) override;
    std::optional<RegistryValue> QueryValue(std::string_view key,
                                            std::string_view name) const override;
    bool SetValue(std::string_view key, std::string_view name, const RegistryValue& value) override;
};

} // namespace zelmaro
