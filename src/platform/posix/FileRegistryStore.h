#pragma once

#include "platform/RegistryStore.h"

#include <map>
#include <string>
#include <utility>

namespace zelmaro {

// The current user's registry kept in one text file that a person can read and
// edit. Every call reads the file afresh and every change rewrites it whole
// through a temporary file and a rename, so a reader never sees half a file.
// Lines that cannot be understood are passed over; a missing or unreadable
// file is an empty registry, and one that exists but cannot be read (or is no
// regular file, such as a FIFO) is never written over.
//
//   [Software\Quandrel\Zelmaro]
//   "Left"=dword:00000064
//   "LastPath"=sz:"/home/anna/Bilder"
//   "Odd"=hex(4):01,02
//
// Inside quotes, '%', '"', control bytes and bytes that are not part of valid
// UTF-8 are written as %HH, so any byte of a name or of data survives.
class FileRegistryStore final : public RegistryStore {
public:
    // An empty path gives a store that reads as empty and refuses every write.
    explicit FileRegistryStore(std::string path);

    // $XDG_CONFIG_HOME/Zelmaro/registry.ini, or ~/.config/Zelmaro/registry.ini
    // when XDG_CONFIG_HOME is unset or not absolute; empty when neither is known.
    static std::string DefaultPath();

    const std::string& Path() const { return path_; }

    bool KeyExists(std::string_view key) const override;
    bool CreateKey(std::string_view key) override;
    std::optional<RegistryValue> QueryValue(std::string_view key,
                                            std::string_view name) const override;
    bool SetValue(std::string_view key, std::string_view name, const RegistryValue& value) override;

    struct Key {
        std::string Name; // as first written
        // folded value name -> (name as written, value)
        std::map<std::string, std::pair<std::string, RegistryValue>> Values;

        friend bool operator==(const Key&, const Key&) = default;
    };
    using Contents = std::map<std::string, Key>; // folded key path -> key

    // The text form of the contents and its reading; Parse never fails, it
    // passes over what it cannot read.
    static std::string Format(const Contents& contents);
    static Contents Parse(std::string_view text);

private:
    // nullopt when the file exists but cannot be read; missing is empty.
    std::optional<Contents> Read() const;
    bool Write(const Contents& contents) const;

    std::string path_;
};

} // namespace zelmaro
