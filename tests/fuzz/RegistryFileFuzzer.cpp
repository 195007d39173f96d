// libFuzzer target: the per-user registry file, which people edit by hand.
// Whatever is read must be written back so that it reads the same again.
#include "platform/posix/FileRegistryStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using zelmaro::FileRegistryStore;
    const auto contents =
        FileRegistryStore::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto again = FileRegistryStore::Parse(FileRegistryStore::Format(contents));
    if (contents != again)
        std::abort();
    return 0;
}
