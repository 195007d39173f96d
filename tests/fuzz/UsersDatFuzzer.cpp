// libFuzzer target: users.dat as Palm Desktop's user list reader sees it.
#include "MemoryRegistryStore.h"
#include "PalmUsersDat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zelmaro;
    MemoryRegistryStore none; // not installed: Parse reads no folders
    TPalmUsersDat users(none);
    ByteStream stream(std::string(reinterpret_cast<const char*>(data), size));
    users.Parse(stream);
    if (stream.Position() > stream.Size())
        std::abort();
    if (users.Count() < 0 || static_cast<std::size_t>(users.Count()) > size)
        std::abort();
    for (const TPalmUser& user : users.Users()) {
        if (user.Name.size() > 127 || user.Directory.size() > 127)
            std::abort();
    }
    return 0;
}
