// Names of the physical keys that input scripts, recordings and the settings file can name.
//
// RETURN ESCAPE SPACE SHIFT LEFT RIGHT UP DOWN, the letters A to Z, the digits 0 to 9, TAB, CTRL
// and F1, each a Windows virtual-key code. Names are matched in any case.
// Does not: keys the game never reads (function keys beyond F1, the keypad, media keys).
#pragma once

#include <string>
#include <vector>

namespace platform::input {
// The code of a key name, 0 for a name it does not know.
int KeyFromName(const std::string& name);
// The name of a code ("RETURN"); empty for keys without a name.
std::string KeyName(int virtualKey);
// Every named key: the ten the game first knew (RETURN … DOWN, C, R) first, then the others.
const std::vector<int>& NamedKeys();
} // namespace platform::input
