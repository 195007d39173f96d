// libFuzzer target: users.dat as Palm Desktop's user list reader sees it.
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"

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
    // The count of a damaged file is kept; its 16 bits bound it.
    if (users.Count() < 0 || users.Count() > 0x7FFF)
        std::abort();
    for (const TPalmUser& user : users.Users()) {
        if (user.Name.size() > 127 || user.Directory.size() > 127)
            std::abort();
    }
    return 0;
}
