#include "common/TempDir.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zelmaro::test {

TTempDir::TTempDir(std::string_view prefix)
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() /
            (std::string(prefix) + std::to_string(random()) + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            FPath = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary directory");
}

TTempDir::~TTempDir()
{
    std::error_code ec;
#ifdef _WIN32
    // Read-only, hidden and system entries must lose their attributes to go.
    for (const auto& entry : fs::recursive_directory_iterator(FPath, ec))
        ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    fs::remove_all(FPath, ec);
}

std::string TTempDir::File(std::string_view relative) const
{
    std::string path = FPath;
    path += static_cast<char>(fs::path::preferred_separator);
    path += relative;
#ifdef _WIN32
    for (char& c : path)
        if (c == '/')
            c = '\\';
#endif
    return path;
}

std::string TTempDir::Dir(std::string_view relative) const
{
    const std::string path = File(relative);
    fs::create_directories(path);
    return path;
}

std::string TTempDir::Write(std::string_view relative, std::string_view bytes,
                            bool executable) const
{
    const std::string path = File(relative);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    if (executable)
        fs::permissions(path,
                        fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add);
    return path;
}

} // namespace zelmaro::test
