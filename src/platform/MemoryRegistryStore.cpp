#include "platform/MemoryRegistryStore.h"

namespace zelmaro {

std::string FoldRegistryPath(std::string_view key)
{
    std::string out;
    out.reserve(key.size());
    for (char c : key) {
        if (c == '\\' && (out.empty() || out.back() == '\\'))
            continue;
        out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

bool MemoryRegistryStore::KeyExists(std::string_view key) const
{
    return keys_.contains(FoldRegistryPath(key));
}

bool MemoryRegistryStore::CreateKey(std::string_view key)
{
    std::string folded = FoldRegistryPath(key);
    if (folded.empty())
        return false;
    // Parents come into being with the key, as RegCreateKeyEx does it.
    for (std::size_t pos = folded.find('\\'); pos != std::string::npos;
         pos = folded.find('\\', pos + 1)) {
        keys_.try_emplace(folded.substr(0, pos));
    }
    keys_.try_emplace(folded);
    return true;
}

std::optional<RegistryValue> MemoryRegistryStore::QueryValue(std::string_view key,
                                                             std::string_view name) const
{
    auto k = keys_.find(FoldRegistryPath(key));
    if (k == keys_.end())
        return std::nullopt;
    auto v = k->second.Values.find(FoldAsciiCase(name));
    if (v == k->second.Values.end())
        return std::nullopt;
    return v->second.second;
}

bool MemoryRegistryStore::SetValue(std::string_view key, std::string_view name,
                                   const RegistryValue& value)
{
    auto k = keys_.find(FoldRegistryPath(key));
    if (k == keys_.end())
        return false;
    k->second.Values.insert_or_assign(FoldAsciiCase(name),
                                      std::make_pair(std::string(name), value));
    return true;
}

} // namespace zelmaro
