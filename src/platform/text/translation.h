// The game's texts in the player's language, from a gettext catalog.
//
// Stands in for: dgettext with one text domain. Texts are written in English in the code; a catalog
// is a GNU .mo file as msgfmt writes it (built from po/*.po), read whole when it is chosen. A text the
// catalog does not hold, and every text while no catalog is in use, stays English.
// Why not glibc's own dgettext: glibc serves a catalog only under a locale that setlocale accepted,
// and since 2.39 it ignores LANGUAGE under C.UTF-8, so without a generated ja_JP locale (a fresh
// Debian has only C, C.utf8 and POSIX) Japanese would never show. Reading the catalog here needs
// no locale at all and leaves the process's locale and environment alone.
// Does not: plural forms, message contexts, character set conversion (catalogs are UTF-8), looking
// at the environment (app/language decides which catalog to use).
#pragma once

#include <string>

namespace platform::text {

// Reads the catalog at `path` and uses it from now on; false with the reason, and the texts in use
// stay as they were.
bool UseCatalog(const std::string& path, std::string* error);
// Back to the texts as written.
void UseNoCatalog();
// The translation of `english` in the catalog in use, else `english` itself. The result stays
// valid until the catalog changes.
const char* Translate(const char* english);
// Marks a text kept in a constant for the catalog's template; it is translated where it is shown.
constexpr const char* Translatable(const char* english) { return english; }

} // namespace platform::text
