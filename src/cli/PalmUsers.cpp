#include "cli/PalmUsers.h"

#include "cli/ConsoleText.h"
#include "palm/PalmPaths.h"
#include "palm/PalmUsersDat.h"
#include "platform/Ascii.h"
#include "support/Paths.h"
#include "support/Utf8.h"

namespace zelmaro {

std::string PathForConsole(std::string_view path)
{
    std::string out;
    for (std::size_t i = 0; i < path.size();) {
        if (const std::size_t n = Utf8SequenceLength(path, i); n > 0) {
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
        // A tab or line end in a name would shift the fields.
        out << user.UserID << '\t' << ConsoleText(Cp1252ToUtf8(user.Name)) << '\t'
            << ConsoleText(PathForConsole(directory)) << '\n';
    }
}

std::optional<std::int32_t> FindPalmUser(const TPalmUsersDat& users, std::string_view name)
{
    const std::string wanted = FoldAsciiCase(name);
    for (const TPalmUser& user : users.Users()) {
        if (FoldAsciiCase(Cp1252ToUtf8(user.Name)) == wanted)
            return user.UserID;
    }
    return std::nullopt;
}

} // namespace zelmaro
