// Sound effects and looping music, played and stopped by file stem.
#pragma once

#include "platform/audio/sound_buffer.h"
#include "platform/audio/sound_source.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class WaveFile;

// One loaded file: the sample data every copy of the sound shares, with its 3D mode.
struct SoundRecord {
    std::shared_ptr<platform::audio::SoundBuffer> buffer;
};

// One playable copy of a loaded sound.
struct SoundInstance {
    std::unique_ptr<platform::audio::SoundSource> buffer;
};

class SoundManager {
public:
    static SoundManager& Instance();
    static void ResetInstance();

    // Opens the audio device (a silent loopback device when there is none) and loads every file
    // of "data/Sound" under its stem, with one playable copy each.
    void Init();
    // mode 0: once, mode 1: looping, anything else: nothing. Unknown names do nothing.
    void Play(int mode, const std::string& name);
    // As Play, on a copy kept for `owner` (a person's boost loop) until StopOwned(name, owner)
    // stops and rewinds that copy alone; a copy the owner still had is stopped first.
    void PlayOwned(int mode, const std::string& name, int owner);
    void StopOwned(const std::string& name, int owner);
    // Stops and rewinds the first playable copy of the name.
    void Stop(const std::string& name);
    void Release();
    // Music ("BGM") and every other sound, each 0..100 percent, applied at once to every copy.
    void SetVolumes(int musicPercent, int effectsPercent);
    // Every frame: refills the streamed sounds that are playing.
    void Service();

    // Names of known sounds passed to Play since the last call, in call order (the per-frame trace).
    std::vector<std::string> TakePlayedNames();
    // Names of the sounds with a copy playing now, once or looping: sorted, each once. The loopback
    // device is first brought up to the clock, so a one-shot that has run out is not listed.
    std::vector<std::string> PlayingNames();

    // For tests: how many playable copies a name has, and one of them.
    std::size_t InstanceCount(const std::string& name) const;
    SoundInstance* GetInstance(const std::string& name, std::size_t index) const;
    bool HasSound(const std::string& name) const { return sounds.count(name) != 0; }

private:
    void LoadSounds();
    std::vector<std::string> ListSoundFiles();
    bool LoadWave(const std::string& path, SoundRecord* record);
    bool StreamWave(const std::string& path, const WaveFile& wav, SoundRecord* record);
    SoundInstance* AddInstance(const std::string& name);
    SoundInstance* Start(int mode, const std::string& name);
    static void Rewind(SoundInstance& copy);
    void PassTime();
    float GainOf(const std::string& name) const;

    bool device = false; // the audio device is open and ours to close
    std::unordered_map<std::string, std::unique_ptr<SoundRecord>> sounds;
    std::unordered_map<std::string, std::vector<std::unique_ptr<SoundInstance>>> instances;
    std::vector<std::string> playedNames;
    std::map<std::pair<std::string, int>, SoundInstance*> owned;
    std::uint32_t lastPassTime = 0;
    float musicGain = 1.0f;
    float effectsGain = 1.0f;
};
