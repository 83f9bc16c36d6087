// Input scripts: scripted key presses and message-box answers, one event per line.
//
//   FRAME down|up KEY      KEY: RETURN ESCAPE SPACE SHIFT LEFT RIGHT UP DOWN C R
//   FRAME answer yes|no    answers the next message box opened at or after FRAME
//   # comment
//
// An event at frame N is in effect when frame N's update reads the keys (frames count from 1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, Answer };
    std::uint64_t frame = 0;
    Kind kind = Kind::KeyDown;
    int key = 0;     // virtual-key code for KeyDown/KeyUp
    int answer = 0;  // IDYES or IDNO for Answer
    bool operator==(const ScriptEvent&) const = default;
};

// Parses a whole script. false with "line N: reason" on the first bad line.
bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error);
// One script line for an event (no newline), as the recorder writes it.
std::string FormatScriptEvent(const ScriptEvent& event);
// Script name of a virtual-key code ("RETURN"); empty for keys scripts cannot name.
std::string ScriptKeyName(int virtualKey);
// The virtual-key codes a script can name, in the order above.
const std::vector<int>& ScriptKeys();

// Plays a parsed script into the key state and the message-box answer queue.
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
