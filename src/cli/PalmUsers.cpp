#include "PalmUsers.h"

#include "PalmUsersDat.h"
#include "Paths.h"

#include <algorithm>

namespace zelmaro {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 where Windows-1252 has none.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string FoldCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string out;
    for (const char byte : text) {
        const auto b = static_cast<unsigned char>(byte);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0)
            c = kHighControls[b - 0x80] ? kHighControls[b - 0x80] : U'\uFFFD';
        AppendUtf8(out, c);
    }
    return out;
}

void WritePalmUsers(std::ostream& out, const TPalmUsersDat& users)
{
    for (const TPalmUser& user : users.Users())
        out << user.UserID << '\t' << Cp1252ToUtf8(user.Name) << '\t'
            << Cp1252ToUtf8(JoinPath(users.Path(), user.Directory)) << '\n';
}

std::optional<std::int32_t> FindPalmUser(const TPalmUsersDat& users, std::string_view name)
{
    const std::string wanted = FoldCase(std::string(name));
    for (const TPalmUser& user : users.Users()) {
        if (FoldCase(Cp1252ToUtf8(user.Name)) == wanted)
            return user.UserID;
    }
    return std::nullopt;
}

} // namespace zelmaro
