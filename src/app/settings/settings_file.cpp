// Reading the settings file entry by entry, with a message for every bad one, and writing it whole.
#include "app/settings/settings_file.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/fs/atomic_write.h"
#include "platform/ini/ini_file.h"
#include "platform/window/key_names.h"

namespace {
constexpr int kVersion = 1;
constexpr int kMostPercent = 100;

struct Reader {
    const std::string& fileName;
    LoadedSettings& out;
    void Say(int line, const std::string& text) const {
        out.messages.push_back(fileName + ":" + std::to_string(line) + ": " + text);
    }
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<int> Integer(const std::string& text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// One of `names`; on a bad value says so and keeps `*choice`.
template <typename Enum>
void ReadChoice(const Reader& reader, const platform::ini::Entry& entry, const std::vector<std::string>& names,
                Enum* choice) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (Lower(entry.value) == names[i]) {
            *choice = static_cast<Enum>(i);
            return;
        }
    }
    std::string allowed;
    for (const std::string& name : names) allowed += (allowed.empty() ? "" : "|") + name;
    reader.Say(entry.line, entry.key + " is " + allowed + ", not '" + entry.value + "'; using " +
                               names[static_cast<std::size_t>(*choice)]);
}

void ReadPercent(const Reader& reader, const platform::ini::Entry& entry, int* percent) {
    std::optional<int> value = Integer(entry.value);
    if (value && *value >= 0 && *value <= kMostPercent) {
        *percent = *value;
        return;
    }
    reader.Say(entry.line,
               entry.key + " is a whole number 0..100, not '" + entry.value + "'; using " + std::to_string(*percent));
}

void ReadVersion(const Reader& reader, const platform::ini::Entry& entry) {
    std::optional<int> version = Integer(entry.value);
    if (!version || *version < 1) {
        reader.Say(entry.line, "version '" + entry.value + "' is not a version number; ignored");
    } else if (*version > kVersion) {
        reader.Say(entry.line, "written by a newer game (version " + entry.value +
                                   "); reading what this one "
                                   "knows and never overwriting the file");
        reader.out.writable = false;
    }
}

struct KeyLine {
    std::size_t action;
    int line;
};

// The later of two actions sharing a key goes back to its default key, until no key is shared.
void ResolveClashes(const Reader& reader, std::vector<KeyLine> lines) {
    KeyBindings& keys = reader.out.settings.keys;
    for (;;) {
        bool clash = false;
        for (auto later = lines.rbegin(); later != lines.rend() && !clash; ++later) {
            for (int key : keys.Keys(later->action)) {
                std::optional<std::size_t> other = keys.ActionHolding(key, later->action);
                if (!other) continue;
                keys.ResetToDefault(later->action);
                reader.Say(later->line, platform::input::KeyName(key) + " is already bound to " +
                                            GameActions()[*other].name + "; " + GameActions()[later->action].name +
                                            " uses " + keys.KeyList(later->action));
                lines.erase(std::next(later).base());
                clash = true;
                break;
            }
        }
        if (!clash) return;
    }
}

void ReadKeys(const Reader& reader, const std::vector<const platform::ini::Entry*>& entries) {
    std::vector<KeyLine> lines;
    for (const platform::ini::Entry* entry : entries) {
        std::optional<std::size_t> action = FindGameAction(Lower(entry->key));
        if (!action) {
            reader.Say(entry->line, "unknown action '" + entry->key + "' in [keys]; ignored");
            continue;
        }
        std::vector<int> parsed;
        std::string reason;
        KeyBindings& keys = reader.out.settings.keys;
        if (!KeyBindings::ParseKeyList(entry->value, &parsed, &reason) || !keys.Set(*action, parsed, &reason)) {
            keys.ResetToDefault(*action);
            reader.Say(entry->line, entry->key + ": " + reason + "; using " + keys.KeyList(*action));
            continue;
        }
        std::erase_if(lines, [&](const KeyLine& seen) { return seen.action == *action; });
        lines.push_back({*action, entry->line});
    }
    ResolveClashes(reader, lines);
}

void ReadEntry(const Reader& reader, const platform::ini::Entry& entry) {
    Settings& s = reader.out.settings;
    const std::string section = Lower(entry.section), key = Lower(entry.key);
    if (section.empty() && key == "version") return ReadVersion(reader, entry);
    if (section == "general" && key == "language") return ReadChoice(reader, entry, LanguageNames(), &s.language);
    if (section == "video" && key == "fullscreen") return ReadChoice(reader, entry, FullScreenNames(), &s.fullscreen);
    if (section == "video" && key == "graphics") return ReadChoice(reader, entry, GraphicsNames(), &s.graphics);
    if (section == "audio" && key == "music") return ReadPercent(reader, entry, &s.music);
    if (section == "audio" && key == "effects") return ReadPercent(reader, entry, &s.effects);
    if (section == "race" && key == "difficulty") return ReadChoice(reader, entry, DifficultyNames(), &s.difficulty);
    if (section == "race" && key == "ghost") {
        int ghost = s.ghost ? 1 : 0;
        ReadChoice(reader, entry, OnOffNames(), &ghost);
        s.ghost = ghost == 1;
        return;
    }
    reader.Say(entry.line, "unknown setting '" + entry.key + "'" +
                               (entry.section.empty() ? "" : " in [" + entry.section + "]") + "; ignored");
}
} // namespace

std::string DefaultSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/orlenda/settings.ini";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.config/orlenda/settings.ini";
    return {};
}

namespace {
LoadedSettings FromIni(const platform::ini::File& file, const std::string& fileName) {
    LoadedSettings out;
    Reader reader{fileName, out};
    if (file.firstBadLine > 0) {
        reader.Say(file.firstBadLine, "not a 'key = value' line or a [section]; line ignored, and the file "
                                      "will not be overwritten");
        out.writable = false;
    }
    if (file.firstLongLine > 0) {
        reader.Say(file.firstLongLine, "line too long; only its start is read, and the file will not be overwritten");
        out.writable = false;
    }
    std::vector<const platform::ini::Entry*> keyEntries;
    for (const platform::ini::Entry& entry : file.entries) {
        if (Lower(entry.section) == "keys") keyEntries.push_back(&entry);
        else ReadEntry(reader, entry);
    }
    ReadKeys(reader, keyEntries);
    return out;
}
} // namespace

LoadedSettings ParseSettings(const std::string& text, const std::string& fileName) {
    return FromIni(platform::ini::Parse(text), fileName);
}

LoadedSettings LoadSettings(const std::string& path) {
    std::error_code ec;
    if (path.empty() || (!std::filesystem::exists(path, ec) && !ec)) return {};
    platform::ini::File file;
    std::string error;
    if (platform::ini::Load(path, &file, &error)) return FromIni(file, path);
    LoadedSettings out;
    out.writable = false;
    out.messages.push_back(error + "; using the default settings and leaving the file alone");
    return out;
}

std::string FormatSettings(const Settings& s) {
    auto name = [](const std::vector<std::string>& names, auto choice) {
        return names[static_cast<std::size_t>(choice)];
    };
    std::string text = "; Orlenda settings, written by the options screen (keys: see the README)\n";
    text += "version = " + std::to_string(kVersion) + "\n\n";
    text += "[general]\nlanguage = " + name(LanguageNames(), s.language) + "\n\n";
    text += "[video]\nfullscreen = " + name(FullScreenNames(), s.fullscreen) + "\n";
    text += "graphics = " + name(GraphicsNames(), s.graphics) + "\n\n";
    text += "[audio]\nmusic = " + std::to_string(s.music) + "\neffects = " + std::to_string(s.effects) + "\n\n";
    text += "[keys]\n";
    for (std::size_t i = 0; i < GameActions().size(); ++i)
        text += std::string(GameActions()[i].name) + " = " + s.keys.KeyList(i) + "\n";
    text += "\n[race]\ndifficulty = " + name(DifficultyNames(), s.difficulty) + "\n";
    text += "ghost = " + name(OnOffNames(), s.ghost ? 1 : 0) + "\n";
    return text;
}

bool SaveSettings(const std::string& path, const Settings& settings, std::string* error) {
    return platform::fs::WriteFileAtomically(path, FormatSettings(settings), error);
}
