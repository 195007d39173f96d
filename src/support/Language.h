#pragma once

#include <string>
#include <string_view>

namespace zelmaro {

// The languages the program speaks: its texts are German, with English for
// every user who does not read German.
enum class TLanguage { lgGerman, lgEnglish };

// The language for a locale name or language tag ("de_DE.UTF-8", "de-AT",
// "en_US", "C"): German for German ones, English for all others.
TLanguage LanguageOf(std::string_view tag);

// The user's language by the POSIX rules for messages: the first entry of
// LANGUAGE (unless the locale is "C" or "POSIX"), else LC_ALL, LC_MESSAGES,
// LANG. Without a gettext build (Windows), German.
TLanguage SystemLanguage();

// Chooses the language of the core's texts (support/Messages.h): binds the
// catalog folder and sets the C library's message locale. Called once at
// start, before any thread.
void InitMessages(TLanguage language);
// The same with the folder that holds en/LC_MESSAGES/zelmaro.mo.
void InitMessages(TLanguage language, const std::string& catalogDirectory);

} // namespace zelmaro
