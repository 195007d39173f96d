#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

namespace zelmaro::test {

// Bytes written as numbers, the way the file layouts are described.
inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes)
        out.push_back(static_cast<char>(b));
    return out;
}

inline std::string Le16(std::uint16_t v)
{
    return Bytes({v & 0xFF, v >> 8});
}
inline std::string Le32(std::uint32_t v)
{
    return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}
// A Palm string with a one-byte length (0-254).
inline std::string Short(std::string_view text)
{
    return static_cast<char>(text.size()) + std::string(text);
}

// A directory that is removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::random_device random;
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("zelmaro-palm-" + std::to_string(random()) + std::to_string(random()));
            if (std::filesystem::create_directory(path_))
                break;
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    std::string Path() const { return path_.string(); }
    std::string MakeDir(std::string_view relative) const
    {
        std::filesystem::create_directories(path_ / relative);
        return (path_ / relative).string();
    }
    std::string WriteFile(std::string_view relative, std::string_view bytes) const
    {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

} // namespace zelmaro::test
