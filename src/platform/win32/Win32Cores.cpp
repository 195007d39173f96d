#include "platform/Cores.h"

#include <windows.h>

#include <bit>
#include <cstdint>

namespace zelmaro {

unsigned UsableCoreCount()
{
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) || process == 0)
        return 1;
    return static_cast<unsigned>(std::popcount(static_cast<std::uintptr_t>(process)));
}

} // namespace zelmaro
