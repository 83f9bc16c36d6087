// Reading the settings file entry by entry, with a message for every bad one, and saving changes in place.
#include "app/settings/settings_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <tuple>

#include "platform/fs/atomic_file.h"
#include "platform/ini/ini_file.h"
#include "platform/window/key_names.h"

namespace {
constexpr int kVersion = 1;
constexpr int kMostPercent = 100;
constexpr int kMostInputDelay = 4; // as --input-delay
constexpr std::size_t kMostAddress = 255;
// A file full of mistakes gets this many lines on stderr, then one that counts the rest.
constexpr std::size_t kMostMessages = 20;
// A value quoted back in a message is cut to this many bytes.
constexpr std::size_t kMostQuoted = 60;
// The section of keyboard set 2.
constexpr const char* kSecondKeys = "keys.2";

struct Reader {
    const std::string& fileName;
    LoadedSettings& out;
    int* unsaid; // problems past kMostMessages
    void Say(int line, const std::string& text) const {
        if (out.messages.size() < kMostMessages)
            out.messages.push_back(fileName + ":" + std::to_string(line) + ": " + text);
        else ++*unsaid;
    }
};

// A value as a message quotes it: whole when short, else its start, cut between UTF-8 characters.
std::string Quoted(const std::string& value) {
    if (value.size() <= kMostQuoted) return "'" + value + "'";
    std::size_t cut = kMostQuoted;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return "'" + value.substr(0, cut) + "...'";
}

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
    reader.Say(entry.line, entry.key + " is " + allowed + ", not " + Quoted(entry.value) + "; using " +
                               names[static_cast<std::size_t>(*choice)]);
}

void ReadPercent(const Reader& reader, const platform::ini::Entry& entry, int* percent) {
    std::optional<int> value = Integer(entry.value);
    if (value && *value >= 0 && *value <= kMostPercent) {
        *percent = *value;
        return;
    }
    reader.Say(entry.line, entry.key + " is a whole number 0..100, not " + Quoted(entry.value) + "; using " +
                               std::to_string(*percent));
}

void ReadInputDelay(const Reader& reader, const platform::ini::Entry& entry, int* delay) {
    std::optional<int> value = Integer(entry.value);
    if (value && *value >= 0 && *value <= kMostInputDelay) {
        *delay = *value;
        return;
    }
    reader.Say(entry.line, entry.key + " is a whole number 0.." + std::to_string(kMostInputDelay) + ", not " +
                               Quoted(entry.value) + "; using " + std::to_string(*delay));
}

// HOST or HOST:PORT as --join takes it: printable, without spaces, short.
void ReadAddress(const Reader& reader, const platform::ini::Entry& entry, std::string* address) {
    const bool fits = entry.value.size() <= kMostAddress &&
                      std::all_of(entry.value.begin(), entry.value.end(), [](char c) { return c > ' ' && c < 127; });
    if (fits) {
        *address = entry.value;
        return;
    }
    reader.Say(entry.line,
               entry.key + " is an address (HOST or HOST:PORT), not " + Quoted(entry.value) + "; using none");
}

// The name the others see online: up to 24 characters, none of them a control character (none: the
// login name).
void ReadName(const Reader& reader, const platform::ini::Entry& entry, std::string* name) {
    const bool fits = entry.value.size() <= 24 && std::all_of(entry.value.begin(), entry.value.end(), [](char c) {
                          return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
                      });
    if (fits) {
        *name = entry.value;
        return;
    }
    reader.Say(entry.line,
               entry.key + " is a name of up to 24 characters, not " + Quoted(entry.value) + "; using none");
}

void ReadVersion(const Reader& reader, const platform::ini::Entry& entry) {
    std::optional<int> version = Integer(entry.value);
    if (!version || *version < 1) {
        reader.Say(entry.line, "version " + Quoted(entry.value) + " is not a version number; ignored");
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
void ResolveClashes(const Reader& reader, KeyBindings& keys, std::vector<KeyLine> lines) {
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

// One [keys] section into one binding set.
void ReadKeys(const Reader& reader, const std::vector<const platform::ini::Entry*>& entries, KeyBindings& keys) {
    std::vector<KeyLine> lines;
    for (const platform::ini::Entry* entry : entries) {
        std::optional<std::size_t> action = FindGameAction(Lower(entry->key));
        if (!action) {
            reader.Say(entry->line, "unknown action " + Quoted(entry->key) + " in [" + entry->section + "]; ignored");
            continue;
        }
        std::vector<int> parsed;
        std::string reason;
        if (!KeyBindings::ParseKeyList(entry->value, &parsed, &reason) || !keys.Set(*action, parsed, &reason)) {
            keys.ResetToDefault(*action);
            reader.Say(entry->line, entry->key + ": " + reason + "; using " + keys.KeyList(*action));
            continue;
        }
        std::erase_if(lines, [&](const KeyLine& seen) { return seen.action == *action; });
        lines.push_back({*action, entry->line});
    }
    ResolveClashes(reader, keys, lines);
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
    if (section == "race" && (key == "ghost" || key == "hud_extras")) {
        bool& flag = key == "ghost" ? s.ghost : s.hudExtras;
        int on = flag ? 1 : 0;
        ReadChoice(reader, entry, OnOffNames(), &on);
        flag = on == 1;
        return;
    }
    if (section == "network" && key == "input_delay") return ReadInputDelay(reader, entry, &s.inputDelay);
    if (section == "network" && key == "last_join") return ReadAddress(reader, entry, &s.lastJoin);
    if (section == "network" && key == "name") return ReadName(reader, entry, &s.name);
    reader.Say(entry.line, "unknown setting " + Quoted(entry.key) +
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
    int unsaid = 0;
    Reader reader{fileName, out, &unsaid};
    for (int line : file.badLines) {
        reader.Say(line, std::string("not a 'key = value' line or a [section]; line ignored") +
                             (out.writable ? ", and the file will not be overwritten" : ""));
        out.writable = false;
    }
    for (int line : file.longLines)
        reader.Say(line, "longer than " + std::to_string(platform::ini::kMostLineBytes) + " bytes; line ignored");
    std::vector<const platform::ini::Entry*> keyEntries, secondKeyEntries;
    for (const platform::ini::Entry& entry : file.entries) {
        if (Lower(entry.section) == "keys") keyEntries.push_back(&entry);
        else if (Lower(entry.section) == kSecondKeys) secondKeyEntries.push_back(&entry);
        else ReadEntry(reader, entry);
    }
    ReadKeys(reader, keyEntries, out.settings.keys);
    ReadKeys(reader, secondKeyEntries, out.settings.keys2);
    if (unsaid > 0) out.messages.push_back(fileName + ": ... and " + std::to_string(unsaid) + " more problems");
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

std::vector<SettingLine> SettingLines(const Settings& s) {
    auto name = [](const std::vector<std::string>& names, auto choice) {
        return names[static_cast<std::size_t>(choice)];
    };
    std::vector<SettingLine> lines = {
        {"general", "language", name(LanguageNames(), s.language)},
        {"video", "fullscreen", name(FullScreenNames(), s.fullscreen)},
        {"video", "graphics", name(GraphicsNames(), s.graphics)},
        {"audio", "music", std::to_string(s.music)},
        {"audio", "effects", std::to_string(s.effects)},
    };
    for (std::size_t i = 0; i < GameActions().size(); ++i)
        lines.push_back({"keys", GameActions()[i].name, s.keys.KeyList(i)});
    for (std::size_t i = 0; i < GameActions().size(); ++i)
        lines.push_back({kSecondKeys, GameActions()[i].name, s.keys2.KeyList(i)});
    lines.push_back({"race", "difficulty", name(DifficultyNames(), s.difficulty)});
    lines.push_back({"race", "ghost", name(OnOffNames(), s.ghost ? 1 : 0)});
    lines.push_back({"race", "hud_extras", name(OnOffNames(), s.hudExtras ? 1 : 0)});
    lines.push_back({"network", "input_delay", std::to_string(s.inputDelay)});
    lines.push_back({"network", "last_join", s.lastJoin});
    lines.push_back({"network", "name", s.name});
    return lines;
}

namespace {
std::string FileStart() {
    return "; Orlenda settings, written by the options screen (keys: see the README)\nversion = " +
           std::to_string(kVersion) + "\n";
}

// The lines as a whole file, a blank line before each section.
std::string Format(const std::vector<SettingLine>& lines) {
    std::string text = FileStart();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].section != lines[i - 1].section) text += "\n[" + lines[i].section + "]\n";
        text += lines[i].key + " = " + lines[i].value + "\n";
    }
    return text;
}
} // namespace

std::string FormatSettings(const Settings& settings) { return Format(SettingLines(settings)); }

bool SaveSettings(const std::string& path, const Settings& settings, std::string* error) {
    return platform::fs::WriteFileAtomically(path, FormatSettings(settings), error);
}

namespace {
// An action the file binds to a key that a written action now holds is written too (with its keys
// in force, which clash with nothing), so that the file never binds one key twice.
void KeepKeysApart(const KeyBindings& file, const KeyBindings& now, std::size_t firstKeyLine,
                   std::vector<bool>* write) {
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t action = 0; action < GameActions().size(); ++action) {
            if (!(*write)[firstKeyLine + action]) continue;
            for (int key : now.Keys(action)) {
                std::optional<std::size_t> other = file.ActionHolding(key, action);
                if (other && !(*write)[firstKeyLine + *other]) (*write)[firstKeyLine + *other] = grew = true;
            }
        }
    }
}
} // namespace

bool SaveSettingsChanges(const std::string& path, const Settings& before, const Settings& after, std::string* error) {
    const std::vector<SettingLine> was = SettingLines(before), now = SettingLines(after);
    std::vector<bool> write(now.size());
    for (std::size_t i = 0; i < now.size(); ++i) write[i] = was[i].value != now[i].value;
    if (std::find(write.begin(), write.end(), true) == write.end()) return true;
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (ec) return *error = path + ": " + ec.message(), false;
    std::string text;
    if (!exists) {
        // A new file holds every setting but those a flag or a script chose for this run alone.
        const std::vector<SettingLine> defaults = SettingLines(Settings{});
        std::vector<SettingLine> lines;
        for (std::size_t i = 0; i < now.size(); ++i)
            if (write[i] || now[i].value == defaults[i].value) lines.push_back(now[i]);
        return platform::fs::WriteFileAtomically(path, Format(lines), error);
    }
    // The file as it is now, so that what another program changed since the start is kept too.
    if (!platform::fs::ReadWholeFile(path, &text, error)) return false;
    const LoadedSettings current = ParseSettings(text, path);
    if (!current.writable) return *error = path + " holds lines this game cannot read; it is left as it was", false;
    for (const auto& [section, file, inForce] : {std::tuple{"keys", &current.settings.keys, &after.keys},
                                                 std::tuple{kSecondKeys, &current.settings.keys2, &after.keys2}}) {
        const auto firstKey =
            std::find_if(now.begin(), now.end(), [name = section](const SettingLine& l) { return l.section == name; });
        KeepKeysApart(*file, *inForce, static_cast<std::size_t>(firstKey - now.begin()), &write);
    }
    for (std::size_t i = 0; i < now.size(); ++i)
        if (write[i]) text = platform::ini::SetValue(text, now[i].section, now[i].key, now[i].value);
    return platform::fs::WriteFileAtomically(path, text, error);
}

bool LockSettingsFile(const std::string& path, platform::fs::FolderLock* lock, std::chrono::milliseconds wait,
                      std::string* error) {
    if (path.empty()) return *error = "no settings file", false;
    const std::filesystem::path file = platform::fs::FileBehindLinks(path);
    if (file.has_parent_path() && !platform::fs::MakeFolders(file.parent_path().string(), error)) return false;
    return lock->Acquire(file.string() + ".lock", wait, error) == platform::fs::FolderLock::Result::Taken;
}
