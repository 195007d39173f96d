// The manual page and the bash completion list the options that
// "zelmaro-cli --help" lists, no more and no fewer.
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace zelmaro;

namespace {

using Options = std::set<std::string>;

std::string SourceFile(const std::string& relative)
{
    std::ifstream file(std::string(ZELMARO_SOURCE_DIR) + "/" + relative, std::ios::binary);
    EXPECT_TRUE(file) << relative;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

Options Matches(const std::string& text, const std::regex& pattern)
{
    Options found;
    for (std::sregex_iterator m(text.begin(), text.end(), pattern), end; m != end; ++m)
        found.insert((*m)[1]);
    return found;
}

// "  --log DATEI   Protokoll ..." in the option list: name -> takes a value.
std::map<std::string, bool> HelpOptions()
{
    std::map<std::string, bool> options;
    const std::string usage = CliUsage();
    const std::regex line(R"(\n  (--[a-z-]+)( [A-Z])?)");
    for (std::sregex_iterator m(usage.begin(), usage.end(), line), end; m != end; ++m)
        options[(*m)[1]] = (*m)[2].matched;
    return options;
}

// The first line of every .TP block under the page's options heading,
// roff's "\-" read as "-".
Options ManPageOptions(const char* path, const char* heading)
{
    std::string page = SourceFile(path);
    page = page.substr(page.find(heading));
    page = page.substr(0, page.find(".SH ", 1));
    page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    Options options = Matches(page, std::regex(R"(\.TP\n\.[BIR]+ (--[a-z-]+))"));
    options.erase("--"); // the end of the options, not one of them
    return options;
}

} // namespace

TEST(CliDocs, EveryOptionOfTheHelpIsDocumentedAndCompleted)
{
    const auto help = HelpOptions();
    ASSERT_GE(help.size(), 9u);
    Options helpNames;
    for (const auto& [name, takesValue] : help) {
        helpNames.insert(name);
        const TCliParse parse = ParseCliArguments({name});
        EXPECT_EQ(parse.Options.Error().find("Unbekannte Option"), std::string::npos) << name;
    }

    const std::string completion = SourceFile("packaging/zelmaro-cli.bash-completion");
    const std::string list = completion.substr(completion.find("local options=("));
    const Options completed =
        Matches(list.substr(0, list.find(')')), std::regex(R"(\n\s+(--[a-z-]+))"));
    // Options with a value have a branch of their own in "case $prev".
    const std::string cases = completion.substr(0, completion.find("esac"));
    const Options valueBranches =
        Matches(cases, std::regex(R"((?:\n    |\| )(--[a-z-]+)(?= \||\)))"));

    Options withValue;
    for (const auto& [name, takesValue] : help) {
        if (takesValue)
            withValue.insert(name);
    }
    EXPECT_EQ(ManPageOptions("packaging/zelmaro-cli.1.in", ".SH OPTIONS"), helpNames);
    EXPECT_EQ(ManPageOptions("packaging/de/zelmaro-cli.1.in", ".SH OPTIONEN"), helpNames);
    EXPECT_EQ(completed, helpNames);
    EXPECT_EQ(valueBranches, withValue);
}
