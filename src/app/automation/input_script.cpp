// Script parsing and playback.
#include "app/automation/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "platform/window/input.h"
#include "platform/window/message_box.h"

namespace {
struct KeyName {
    const char* name;
    int key;
};
constexpr KeyName kKeyNames[] = {
    {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"SPACE", VK_SPACE}, {"SHIFT", VK_SHIFT}, {"LEFT", VK_LEFT},
    {"RIGHT", VK_RIGHT},   {"UP", VK_UP},         {"DOWN", VK_DOWN},   {"C", 'C'},          {"R", 'R'},
};

std::string Upper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

int KeyFromName(const std::string& name) {
    std::string upper = Upper(name);
    for (const KeyName& entry : kKeyNames)
        if (upper == entry.name) return entry.key;
    return 0;
}

bool ParseFrame(const std::string& text, std::uint64_t* frame) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *frame);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// One non-empty line without its comment; false with the reason.
bool ParseLine(const std::string& line, ScriptEvent* event, std::string* reason) {
    std::istringstream words(line);
    std::string frame, verb, argument, extra;
    words >> frame >> verb >> argument >> extra;
    if (!ParseFrame(frame, &event->frame)) return *reason = "'" + frame + "' is not a frame number", false;
    if (argument.empty()) return *reason = "expected 'FRAME down|up KEY' or 'FRAME answer yes|no'", false;
    if (!extra.empty()) return *reason = "unexpected '" + extra + "'", false;
    std::string lowerVerb = verb, upperArgument = Upper(argument);
    for (char& c : lowerVerb) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lowerVerb == "down" || lowerVerb == "up") {
        event->kind = lowerVerb == "down" ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp;
        event->key = KeyFromName(argument);
        if (event->key == 0) return *reason = "unknown key '" + argument + "'", false;
    } else if (lowerVerb == "answer") {
        event->kind = ScriptEvent::Kind::Answer;
        if (upperArgument != "YES" && upperArgument != "NO") return *reason = "an answer is yes or no", false;
        event->answer = upperArgument == "YES" ? IDYES : IDNO;
    } else {
        return *reason = "unknown event '" + verb + "'", false;
    }
    return true;
}
} // namespace

bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error) {
    events->clear();
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        ScriptEvent event;
        std::string reason;
        if (!ParseLine(line, &event, &reason)) {
            if (error) *error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
        events->push_back(event);
    }
    return true;
}

std::string ScriptKeyName(int virtualKey) {
    for (const KeyName& entry : kKeyNames)
        if (entry.key == virtualKey) return entry.name;
    return {};
}

const std::vector<int>& ScriptKeys() {
    static const std::vector<int> keys = [] {
        std::vector<int> all;
        for (const KeyName& entry : kKeyNames) all.push_back(entry.key);
        return all;
    }();
    return keys;
}

std::string FormatScriptEvent(const ScriptEvent& event) {
    std::string frame = std::to_string(event.frame);
    switch (event.kind) {
    case ScriptEvent::Kind::KeyDown: return frame + " down " + ScriptKeyName(event.key);
    case ScriptEvent::Kind::KeyUp: return frame + " up " + ScriptKeyName(event.key);
    case ScriptEvent::Kind::Answer: return frame + " answer " + (event.answer == IDYES ? "yes" : "no");
    }
    return frame;
}

InputScript::InputScript(std::vector<ScriptEvent> scriptEvents) : events(std::move(scriptEvents)) {
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
}

void InputScript::ApplyUpTo(std::uint64_t frame) {
    for (; next < events.size() && events[next].frame <= frame; ++next) {
        const ScriptEvent& event = events[next];
        switch (event.kind) {
        case ScriptEvent::Kind::KeyDown: platform::input::SetKeyDown(event.key, true); break;
        case ScriptEvent::Kind::KeyUp: platform::input::SetKeyDown(event.key, false); break;
        case ScriptEvent::Kind::Answer: platform::message_box::QueueAnswer(event.answer); break;
        }
    }
}
