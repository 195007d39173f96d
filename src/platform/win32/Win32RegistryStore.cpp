#include "platform/win32/Win32RegistryStore.h"

#include <windows.h>

#include <string>

namespace zelmaro {

namespace {

// An open registry key, closed when it goes out of scope.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle()
    {
        if (handle_ != nullptr)
            ::RegCloseKey(handle_);
    }
    HKEY* Out() { return &handle_; }
    HKEY Get() const { return handle_; }

private:
    HKEY handle_ = nullptr;
};

bool OpenKey(std::string_view key, REGSAM access, KeyHandle& handle)
{
    const std::string path(key);
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, handle.Out()) ==
           ERROR_SUCCESS;
}

} // namespace

bool Win32RegistryStore::KeyExists(std::string_view key) const
{
    KeyHandle handle;
    return OpenKey(key, KEY_READ, handle);
}

bool Win32RegistryStore::CreateKey(std::string_view key)
{
    const std::string path(key);
    KeyHandle handle;
    DWORD disposition = 0;
    return ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, handle.Out(), &disposition) == ERROR_SUCCESS;
}

std::optional<RegistryValue> Win32RegistryStore::QueryValue(std::string_view key,
                                                            std::string_view name) const
{
    KeyHandle handle;
    if (!OpenKey(key, KEY_READ, handle))
        return std::nullopt;
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(handle.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    value.Type = type;
    if (size == 0)
        return value;
    value.Data.resize(size);
    if (::RegQueryValueExA(handle.Get(), valueName.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(value.Data.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.Type = type;
    value.Data.resize(size);
    return value;
}

bool Win32RegistryStore::SetValue(std::string_view key, std::string_view name,
                                  const RegistryValue& value)
{
    KeyHandle handle;
    if (!OpenKey(key, KEY_ALL_ACCESS, handle))
        return false;
    const std::string valueName(name);
    return ::RegSetValueExA(handle.Get(), valueName.c_str(), 0, value.Type,
                            reinterpret_cast<const BYTE*>(value.Data.data()),
                            static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS;
}

} // namespace zelmaro
