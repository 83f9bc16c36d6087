// Choosing the player's language and finding its catalog.
#include "app/language.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/text/translation.h"

namespace {
constexpr const char* kCatalog = "ja/LC_MESSAGES/orlenda.mo";

// "ja" alone or followed by a territory, a codeset, a modifier or a further language; "jv" and
// "jam" are other languages.
bool NamesJapanese(const std::string& value) {
    return value.rfind("ja", 0) == 0 && (value.size() == 2 || std::string("_.@:").find(value[2]) != std::string::npos);
}
} // namespace

const std::vector<std::string>& LanguageNames() {
    static const std::vector<std::string> names = {"auto", "en", "ja"};
    return names;
}

bool ParseLanguage(const std::string& word, Language* language) {
    const std::vector<std::string>& names = LanguageNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (word != names[i]) continue;
        *language = static_cast<Language>(i);
        return true;
    }
    return false;
}

Language ResolveLanguage(Language choice, const std::function<const char*(const char*)>& environment) {
    if (choice != Language::Auto) return choice;
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = environment(variable);
        if (value && *value) return NamesJapanese(value) ? Language::Japanese : Language::English;
    }
    return Language::English;
}

std::vector<std::string> CatalogPaths(const std::string& contentFolder) {
    const std::filesystem::path folder(contentFolder);
    return {(folder / "locale" / kCatalog).lexically_normal().string(),
            (folder / ".." / "locale" / kCatalog).lexically_normal().string()};
}

void StartLanguage(Language choice, const std::string& contentFolder) {
    platform::text::UseNoCatalog();
    if (ResolveLanguage(choice, [](const char* name) { return std::getenv(name); }) != Language::Japanese) return;
    std::string tried;
    for (const std::string& path : CatalogPaths(contentFolder)) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            tried += (tried.empty() ? "" : ", ") + path;
            continue;
        }
        std::string error;
        if (platform::text::UseCatalog(path, &error)) return;
        std::fprintf(stderr, "language: %s; the texts stay English\n", error.c_str());
        return;
    }
    std::fprintf(stderr, "language: no Japanese catalog (looked for %s); the texts stay English\n", tried.c_str());
}
