#include "settings/Quandrel.h"

#include "support/Registry.h"

namespace zelmaro {

std::string AppKeyPath(std::string_view appName)
{
    std::string path(kQuandrelKey);
    path += appName;
    return path;
}

void CreateAppKey(RegistryStore& store, std::string_view appName)
{
    store.CreateKey(AppKeyPath(appName));
}

std::int32_t ReadAppInteger(const RegistryStore& store, std::string_view appName,
                            std::string_view valueName, std::int32_t defaultValue)
{
    auto value = store.QueryValue(AppKeyPath(appName), valueName);
    if (!value || value->Data.size() > 4)
        return defaultValue;
    auto bits = static_cast<std::uint32_t>(defaultValue);
    for (std::size_t i = 0; i < value->Data.size(); ++i) {
        const std::uint32_t shift = 8 * static_cast<std::uint32_t>(i);
        bits &= ~(std::uint32_t{0xFF} << shift);
        bits |= std::uint32_t{static_cast<unsigned char>(value->Data[i])} << shift;
    }
    return static_cast<std::int32_t>(bits);
}

std::string ReadAppString(const RegistryStore& store, std::string_view appName,
                          std::string_view valueName, std::string_view defaultText)
{
    return ReadRegistryString(store, AppKeyPath(appName), valueName, defaultText);
}

void WriteAppInteger(RegistryStore& store, std::string_view appName, std::string_view valueName,
                     std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    RegistryValue data{kRegDword, std::string(4, '\0')};
    for (std::size_t i = 0; i < 4; ++i)
        data.Data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    // The store refuses to write into a missing key, so nothing is created.
    store.SetValue(AppKeyPath(appName), valueName, data);
}

void WriteAppString(RegistryStore& store, std::string_view appName, std::string_view valueName,
                    std::string_view text)
{
    store.SetValue(AppKeyPath(appName), valueName, RegistryValue{kRegSz, std::string(text)});
}

} // namespace zelmaro
