// libFuzzer target: a Palm Desktop memo database.
#include "palm/PalmDesktopFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zelmaro;
    TPalmDesktopMemoFile file;
    ByteStream stream(std::string(reinterpret_cast<const char*>(data), size));
    file.LoadFrom(&stream);
    if (stream.Position() > stream.Size())
        std::abort();
    // Records past the end of the data are left out: every kept one took bytes.
    if (file.RecordCount < 0 || file.Memos.size() > static_cast<std::size_t>(file.RecordCount) ||
        file.Memos.size() > size)
        std::abort();
    if (file.CategoryCount < 0 ||
        static_cast<std::size_t>(file.CategoryCount) != file.Categories.size())
        std::abort();
    std::size_t textBytes = 0;
    for (const TPalmDesktopMemo& memo : file.Memos)
        textBytes += memo.Text.size();
    if (textBytes > size)
        std::abort();
    return 0;
}
