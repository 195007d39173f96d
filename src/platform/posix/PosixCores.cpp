#include "platform/Cores.h"

#include <sched.h>
#include <unistd.h>

namespace zelmaro {

unsigned UsableCoreCount()
{
#ifdef CPU_COUNT
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1;
}

} // namespace zelmaro
