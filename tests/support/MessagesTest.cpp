#include "support/Messages.h"
#include "common/System.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;

// A translation may put the values in another order, some twice or not at
// all; what is not a placeholder of a value stays as it is.
TEST(Fill, PutsEachValueWhereItsNumberStands)
{
    struct Case {
        const char* Pattern;
        std::vector<std::string> Values;
        const char* Filled;
    };
    const Case cases[] = {
        {"%1 Einträge gelesen, %2 Zeilen übergangen",
         {"35", "2"},
         "35 Einträge gelesen, 2 Zeilen übergangen"},
        {"%2 lines skipped after %1 entries", {"35", "2"}, "2 lines skipped after 35 entries"},
        {"%1 und %1", {"x"}, "x und x"},
        {"nur %2", {"a", "b"}, "nur b"},
        {"%3 fehlt", {"a"}, "%3 fehlt"},
        {"100 % und %", {"a"}, "100 % und %"},
        {"%10", {"a"}, "a0"},
        {"Bild \"%1\": %2", {"%2 %1", "Grund"}, "Bild \"%2 %1\": Grund"},
        {"", {"a"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillTexts(c.Pattern, c.Values), c.Filled) << c.Pattern;
    EXPECT_EQ(Fill("Zu \"%1\" gehört eine Zahl von %2 bis %3.", std::string("--x"), 0, 2U),
              "Zu \"--x\" gehört eine Zahl von 0 bis 2.");
}

// The catalogs are found beside an installed program, in the build tree and
// where the environment says; elsewhere the installed folder is named.
TEST(CatalogDirectory, FindsTheCatalogsBesideTheProgram)
{
    if (kWindows)
        GTEST_SKIP() << "no catalogs without gettext";
    TTempDir dir;
    dir.Write("installed/share/locale/en/LC_MESSAGES/zelmaro.mo", "x");
    dir.Write("build/share/locale/en/LC_MESSAGES/zelmaro.mo", "x");
    dir.Dir("installed/bin");
    dir.Dir("build/src/cli");
    dir.Dir("bare/bin");
    const auto normal = [](const std::string& path) {
        return std::filesystem::path(path).lexically_normal().string();
    };
    TScopedEnv override("ZELMARO_LOCALEDIR", nullptr);
    EXPECT_EQ(CatalogDirectory(dir.File("installed/bin/zelmaro-cli")),
              normal(dir.File("installed/share/locale")));
    EXPECT_EQ(CatalogDirectory(dir.File("build/src/cli/zelmaro-cli")),
              normal(dir.File("build/share/locale")));
    // Nothing beside it: the folder it was installed for, not one of these.
    EXPECT_NE(CatalogDirectory(dir.File("bare/bin/zelmaro-cli")).rfind(dir.Path(), 0), 0u);
    override.Set("/elsewhere/locale");
    EXPECT_EQ(CatalogDirectory(dir.File("installed/bin/zelmaro-cli")), "/elsewhere/locale");
}
