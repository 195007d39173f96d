#include "platform/Platform.h"
#include "platform/win32/Win32RegistryStore.h"

#include <windows.h>

#include <array>

namespace zelmaro {

namespace {

std::string LocaleText(LCTYPE item)
{
    std::array<char, 128> buffer{};
    int n =
        ::GetLocaleInfoA(LOCALE_USER_DEFAULT, item, buffer.data(), static_cast<int>(buffer.size()));
    if (n <= 1)
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n - 1));
}

class Win32Platform final : public Platform {
public:
    std::string ModuleFileName() const override
    {
        std::array<char, 1024> buffer{};
        DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0 || n >= buffer.size())
            return {};
        return std::string(buffer.data(), n);
    }

    std::optional<std::uint32_t> FileAttributes(const std::string& path) const override
    {
        if (path.empty())
            return std::nullopt;
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::nullopt;
        return attributes;
    }

    OsVersionInfo OsVersion() const override
    {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        if (!::GetVersionExA(&info))
            return {};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
        return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.szCSDVersion};
    }

    FormatSettings UserFormatSettings() const override
    {
        FormatSettings settings;
        auto single = [](const std::string& text, char fallback) {
            return text.size() == 1 ? text[0] : fallback;
        };
        settings.DecimalSeparator = single(LocaleText(LOCALE_SDECIMAL), settings.DecimalSeparator);
        settings.ThousandSeparator =
            single(LocaleText(LOCALE_STHOUSAND), settings.ThousandSeparator);
        settings.DateSeparator = single(LocaleText(LOCALE_SDATE), settings.DateSeparator);
        settings.TimeSeparator = single(LocaleText(LOCALE_STIME), settings.TimeSeparator);
        if (std::string date = LocaleText(LOCALE_SSHORTDATE); !date.empty())
            settings.ShortDateFormat = date;
        if (std::string time = LocaleText(LOCALE_STIMEFORMAT); !time.empty())
            settings.LongTimeFormat = time;
        settings.TimeAMString = LocaleText(LOCALE_S1159);
        settings.TimePMString = LocaleText(LOCALE_S2359);
        return settings;
    }

    RegistryStore& UserRegistry() override
    {
        return registry_;
    }

    std::uint64_t PhysicalMemoryBytes() const override
    {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof(status);
        if (!::GlobalMemoryStatusEx(&status))
            return 0;
        return status.ullTotalPhys;
    }

    TProcessorInfo Processors() const override
    {
        SYSTEM_INFO info{};
        ::GetSystemInfo(&info);
        std::string model;
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ,
                            &key) == ERROR_SUCCESS) {
            std::array<char, 256> buffer{};
            DWORD size = static_cast<DWORD>(buffer.size() - 1);
            if (::RegQueryValueExA(key, "ProcessorNameString", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(buffer.data()),
                                   &size) == ERROR_SUCCESS &&
                buffer[0] != '\0')
                model = buffer.data();
            ::RegCloseKey(key);
        }
        return {static_cast<std::uint32_t>(info.dwNumberOfProcessors), model};
    }

private:
    Win32RegistryStore registry_;
};

} // namespace

Platform& SystemPlatform()
{
    static Win32Platform platform;
    return platform;
}

} // namespace zelmaro
