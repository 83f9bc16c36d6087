// Input scripts: scripted physical keys, gamepad events and message-box answers, one per line.
//
//   @ key ACTION=KEY[,KEY]     header: a key binding in force from the first frame
//   @ key.2 ACTION=KEY[,KEY]   header: the same for keyboard set 2
//   @ players N                header: N people joined from the start, as --players
//   @ course ID                header: the course chosen at the start (else the first one)
//   @ difficulty easy|normal|hard, @ ghost on|off, @ seed N   headers: the race's other choices
//   @ mode race|trial|championship                         header: the mode the title starts on
//   FRAME down|up KEY          KEY: RETURN ESCAPE SPACE SHIFT LEFT RIGHT UP DOWN A-Z 0-9 TAB CTRL F1
//   FRAME answer yes|no        answers the next message box opened at or after FRAME
//   FRAME pad [N] connect|disconnect                     N: pad 1 to 4 (without it: pad 1)
//   FRAME pad [N] button NAME down|up
//   FRAME pad [N] axis NAME VALUE  VALUE -1.0 … 1.0 (triggers 0 … 1)
//   # comment
//
// An event at frame N is in effect when frame N's update reads the keys (frames count from 1).
// A script plays with the default keys, difficulty and ghost plus its own headers, whatever the
// settings file says, so a recording replays the same anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/settings/key_bindings.h"
#include "race/difficulty.h"
#include "race/race_mode.h"

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, Answer, PadConnect, PadDisconnect, PadButtonDown, PadButtonUp, PadAxis };
    std::uint64_t frame = 0;
    Kind kind = Kind::KeyDown;
    int key = 0;        // virtual-key code for KeyDown/KeyUp; button or axis for pad events
    int answer = 0;     // IDYES or IDNO for Answer
    float value = 0.0f; // PadAxis
    int pad = 0;        // pad events: 0..3 (pad 1..4)
    bool operator==(const ScriptEvent&) const = default;
};

// What a run chose before its first frame that changes the race; unset: the default.
struct ScriptChoices {
    std::string course; // id or name; empty: the first course
    std::optional<Difficulty> difficulty;
    std::optional<bool> ghost;
    std::optional<unsigned> seed;
    std::optional<RaceMode> mode;
    std::optional<unsigned> players;
};

struct ParsedScript {
    std::vector<ScriptEvent> events;
    KeyBindings bindings; // the defaults with the headers applied
    KeyBindings secondBindings{KeyBindings::kSecondSet};
    ScriptChoices choices;
    bool usesPad = false;
};

// Parses a whole script. false with "line N: reason" on the first bad line.
bool ParseInputScript(const std::string& text, ParsedScript* script, std::string* error);
// The events alone (headers are checked and dropped).
bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error);
// One script line for an event (no newline), as the recorder writes it.
std::string FormatScriptEvent(const ScriptEvent& event);
// The header lines of a set of bindings, one per action; of set 2 only what differs from its defaults.
std::string FormatBindingHeaders(const KeyBindings& bindings);
// The header lines of the choices that are set.
std::string FormatChoiceHeaders(const ScriptChoices& choices);
// Script name of a virtual-key code ("RETURN"); empty for keys scripts cannot name.
std::string ScriptKeyName(int virtualKey);
// The virtual-key codes a script can name: RETURN … DOWN, C, R first, then the others.
const std::vector<int>& ScriptKeys();

// Plays a parsed script into the key state, the virtual pad and the message-box answer queue.
class InputScript {
public:
    explicit InputScript(std::vector<ScriptEvent> events);
    // Applies every event up to and including `frame` that has not been applied yet.
    void ApplyUpTo(std::uint64_t frame);
    bool Finished() const { return next >= events.size(); }

private:
    std::vector<ScriptEvent> events; // sorted by frame, file order kept within a frame
    std::size_t next = 0;
};
