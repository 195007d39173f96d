#include "platform/Platform.h"
#include "platform/posix/FileRegistryStore.h"
#include "platform/posix/PosixLocale.h"

#include <fstream>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <string_view>

namespace zelmaro {

namespace {

// First character of a picture that is neither a letter nor a quote.
char FirstSeparator(std::string_view picture, char fallback)
{
    bool quoted = false;
    for (char c : picture) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' '))
            return c;
    }
    return fallback;
}

class PosixPlatform final : public Platform {
public:
    std::string ModuleFileName() const override
    {
        std::array<char, 4096> buffer{};
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
            return {};
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    }

    std::optional<std::uint32_t> FileAttributes(const std::string& path) const override
    {
        struct stat st {};
        if (path.empty() || ::stat(path.c_str(), &st) != 0)
            return std::nullopt;
        std::uint32_t attributes = 0;
        if (S_ISDIR(st.st_mode))
            attributes |= kFileAttributeDirectory;
        // Read-only as Windows knows it, or read-only for this user: a file
        // that we may not write could still be replaced through its directory.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0)
            attributes |= kFileAttributeReadOnly;
        std::string_view name(path);
        while (name.size() > 1 && name.back() == '/')
            name.remove_suffix(1);
        if (auto slash = name.rfind('/'); slash != std::string_view::npos)
            name.remove_prefix(slash + 1);
        if (name.size() > 1 && name.front() == '.' && name != "..")
            attributes |= kFileAttributeHidden;
        return attributes == 0 ? kFileAttributeNormal : attributes;
    }

    OsVersionInfo OsVersion() const override { return {}; }

    FormatSettings UserFormatSettings() const override
    {
        FormatSettings settings;
        locale_t loc = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (loc == static_cast<locale_t>(nullptr))
            return settings;
        auto text = [loc](nl_item item) {
            const char* value = ::nl_langinfo_l(item, loc);
            return std::string(value != nullptr ? value : "");
        };
        if (std::string radix = text(RADIXCHAR); radix.size() == 1)
            settings.DecimalSeparator = radix[0];
        if (std::string thousands = text(THOUSEP); thousands.size() == 1)
            settings.ThousandSeparator = thousands[0];
        if (std::string date = posix::StrftimeToPicture(text(D_FMT)); !date.empty())
            settings.ShortDateFormat = date;
        if (std::string time = posix::StrftimeToPicture(text(T_FMT)); !time.empty())
            settings.LongTimeFormat = time;
        settings.TimeAMString = text(AM_STR);
        settings.TimePMString = text(PM_STR);
        settings.DateSeparator = FirstSeparator(settings.ShortDateFormat, '/');
        settings.TimeSeparator = FirstSeparator(settings.LongTimeFormat, ':');
        ::freelocale(loc);
        return settings;
    }

    RegistryStore& UserRegistry() override { return registry_; }

    std::uint64_t PhysicalMemoryBytes() const override
    {
        struct sysinfo info {};
        if (::sysinfo(&info) != 0)
            return 0;
        return static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    }

    TProcessorInfo Processors() const override
    {
        TProcessorInfo info;
        const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
        info.Count = count > 0 ? static_cast<std::uint32_t>(count) : 0;
        std::ifstream cpuinfo("/proc/cpuinfo");
        for (std::string line; std::getline(cpuinfo, line);) {
            if (line.rfind("model name", 0) == 0) {
                if (auto colon = line.find(':'); colon != std::string::npos) {
                    info.Name = line.substr(colon + 1);
                    info.Name.erase(0, info.Name.find_first_not_of(" \t"));
                    info.Name.erase(info.Name.find_last_not_of(" \t") + 1);
                }
                break;
            }
        }
        // Systems whose processors give no model name still name the machine.
        if (struct utsname system{}; info.Name.empty() && ::uname(&system) == 0)
            info.Name = system.machine;
        return info;
    }

private:
    FileRegistryStore registry_{FileRegistryStore::DefaultPath()};
};

} // namespace

Platform& SystemPlatform()
{
    static PosixPlatform platform;
    return platform;
}

} // namespace zelmaro
