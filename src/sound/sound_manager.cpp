// Loads every WAV of data/Sound and keeps a growing pool of playable copies per name.
#include "sound/sound_manager.h"

#include "platform/audio/audio_device.h"
#include "platform/fs/directory.h"
#include "platform/window/clock.h"
#include "platform/window/message_box.h"
#include "sound/wave_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstdio>

namespace {

const char* const kSoundFolder = "data/Sound";
constexpr float kRolloffFactor = 0.3f;
constexpr const char* kMusicName = "BGM"; // the music's volume is set apart from the effects'
// Sounds longer than this (about a second and a half of CD-quality stereo) stream from their files.
constexpr std::uint32_t kStreamedBytes = 256u << 10;

std::unique_ptr<SoundManager>& Holder() {
    static std::unique_ptr<SoundManager> instance;
    return instance;
}

void ShowScanError() { MessageBoxA(nullptr, "SE:Error", "msg", MB_OK); }

} // namespace

SoundManager& SoundManager::Instance() {
    if (!Holder()) Holder() = std::make_unique<SoundManager>();
    return *Holder();
}

void SoundManager::ResetInstance() {
    if (Holder()) Holder()->Release();
    Holder().reset();
}

void SoundManager::Init() {
    device = platform::audio::OpenDevice();
    platform::audio::SetPrimaryFormat(44100, 2, 16);
    platform::audio::SetRolloffFactor(kRolloffFactor);
    lastPassTime = timeGetTime();
    LoadSounds();
    for (const auto& entry : sounds) AddInstance(entry.first);
}

std::vector<std::string> SoundManager::ListSoundFiles() {
    std::vector<std::string> names;
    platform::fs::DirectoryListing listing;
    platform::fs::FindData found;
    if (!listing.FindFirst(std::string(kSoundFolder) + "/*", &found)) {
        ShowScanError();
        return names;
    }
    // The first entry is the folder itself.
    while (listing.FindNext(&found)) {
        if (!found.directory) names.push_back(found.fileName);
    }
    if (listing.Status() != platform::fs::FindStatus::NoMoreFiles) ShowScanError();
    return names;
}

void SoundManager::LoadSounds() {
    for (const std::string& name : ListSoundFiles()) {
        std::string path = std::string(kSoundFolder) + "/" + name;
        auto record = std::make_unique<SoundRecord>();
        // A file that cannot be played is left out, so it does not take the stem from a good one.
        if (!LoadWave(path, record.get())) continue;
        record->buffer->SetMode(platform::audio::Mode3D::Disable);
        sounds.try_emplace(platform::fs::FileStem(path), std::move(record));
    }
}

bool SoundManager::LoadWave(const std::string& path, SoundRecord* record) {
    WaveFile wav;
    std::string error;
    if (!wav.Open(path, &error)) {
        std::fprintf(stderr, "sound: %s skipped: %s\n", path.c_str(), error.c_str());
        return false;
    }
    if (wav.IsCut())
        std::fprintf(stderr,
                     "sound: %s was cut: its header announces %u bytes of samples, only %u (whole sample frames) are "
                     "there; playing those\n",
                     path.c_str(), wav.DeclaredSize(), wav.GetSize());
    if (wav.GetSize() > kStreamedBytes) return StreamWave(path, wav, record);
    record->buffer = platform::audio::SoundBuffer::Create(*wav.GetFormat(), wav.GetSize(), &error);
    if (!record->buffer) {
        std::fprintf(stderr, "sound: %s skipped: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::span<std::uint8_t> data = record->buffer->Lock();
    std::uint32_t copied = 0;
    if (!wav.Read(data.data(), static_cast<std::uint32_t>(data.size()), &copied)) {
        std::fprintf(stderr, "sound: %s: sample data cut short\n", path.c_str());
    }
    if (!record->buffer->Unlock()) {
        std::fprintf(stderr, "sound: %s skipped: the mixer refused its samples\n", path.c_str());
        record->buffer.reset();
        return false;
    }
    return true;
}

// The music runs to megabytes that the mixer would hold all race long; read from the file while
// it plays, it takes a few small buffers.
bool SoundManager::StreamWave(const std::string& path, const WaveFile& wav, SoundRecord* record) {
    std::error_code ignored;
    std::string file = std::filesystem::absolute(path, ignored).string();
    const std::uint64_t start = wav.DataOffset();
    auto reader = [file, start](std::uint32_t offset, std::span<std::uint8_t> out) {
        std::ifstream in(file, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(start + offset));
        in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
        return in.gcount() == static_cast<std::streamsize>(out.size());
    };
    std::string error;
    record->buffer = platform::audio::SoundBuffer::CreateStreamed(*wav.GetFormat(), wav.GetSize(), reader, &error);
    if (!record->buffer) std::fprintf(stderr, "sound: %s skipped: %s\n", path.c_str(), error.c_str());
    return record->buffer != nullptr;
}

SoundInstance* SoundManager::AddInstance(const std::string& name) {
    const SoundRecord& record = *sounds.at(name);
    auto instance = std::make_unique<SoundInstance>();
    instance->buffer = platform::audio::SoundSource::Create(record.buffer);
    if (!instance->buffer) return nullptr;
    instance->buffer->SetMode(record.buffer->GetMode());
    if (GainOf(name) != 1.0f) instance->buffer->SetGain(GainOf(name));
    auto& pool = instances[name];
    pool.push_back(std::move(instance));
    return pool.back().get();
}

void SoundManager::Service() {
    if (device) platform::audio::Service();
}

void SoundManager::PassTime() {
    std::uint32_t now = timeGetTime();
    platform::audio::Pump(now - lastPassTime);
    lastPassTime = now;
}

void SoundManager::Play(int mode, const std::string& name) { Start(mode, name); }

// A stopped copy starts from its beginning when it is next played.
void SoundManager::Rewind(SoundInstance& copy) {
    copy.buffer->Stop();
    copy.buffer->SetCurrentPosition(0);
}

void SoundManager::PlayOwned(int mode, const std::string& name, int owner) {
    StopOwned(name, owner);
    if (SoundInstance* copy = Start(mode, name)) owned[{name, owner}] = copy;
}

void SoundManager::StopOwned(const std::string& name, int owner) {
    const auto found = owned.find({name, owner});
    if (found == owned.end()) return;
    Rewind(*found->second);
    owned.erase(found);
}

SoundInstance* SoundManager::Start(int mode, const std::string& name) {
    if (sounds.count(name) == 0) return nullptr;
    playedNames.push_back(name);
    PassTime();
    SoundInstance* chosen = nullptr;
    for (const auto& instance : instances[name]) {
        if (instance->buffer->GetStatus() == 0) {
            chosen = instance.get();
            break;
        }
    }
    if (!chosen) chosen = AddInstance(name);
    if (!chosen) return nullptr;
    if (mode == 0) chosen->buffer->Play(0);
    if (mode == 1) chosen->buffer->Play(platform::audio::DSBPLAY_LOOPING);
    return chosen;
}

float SoundManager::GainOf(const std::string& name) const { return name == kMusicName ? musicGain : effectsGain; }

void SoundManager::SetVolumes(int musicPercent, int effectsPercent) {
    musicGain = static_cast<float>(std::clamp(musicPercent, 0, 100)) / 100.0f;
    effectsGain = static_cast<float>(std::clamp(effectsPercent, 0, 100)) / 100.0f;
    for (const auto& [name, pool] : instances)
        for (const auto& instance : pool) instance->buffer->SetGain(GainOf(name));
}

void SoundManager::Stop(const std::string& name) {
    if (sounds.count(name) == 0) return;
    auto found = instances.find(name);
    if (found == instances.end() || found->second.empty()) return;
    Rewind(*found->second.front());
}

void SoundManager::Release() {
    owned.clear();
    sounds.clear();
    instances.clear();
    if (device) platform::audio::CloseDevice();
    device = false;
    playedNames.clear();
}

std::vector<std::string> SoundManager::TakePlayedNames() {
    std::vector<std::string> names;
    names.swap(playedNames);
    return names;
}

std::vector<std::string> SoundManager::PlayingNames() {
    // Only a one-shot ends by time passing; loops and silent copies need no catching up (and the
    // mixing that catching up costs).
    const auto oneShot = [](const std::unique_ptr<SoundInstance>& instance) {
        return instance->buffer->GetStatus() == platform::audio::DSBSTATUS_PLAYING;
    };
    for (const auto& entry : instances) {
        if (std::any_of(entry.second.begin(), entry.second.end(), oneShot)) {
            PassTime();
            break;
        }
    }
    std::vector<std::string> names;
    for (const auto& [name, pool] : instances) {
        for (const auto& instance : pool) {
            if (instance->buffer->GetStatus() == 0) continue;
            names.push_back(name);
            break;
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::size_t SoundManager::InstanceCount(const std::string& name) const {
    auto found = instances.find(name);
    return found == instances.end() ? 0 : found->second.size();
}

SoundInstance* SoundManager::GetInstance(const std::string& name, std::size_t index) const {
    auto found = instances.find(name);
    if (found == instances.end() || index >= found->second.size()) return nullptr;
    return found->second[index].get();
}
