#include "platform/posix/FileRegistryStore.h"
#include "platform/Ascii.h"
#include "platform/MemoryRegistryStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <optional>

namespace zelmaro {

namespace {

constexpr std::string_view kHeader =
    "; Zelmaro registry: [key path], then \"value\"=dword:HHHHHHHH, sz:\"text\" or "
    "hex(type):HH,HH\n"
    "; %HH inside quotes stands for one byte.\n";

// Drops leading, trailing and doubled backslashes but keeps the letter case.
std::string TidyKeyPath(std::string_view key)
{
    std::string out;
    for (char c : key) {
        if (c == '\\' && (out.empty() || out.back() == '\\'))
            continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

// Adds the key and its parents; an existing key keeps its name and values.
FileRegistryStore::Key* AddKey(FileRegistryStore::Contents& contents, std::string_view key)
{
    std::string name = TidyKeyPath(key);
    if (name.empty())
        return nullptr;
    for (std::size_t pos = name.find('\\'); pos != std::string::npos;
         pos = name.find('\\', pos + 1)) {
        std::string parent = name.substr(0, pos);
        contents.try_emplace(FoldRegistryPath(parent), FileRegistryStore::Key{parent, {}});
    }
    return &contents.try_emplace(FoldRegistryPath(name), FileRegistryStore::Key{name, {}})
                .first->second;
}

// Length of the valid UTF-8 sequence starting at text[i], 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

void AppendHexByte(std::string& out, unsigned char byte)
{
    constexpr char digits[] = "0123456789ABCDEF";
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 0x0F]);
}

std::string Escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            if (std::size_t n = Utf8SequenceLength(text, i); n > 0) {
                out.append(text.substr(i, n));
                i += n;
                continue;
            }
        }
        if (c < 0x20 || c >= 0x7F || c == '%' || c == '"') {
            out.push_back('%');
            AppendHexByte(out, c);
        } else {
            out.push_back(static_cast<char>(c));
        }
        ++i;
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = AsciiHexValue(text[i + 1]);
        const int low = AsciiHexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

// Reads a quoted text at the front of line and removes it from line.
std::optional<std::string> TakeQuoted(std::string_view& line)
{
    if (line.empty() || line.front() != '"')
        return std::nullopt;
    const std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos)
        return std::nullopt;
    auto text = Unescape(line.substr(1, close - 1));
    line.remove_prefix(close + 1);
    return text;
}

// "HH,HH,...", possibly empty.
std::optional<std::string> ParseHexList(std::string_view text)
{
    std::string out;
    if (text.empty())
        return out;
    for (std::size_t i = 0;; i += 3) {
        if (i + 2 > text.size())
            return std::nullopt;
        const int high = AsciiHexValue(text[i]);
        const int low = AsciiHexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        if (i + 2 == text.size())
            return out;
        if (text[i + 2] != ',')
            return std::nullopt;
    }
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<RegistryValue> ParseData(std::string_view text)
{
    constexpr std::string_view dword = "dword:";
    constexpr std::string_view sz = "sz:";
    constexpr std::string_view hex = "hex:";
    constexpr std::string_view hexTyped = "hex(";
    if (text.starts_with(dword)) {
        text.remove_prefix(dword.size());
        if (text.size() != 8)
            return std::nullopt;
        auto number = ParseHexNumber(text, 8);
        if (!number)
            return std::nullopt;
        std::string data(4, '\0');
        for (int k = 0; k < 4; ++k)
            data[k] = static_cast<char>((*number >> (8 * k)) & 0xFF);
        return RegistryValue{kRegDword, data};
    }
    if (text.starts_with(sz)) {
        text.remove_prefix(sz.size());
        auto data = TakeQuoted(text);
        if (!data || !text.empty())
            return std::nullopt;
        return RegistryValue{kRegSz, *data};
    }
    if (text.starts_with(hex)) {
        auto data = ParseHexList(text.substr(hex.size()));
        if (!data)
            return std::nullopt;
        return RegistryValue{kRegBinary, *data};
    }
    if (text.starts_with(hexTyped)) {
        text.remove_prefix(hexTyped.size());
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        auto type = ParseHexNumber(text.substr(0, close), 8);
        auto data = ParseHexList(text.substr(close + 2));
        if (!type || !data)
            return std::nullopt;
        return RegistryValue{*type, *data};
    }
    return std::nullopt;
}

std::string FormatData(const RegistryValue& value)
{
    const std::string& data = value.Data;
    if (value.Type == kRegDword && data.size() == 4) {
        std::uint32_t number = 0;
        for (int k = 3; k >= 0; --k)
            number = (number << 8) | static_cast<unsigned char>(data[k]);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        return buffer;
    }
    if (value.Type == kRegSz)
        return "sz:\"" + Escape(data) + "\"";
    std::string out;
    if (value.Type == kRegBinary) {
        out = "hex:";
    } else {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "hex(%x):", value.Type);
        out = buffer;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        AppendHexByte(out, static_cast<unsigned char>(data[i]));
    }
    return out;
}

// A file descriptor that closes itself.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
    int Get() const { return fd_; }
    bool Close()
    {
        if (fd_ < 0)
            return true;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates the directory and its missing parents, private to the user.
bool MakeDirectories(const std::string& directory)
{
    if (directory.empty())
        return true;
    struct stat st {};
    if (::stat(directory.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::size_t slash = directory.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(directory.substr(0, slash)))
        return false;
    return ::mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

FileRegistryStore::FileRegistryStore(std::string path) : path_(std::move(path)) {}

std::string FileRegistryStore::DefaultPath()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/Zelmaro/registry.ini";
}

std::string FileRegistryStore::Format(const Contents& contents)
{
    std::string out(kHeader);
    for (const auto& [folded, key] : contents) {
        out += "\n[" + Escape(key.Name) + "]\n";
        for (const auto& [foldedName, entry] : key.Values)
            out += "\"" + Escape(entry.first) + "\"=" + FormatData(entry.second) + "\n";
    }
    return out;
}

FileRegistryStore::Contents FileRegistryStore::Parse(std::string_view text)
{
    Contents contents;
    Key* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            current = nullptr;
            if (line.size() < 2 || line.back() != ']')
                continue;
            if (auto name = Unescape(line.substr(1, line.size() - 2)))
                current = AddKey(contents, *name);
            continue;
        }
        if (current == nullptr)
            continue;
        auto name = TakeQuoted(line);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (!name || line.empty() || line.front() != '=')
            continue;
        line.remove_prefix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (auto value = ParseData(line))
            current->Values.insert_or_assign(FoldAsciiCase(*name),
                                             std::make_pair(*name, std::move(*value)));
    }
    return contents;
}

std::optional<FileRegistryStore::Contents> FileRegistryStore::Read() const
{
    if (path_.empty())
        return Contents{};
    // A FIFO or a device in its place is unreadable: opening one could block
    // for ever or have effects of its own, so only a regular file is opened,
    // and without waiting should it be swapped for something else meanwhile.
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0)
        return errno == ENOENT ? std::optional<Contents>(Contents{}) : std::nullopt;
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    FileHandle file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0)
        return errno == ENOENT ? std::optional<Contents>(Contents{}) : std::nullopt;
    if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return Parse(text);
}

bool FileRegistryStore::Write(const Contents& contents) const
{
    if (path_.empty())
        return false;
    const std::size_t slash = path_.find_last_of('/');
    const std::string directory =
        slash == std::string::npos ? std::string() : path_.substr(0, slash);
    if (!MakeDirectories(directory))
        return false;
    // Through a symbolic link (a linked dotfile) the file it names is replaced.
    std::string target = path_;
    if (struct stat st{}; ::lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    std::string temporary = target + ".XXXXXX";
    FileHandle file(::mkstemp(temporary.data()));
    if (file.Get() < 0)
        return false;
    const bool written = ::fchmod(file.Get(), 0600) == 0 &&
                         WriteAll(file.Get(), Format(contents)) && ::fsync(file.Get()) == 0;
    if (!file.Close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool FileRegistryStore::KeyExists(std::string_view key) const
{
    auto contents = Read();
    return contents && contents->contains(FoldRegistryPath(key));
}

bool FileRegistryStore::CreateKey(std::string_view key)
{
    // A file that exists but cannot be read is never written over.
    auto read = Read();
    if (!read)
        return false;
    Contents& contents = *read;
    if (contents.contains(FoldRegistryPath(key)))
        return true;
    if (AddKey(contents, key) == nullptr)
        return false;
    return Write(contents);
}

std::optional<RegistryValue> FileRegistryStore::QueryValue(std::string_view key,
                                                           std::string_view name) const
{
    auto contents = Read();
    if (!contents)
        return std::nullopt;
    auto k = contents->find(FoldRegistryPath(key));
    if (k == contents->end())
        return std::nullopt;
    auto v = k->second.Values.find(FoldAsciiCase(name));
    if (v == k->second.Values.end())
        return std::nullopt;
    return v->second.second;
}

bool FileRegistryStore::SetValue(std::string_view key, std::string_view name,
                                 const RegistryValue& value)
{
    auto read = Read();
    if (!read)
        return false;
    Contents& contents = *read;
    auto k = contents.find(FoldRegistryPath(key));
    if (k == contents.end())
        return false;
    k->second.Values.insert_or_assign(FoldAsciiCase(name),
                                      std::make_pair(std::string(name), value));
    return Write(contents);
}

} // namespace zelmaro
