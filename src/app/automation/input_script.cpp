// Script parsing and playback.
#include "app/automation/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "platform/pad/gamepad.h"
#include "platform/window/input.h"
#include "platform/window/key_names.h"
#include "platform/window/message_box.h"

namespace {
std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool ParseFrame(const std::string& text, std::uint64_t* frame) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *frame);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

bool Fail(std::string* reason, const std::string& text) {
    *reason = text;
    return false;
}

// "pad connect", "pad 2 button A down", "pad axis LEFTX -0.5" after the frame.
bool ParsePad(std::vector<std::string> words, ScriptEvent* event, std::string* reason) {
    if (words.size() > 2 && !words[2].empty() && std::isdigit(static_cast<unsigned char>(words[2][0]))) {
        std::uint64_t number = 0;
        if (!ParseFrame(words[2], &number) || number < 1 || number > 4)
            return Fail(reason, "pads are numbered 1 to 4, not '" + words[2] + "'");
        event->pad = static_cast<int>(number - 1);
        words.erase(words.begin() + 2);
    }
    const std::string what = words.size() > 2 ? Lower(words[2]) : "";
    std::size_t expected = what == "button" || what == "axis" ? 5 : 3;
    if (words.size() != expected || (what != "connect" && what != "disconnect" && what != "button" && what != "axis"))
        return Fail(reason, "expected 'FRAME pad [N] connect|disconnect', 'FRAME pad [N] button NAME down|up' or "
                            "'FRAME pad [N] axis NAME VALUE'");
    if (what == "connect" || what == "disconnect") {
        event->kind = what == "connect" ? ScriptEvent::Kind::PadConnect : ScriptEvent::Kind::PadDisconnect;
        return true;
    }
    if (what == "button") {
        event->key = platform::pad::ButtonFromName(words[3]);
        if (event->key < 0) return Fail(reason, "unknown pad button '" + words[3] + "'");
        const std::string state = Lower(words[4]);
        if (state != "down" && state != "up") return Fail(reason, "a pad button goes down or up");
        event->kind = state == "down" ? ScriptEvent::Kind::PadButtonDown : ScriptEvent::Kind::PadButtonUp;
        return true;
    }
    event->key = platform::pad::AxisFromName(words[3]);
    if (event->key < 0) return Fail(reason, "unknown pad axis '" + words[3] + "'");
    event->kind = ScriptEvent::Kind::PadAxis;
    auto [end, ec] = std::from_chars(words[4].data(), words[4].data() + words[4].size(), event->value);
    if (ec != std::errc() || end != words[4].data() + words[4].size() || !std::isfinite(event->value) ||
        event->value < -1.0f || event->value > 1.0f)
        return Fail(reason, "a pad axis value is a number from -1.0 to 1.0");
    return true;
}

// One non-empty line without its comment; false with the reason.
bool ParseLine(const std::string& line, ScriptEvent* event, std::string* reason) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (!ParseFrame(words[0], &event->frame)) return Fail(reason, "'" + words[0] + "' is not a frame number");
    const std::string verb = words.size() > 1 ? Lower(words[1]) : "";
    if (verb == "pad") return ParsePad(words, event, reason);
    if (words.size() < 3) return Fail(reason, "expected 'FRAME down|up KEY' or 'FRAME answer yes|no'");
    if (words.size() > 3) return Fail(reason, "unexpected '" + words[3] + "'");
    const std::string argument = Lower(words[2]);
    if (verb == "down" || verb == "up") {
        event->kind = verb == "down" ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp;
        event->key = platform::input::KeyFromName(words[2]);
        if (event->key == 0) return Fail(reason, "unknown key '" + words[2] + "'");
    } else if (verb == "answer") {
        event->kind = ScriptEvent::Kind::Answer;
        if (argument != "yes" && argument != "no") return Fail(reason, "an answer is yes or no");
        event->answer = argument == "yes" ? IDYES : IDNO;
    } else {
        return Fail(reason, "unknown event '" + words[1] + "'");
    }
    return true;
}

// "@ course mountain", "@ difficulty hard", "@ ghost off", "@ seed 7": `value` is the rest of the line.
bool ParseChoice(const std::string& kind, const std::string& value, ScriptChoices* choices, std::string* reason) {
    const bool oneWord = !value.empty() && value.find_first_of(" \t") == std::string::npos;
    if (kind == "course") {
        if (value.empty()) return Fail(reason, "expected '@ course ID'");
        choices->course = value;
    } else if (kind == "difficulty") {
        Difficulty level = Difficulty::Normal;
        if (!ParseDifficulty(Lower(value), &level)) return Fail(reason, "expected '@ difficulty easy|normal|hard'");
        choices->difficulty = level;
    } else if (kind == "mode") {
        RaceMode mode = RaceMode::Race;
        if (!ParseRaceMode(Lower(value), &mode)) return Fail(reason, "expected '@ mode race|trial|championship'");
        choices->mode = mode;
    } else if (kind == "players") {
        std::uint64_t people = 0;
        if (!oneWord || !ParseFrame(value, &people) || people < 1 || people > 4)
            return Fail(reason, "expected '@ players N' (1 to 4)");
        choices->players = static_cast<unsigned>(people);
    } else if (kind == "ghost") {
        if (Lower(value) != "on" && Lower(value) != "off") return Fail(reason, "expected '@ ghost on|off'");
        choices->ghost = Lower(value) == "on";
    } else {
        std::uint64_t seed = 0;
        if (!oneWord || !ParseFrame(value, &seed) || seed > 0xFFFFFFFFu) return Fail(reason, "expected '@ seed N'");
        choices->seed = static_cast<unsigned>(seed);
    }
    return true;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "@ key throttle=W,SPACE": the bindings in force from the first frame; or one of the race's choices.
bool ParseHeader(const std::string& line, ParsedScript* script, std::string* reason) {
    const std::string body = Trimmed(line.substr(1));
    const std::size_t split = std::min(body.find_first_of(" \t"), body.size());
    const std::string kind = Lower(body.substr(0, split)), rest = Trimmed(body.substr(split));
    if (kind == "course" || kind == "difficulty" || kind == "ghost" || kind == "seed" || kind == "mode" ||
        kind == "players")
        return ParseChoice(kind, rest, &script->choices, reason);
    const std::string& assignment = rest;
    std::size_t equals = assignment.find('=');
    if ((kind != "key" && kind != "key.2") || equals == std::string::npos ||
        assignment.find_first_of(" \t") != std::string::npos)
        return Fail(reason, "expected '@ key ACTION=KEY[,KEY]', '@ key.2 ACTION=KEY[,KEY]', '@ course ID', "
                            "'@ difficulty LEVEL', '@ ghost on|off', '@ mode MODE', '@ players N' or '@ seed N'");
    KeyBindings* bindings = kind == "key" ? &script->bindings : &script->secondBindings;
    std::optional<std::size_t> action = FindGameAction(Lower(assignment.substr(0, equals)));
    if (!action) return Fail(reason, "unknown action '" + assignment.substr(0, equals) + "'");
    std::vector<int> keys;
    if (!KeyBindings::ParseKeyList(assignment.substr(equals + 1), &keys, reason)) return false;
    if (!bindings->Set(*action, keys, reason)) return false;
    for (int key : keys) {
        if (auto other = bindings->ActionHolding(key, *action))
            return Fail(reason, platform::input::KeyName(key) + " is already bound to " + GameActions()[*other].name);
    }
    return true;
}
} // namespace

bool ParseInputScript(const std::string& text, ParsedScript* script, std::string* error) {
    *script = ParsedScript{};
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        std::string reason;
        bool ok = false;
        if (line[first] == '@') {
            ok = ParseHeader(line.substr(first), script, &reason);
        } else {
            ScriptEvent event;
            ok = ParseLine(line, &event, &reason);
            if (ok) script->events.push_back(event);
            if (ok && event.kind >= ScriptEvent::Kind::PadConnect) script->usesPad = true;
        }
        if (!ok) {
            if (error) *error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    return true;
}

bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error) {
    ParsedScript script;
    bool ok = ParseInputScript(text, &script, error);
    *events = std::move(script.events);
    return ok;
}

std::string ScriptKeyName(int virtualKey) { return platform::input::KeyName(virtualKey); }

const std::vector<int>& ScriptKeys() { return platform::input::NamedKeys(); }

std::string FormatScriptEvent(const ScriptEvent& event) {
    std::string frame = std::to_string(event.frame);
    // Pad 1 is written as it always was, so that one player's recordings stay as they were.
    if (event.kind >= ScriptEvent::Kind::PadConnect && event.pad > 0) {
        ScriptEvent first = event;
        first.pad = 0;
        std::string line = FormatScriptEvent(first);
        return line.insert(frame.size() + 4, " " + std::to_string(event.pad + 1));
    }
    switch (event.kind) {
    case ScriptEvent::Kind::KeyDown: return frame + " down " + ScriptKeyName(event.key);
    case ScriptEvent::Kind::KeyUp: return frame + " up " + ScriptKeyName(event.key);
    case ScriptEvent::Kind::Answer: return frame + " answer " + (event.answer == IDYES ? "yes" : "no");
    case ScriptEvent::Kind::PadConnect: return frame + " pad connect";
    case ScriptEvent::Kind::PadDisconnect: return frame + " pad disconnect";
    case ScriptEvent::Kind::PadButtonDown:
        return frame + " pad button " + platform::pad::ButtonName(event.key) + " down";
    case ScriptEvent::Kind::PadButtonUp: return frame + " pad button " + platform::pad::ButtonName(event.key) + " up";
    case ScriptEvent::Kind::PadAxis: {
        // Five decimals bring back the pad's exact 16-bit reading.
        char value[32];
        std::snprintf(value, sizeof value, "%.5f", static_cast<double>(event.value));
        return frame + " pad axis " + platform::pad::AxisName(event.key) + " " + value;
    }
    }
    return frame;
}

std::string FormatBindingHeaders(const KeyBindings& bindings) {
    std::string text;
    const bool second = bindings.KeySet() == KeyBindings::kSecondSet;
    const KeyBindings defaults(bindings.KeySet());
    for (std::size_t i = 0; i < GameActions().size(); ++i)
        if (!second || bindings.Keys(i) != defaults.Keys(i))
            text +=
                std::string(second ? "@ key.2 " : "@ key ") + GameActions()[i].name + "=" + bindings.KeyList(i) + "\n";
    return text;
}

std::string FormatChoiceHeaders(const ScriptChoices& choices) {
    std::string text;
    if (!choices.course.empty()) text += "@ course " + choices.course + "\n";
    if (choices.difficulty) text += std::string("@ difficulty ") + DifficultyName(*choices.difficulty) + "\n";
    if (choices.ghost) text += std::string("@ ghost ") + (*choices.ghost ? "on" : "off") + "\n";
    if (choices.seed) text += "@ seed " + std::to_string(*choices.seed) + "\n";
    if (choices.mode) text += std::string("@ mode ") + RaceModeName(*choices.mode) + "\n";
    if (choices.players) text += "@ players " + std::to_string(*choices.players) + "\n";
    return text;
}

InputScript::InputScript(std::vector<ScriptEvent> scriptEvents) : events(std::move(scriptEvents)) {
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
}

void InputScript::ApplyUpTo(std::uint64_t frame) {
    for (; next < events.size() && events[next].frame <= frame; ++next) {
        const ScriptEvent& event = events[next];
        std::string error;
        switch (event.kind) {
        case ScriptEvent::Kind::KeyDown: platform::input::SetKeyDown(event.key, true); break;
        case ScriptEvent::Kind::KeyUp: platform::input::SetKeyDown(event.key, false); break;
        case ScriptEvent::Kind::Answer: platform::message_box::QueueAnswer(event.answer); break;
        case ScriptEvent::Kind::PadConnect:
            if (!platform::pad::ConnectVirtual(&error, event.pad)) std::fprintf(stderr, "pad: %s\n", error.c_str());
            break;
        case ScriptEvent::Kind::PadDisconnect: platform::pad::DisconnectVirtual(event.pad); break;
        case ScriptEvent::Kind::PadButtonDown: platform::pad::SetVirtualButton(event.key, true, event.pad); break;
        case ScriptEvent::Kind::PadButtonUp: platform::pad::SetVirtualButton(event.key, false, event.pad); break;
        case ScriptEvent::Kind::PadAxis: platform::pad::SetVirtualAxis(event.key, event.value, event.pad); break;
        }
    }
}
