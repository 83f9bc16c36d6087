// The player's language: English, or Japanese from the game's catalog. The settings file or --lang
// choose it; "auto" takes it from the environment as gettext programs do.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class Language { Auto, English, Japanese };

// "auto", "en", "ja": the words of the settings file and of --lang, in enum order.
const std::vector<std::string>& LanguageNames();
// false for any other word.
bool ParseLanguage(const std::string& word, Language* language);
// English or Japanese. Auto reads the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set and
// not empty: Japanese when it names ja ("ja", "ja_JP.UTF-8", "ja:en"), English otherwise.
Language ResolveLanguage(Language choice, const std::function<const char*(const char*)>& environment);
// Where the Japanese catalog may be for the content in `contentFolder`: locale/ beside data/ (the
// runnable folder), then ../locale (share/locale beside an installed game's share/orlenda).
std::vector<std::string> CatalogPaths(const std::string& contentFolder);
// Puts the language in force for the game's texts. Japanese without a readable catalog stays
// English, with one stderr line naming the places searched.
void StartLanguage(Language choice, const std::string& contentFolder);
