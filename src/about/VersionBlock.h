#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace zelmaro {

// One file's version block, answering the three queries the version reader
// makes: the fixed file flags ("\"), the first translation
// ("\VarFileInfo\Translation") and a string by its full path
// ("\StringFileInfo\040704E4\CompanyName").
class TVersionBlock {
public:
    virtual ~TVersionBlock() = default;

    // File-flags word of the fixed file information; nullopt when the block has none.
    virtual std::optional<std::uint32_t> FileFlags() const = 0;
    // First translation entry (language in the low, code page in the high
    // half-word); nullopt when the block has no translation table.
    virtual std::optional<std::uint32_t> FirstTranslation() const = 0;
    // The string stored under the full path; nullopt when the key is missing.
    virtual std::optional<std::string> QueryString(const std::string& path) const = 0;
};

// Where version blocks come from: the Windows version resource of a file, or
// the block compiled into the program on systems without one.
class TVersionBlockSource {
public:
    virtual ~TVersionBlockSource() = default;

    // The version block of the file; null when the file has none or it
    // cannot be read.
    virtual std::unique_ptr<TVersionBlock> Load(const std::string& fileName) const = 0;
};

// A version block held in memory; strings are keyed by their full path.
class TVersionBlockData final : public TVersionBlock {
public:
    std::optional<std::uint32_t> Flags;
    std::optional<std::uint32_t> Translation;
    std::map<std::string, std::string> Strings;

    std::optional<std::uint32_t> FileFlags() const override { return Flags; }
    std::optional<std::uint32_t> FirstTranslation() const override { return Translation; }
    std::optional<std::string> QueryString(const std::string& path) const override;
};

// The full query path of a string key under a translation entry, e.g.
// 0x04E40407 and "\CompanyName" give "\StringFileInfo\040704E4\CompanyName".
std::string StringFileInfoPath(std::uint32_t translation, const std::string& key);

// The program's own version block: the real resource on Windows, the block
// generated from the project version elsewhere. Other files have one only on
// Windows.
const TVersionBlockSource& ProgramVersionBlockSource();

} // namespace zelmaro
