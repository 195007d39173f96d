#include "common/System.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <utility>

namespace zelmaro::test {

bool RunningUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

TScopedEnv::TScopedEnv(std::string name, const char* value) : FName(std::move(name))
{
    if (const char* old = std::getenv(FName.c_str()))
        FSaved = old;
    Set(value);
}

TScopedEnv::~TScopedEnv()
{
    Set(FSaved ? FSaved->c_str() : nullptr);
}

void TScopedEnv::Set(const char* value) const
{
#ifdef _WIN32
    ::_putenv_s(FName.c_str(), value != nullptr ? value : "");
#else
    value != nullptr ? ::setenv(FName.c_str(), value, 1) : ::unsetenv(FName.c_str());
#endif
}

} // namespace zelmaro::test
