// Sound effects and looping music, played and stopped by file stem.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class SoundManager {
public:
    static SoundManager& Instance();
    static void ResetInstance();

    // Opens the audio device (a silent loopback device when there is none) and loads every file
    // of "data/Sound" under its stem, with one playable copy each.
    void Init();
    // mode 0: once, mode 1: looping, anything else: nothing. Unknown names do nothing.
    void Play(int mode, const std::string& name);
    // Stops and rewinds the first playable copy of the name.
    void Stop(const std::string& name);
    void Release();

    // Names of known sounds passed to Play since the last call, in call order (the per-frame trace).
    std::vector<std::string> TakePlayedNames();

    struct Impl;

private:
    std::shared_ptr<Impl> impl;
};
