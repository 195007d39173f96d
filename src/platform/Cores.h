#pragma once

namespace zelmaro {

// How many processors this process may run on (its affinity, not the
// machine's count); at least 1.
unsigned UsableCoreCount();

} // namespace zelmaro
