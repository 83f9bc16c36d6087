// The key-name table, built once.
#include "platform/window/key_names.h"

#include <cctype>

#include "platform/window/input.h"

namespace platform::input {
namespace {
struct NamedKey {
    std::string name;
    int key;
};

const std::vector<NamedKey>& Table() {
    static const std::vector<NamedKey> table = [] {
        std::vector<NamedKey> all = {
            {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"SPACE", VK_SPACE}, {"SHIFT", VK_SHIFT}, {"LEFT", VK_LEFT},
            {"RIGHT", VK_RIGHT},   {"UP", VK_UP},         {"DOWN", VK_DOWN},   {"C", 'C'},          {"R", 'R'}};
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            if (letter != 'C' && letter != 'R') all.push_back({std::string(1, letter), letter});
        for (char digit = '0'; digit <= '9'; ++digit) all.push_back({std::string(1, digit), digit});
        all.push_back({"TAB", VK_TAB});
        all.push_back({"CTRL", VK_CONTROL});
        all.push_back({"F1", VK_F1});
        all.push_back({"BACKSPACE", VK_BACK});
        all.push_back({"SEMICOLON", VK_OEM_1});
        all.push_back({"MINUS", VK_OEM_MINUS});
        all.push_back({"PERIOD", VK_OEM_PERIOD});
        return all;
    }();
    return table;
}
} // namespace

int KeyFromName(const std::string& name) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const NamedKey& entry : Table())
        if (entry.name == upper) return entry.key;
    return 0;
}

std::string KeyName(int virtualKey) {
    for (const NamedKey& entry : Table())
        if (entry.key == virtualKey) return entry.name;
    return {};
}

const std::vector<int>& NamedKeys() {
    static const std::vector<int> keys = [] {
        std::vector<int> all;
        for (const NamedKey& entry : Table()) all.push_back(entry.key);
        return all;
    }();
    return keys;
}
} // namespace platform::input
