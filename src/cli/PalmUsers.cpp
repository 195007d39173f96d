#include "PalmUsers.h"

#include "PalmPaths.h"
#include "PalmUsersDat.h"
#include "Paths.h"

#include <algorithm>

namespace zelmaro {

namespace {

std::string FoldCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

// Length of the valid UTF-8 sequence at text[i]; 0 when there is none.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // bounds of the second byte: no overlong forms,
    unsigned char high = 0xBF; // no surrogates, nothing above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

std::string PathForConsole(std::string_view path)
{
    std::string out;
    for (std::size_t i = 0; i < path.size();) {
        if (const std::size_t n = Utf8Length(path, i); n > 0) {
            out.append(path.substr(i, n));
            i += n;
        } else {
            out += Cp1252ToUtf8(path.substr(i, 1));
            ++i;
        }
    }
    return out;
}

void WritePalmUsers(std::ostream& out, const TPalmUsersDat& users)
{
    TPathLookup lookup; // lists Path once for all users
    for (const TPalmUser& user : users.Users()) {
        // The directory as it lies on disk when it is there.
        std::string directory = lookup.Find(users.Path(), user.Directory);
        if (directory.empty())
            directory = JoinPath(users.Path(), user.Directory);
        out << user.UserID << '\t' << Cp1252ToUtf8(user.Name) << '\t' << PathForConsole(directory)
            << '\n';
    }
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
