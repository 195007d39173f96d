#pragma once

#include "platform/Ascii.h"
#include "platform/RegistryStore.h"

#include <map>
#include <string>

namespace zelmaro {

// A registry held in memory, for tests and for a session without a store.
class MemoryRegistryStore final : public RegistryStore {
public:
    bool KeyExists(std::string_view key) const override;
    bool CreateKey(std::string_view key) override;
    std::optional<RegistryValue> QueryValue(std::string_view key,
                                            std::string_view name) const override;
    bool SetValue(std::string_view key, std::string_view name, const RegistryValue& value) override;

private:
    struct Key {
        // folded value name -> (name as written, value)
        std::map<std::string, std::pair<std::string, RegistryValue>> Values;
    };
    std::map<std::string, Key> keys_; // folded path -> key
};

// Lower-cases ASCII letters and drops leading, trailing and doubled backslashes,
// so that equal registry paths compare equal.
std::string FoldRegistryPath(std::string_view key);

} // namespace zelmaro
