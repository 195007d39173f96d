#pragma once

// A fresh folder under the system's temporary folder, removed with
// everything in it. Names are unique per object, so tests may run in
// parallel; paths use the system's separator, so they compare equal to what
// the product's path functions build.

#include <string>
#include <string_view>

namespace zelmaro::test {

class TTempDir {
public:
    // The prefix starts the folder's name; one with a blank makes quoting matter.
    explicit TTempDir(std::string_view prefix = "zelmaro-test-");
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    // The full path of a name inside; "/" stands for the system's separator.
    std::string File(std::string_view relative) const;
    // Creates the folder (and its parents) and answers its full path.
    std::string Dir(std::string_view relative) const;
    // Writes the bytes into a new file (parents made as needed), answers its path.
    std::string Write(std::string_view relative, std::string_view bytes = {},
                      bool executable = false) const;

private:
    std::string FPath;
};

} // namespace zelmaro::test
