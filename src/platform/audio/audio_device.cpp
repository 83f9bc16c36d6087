// OpenAL Soft device and context, with the loopback fallback and the pump that moves time on it.
#include "platform/audio/audio_device.h"

#include "platform/audio/audio_registry.h"
#include "platform/audio/sound_source.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform::audio {

namespace {

// Moments of a pump that are really mixed; longer gaps are skipped by moving play positions,
// which costs a few calls per source instead of mixing every sample.
constexpr std::uint32_t kMixedMilliseconds = 20;

struct State {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    bool forceLoopback = false;
    std::uint64_t generation = 1;
    float rolloff = 1.0f;
    int frequency = 44100;
    int channels = 2;
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
    std::vector<ALuint> sources;
    std::vector<ALuint> buffers;
    std::vector<SoundSource*> streams;
    std::vector<std::int16_t> scratch;
};

// Never destroyed: sources held by other singletons may be released during static destruction.
State& S() {
    static State* state = new State;
    return *state;
}

void Erase(std::vector<ALuint>& ids, unsigned id) {
    auto it = std::find(ids.begin(), ids.end(), id);
    if (it != ids.end()) ids.erase(it);
}

// No effect sends (the game uses none): each one costs all of the mixer's voices memory.
const ALCint* RealAttributes() {
    static ALCint attributes[5];
    const ALCint values[] = {ALC_FREQUENCY, S().frequency, ALC_MAX_AUXILIARY_SENDS, 0, 0};
    std::copy(std::begin(values), std::end(values), attributes);
    return attributes;
}

bool OpenDefault() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return false;
    // The null backend plays into nothing on its own clock; loopback follows the game's clock.
    const char* name = alcGetString(device, ALC_DEVICE_SPECIFIER);
    if (name && std::strcmp(name, "No Output") == 0) {
        alcCloseDevice(device);
        return false;
    }
    ALCcontext* context = alcCreateContext(device, RealAttributes());
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    S().device = device;
    S().context = context;
    S().loopback = false;
    return true;
}

// The same for the loopback device, which also takes its sample format.
const ALCint* LoopbackAttributes() {
    static ALCint attributes[9];
    ALCint channels = S().channels == 1 ? ALC_MONO_SOFT : ALC_STEREO_SOFT;
    const ALCint values[] = {ALC_FORMAT_CHANNELS_SOFT,
                             channels,
                             ALC_FORMAT_TYPE_SOFT,
                             ALC_SHORT_SOFT,
                             ALC_FREQUENCY,
                             S().frequency,
                             ALC_MAX_AUXILIARY_SENDS,
                             0,
                             0};
    std::copy(std::begin(values), std::end(values), attributes);
    return attributes;
}

bool OpenLoopback() {
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
    auto openLoopback =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!openLoopback || !render) return false;
    ALCdevice* device = openLoopback(nullptr);
    if (!device) return false;
    ALCcontext* context = alcCreateContext(device, LoopbackAttributes());
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    S().device = device;
    S().context = context;
    S().loopback = true;
    S().renderSamples = render;
    return true;
}

// Skips `milliseconds` of playback on every playing source: one-shots that run past their end
// stop, looping ones wrap.
void SkipAhead(std::uint32_t milliseconds) {
    for (SoundSource* stream : S().streams) stream->SkipStream(milliseconds);
    for (ALuint source : S().sources) {
        ALint state = 0, type = 0, looping = 0, bufferId = 0, offset = 0;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        alGetSourcei(source, AL_SOURCE_TYPE, &type);
        if (state != AL_PLAYING || type == AL_STREAMING) continue; // a streamed copy moved itself above
        alGetSourcei(source, AL_LOOPING, &looping);
        alGetSourcei(source, AL_BUFFER, &bufferId);
        alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
        ALint size = 0, bits = 0, channels = 0, frequency = 0;
        alGetBufferi(static_cast<ALuint>(bufferId), AL_SIZE, &size);
        alGetBufferi(static_cast<ALuint>(bufferId), AL_BITS, &bits);
        alGetBufferi(static_cast<ALuint>(bufferId), AL_CHANNELS, &channels);
        alGetBufferi(static_cast<ALuint>(bufferId), AL_FREQUENCY, &frequency);
        std::uint64_t frameBytes = static_cast<std::uint64_t>(std::max(bits, 8) / 8) * std::max(channels, 1);
        std::uint64_t length = static_cast<std::uint64_t>(std::max(size, 0)) / frameBytes;
        std::uint64_t position = static_cast<std::uint64_t>(std::max(offset, 0)) +
                                 static_cast<std::uint64_t>(milliseconds) * std::max(frequency, 0) / 1000;
        if (length == 0) {
            alSourceStop(source);
        } else if (looping) {
            alSourcei(source, AL_SAMPLE_OFFSET, static_cast<ALint>(position % length));
        } else if (position >= length) {
            alSourceStop(source);
        } else {
            alSourcei(source, AL_SAMPLE_OFFSET, static_cast<ALint>(position));
        }
    }
}

} // namespace

namespace registry {
std::uint64_t Generation() { return S().generation; }
void AddSource(unsigned id) { S().sources.push_back(id); }
void RemoveSource(unsigned id) { Erase(S().sources, id); }
void AddBuffer(unsigned id) { S().buffers.push_back(id); }
void RemoveBuffer(unsigned id) { Erase(S().buffers, id); }
void AddStream(SoundSource* source) { S().streams.push_back(source); }
void RemoveStream(SoundSource* source) { std::erase(S().streams, source); }
} // namespace registry

void ForceLoopback(bool force) { S().forceLoopback = force; }

bool OpenDevice() {
    if (IsOpen()) return true;
    bool opened = !S().forceLoopback && OpenDefault();
    if (!opened) {
        opened = OpenLoopback();
        // A player without a sound card gets a plain reason for the silence, not only the
        // sound library's own diagnostics.
        if (opened && !S().forceLoopback) std::fprintf(stderr, "audio: no sound device: playing silently\n");
    }
    if (!opened) {
        std::fprintf(stderr, "audio: no audio device, not even a loopback one; the game stays silent\n");
        return false;
    }
    ++S().generation;
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    return true;
}

void CloseDevice() {
    State& s = S();
    if (!s.device) return;
    if (!s.sources.empty()) alDeleteSources(static_cast<ALsizei>(s.sources.size()), s.sources.data());
    if (!s.buffers.empty()) alDeleteBuffers(static_cast<ALsizei>(s.buffers.size()), s.buffers.data());
    s.sources.clear();
    s.buffers.clear();
    s.streams.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(s.context);
    alcCloseDevice(s.device);
    s.device = nullptr;
    s.context = nullptr;
    s.loopback = false;
    s.renderSamples = nullptr;
    ++s.generation;
}

bool IsOpen() { return S().device != nullptr; }
bool IsLoopback() { return S().device != nullptr && S().loopback; }

bool SetPrimaryFormat(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bitsPerSample) {
    if (samplesPerSec < 8000 || samplesPerSec > 192000 || channels < 1 || channels > 2 || bitsPerSample != 16)
        return false;
    State& s = S();
    s.frequency = static_cast<int>(samplesPerSec);
    s.channels = channels;
    if (!s.device) return true; // taken when the device opens
    if (!alcIsExtensionPresent(s.device, "ALC_SOFT_HRTF")) return false;
    auto reset = reinterpret_cast<LPALCRESETDEVICESOFT>(alcGetProcAddress(s.device, "alcResetDeviceSOFT"));
    if (!reset) return false;
    return reset(s.device, s.loopback ? LoopbackAttributes() : RealAttributes()) == ALC_TRUE;
}

void SetRolloffFactor(float factor) {
    S().rolloff = factor;
    for (ALuint source : S().sources) alSourcef(source, AL_ROLLOFF_FACTOR, factor);
}

float RolloffFactor() { return S().rolloff; }

bool RenderLoopback(std::int16_t* out, int frames) {
    if (!IsLoopback() || !out || frames < 0) return false;
    // In pieces shorter than what a streamed sound keeps queued, refilled between them.
    constexpr int kPiece = 2048;
    for (int done = 0; done < frames; done += kPiece) {
        Service();
        S().renderSamples(S().device, out + static_cast<std::size_t>(done) * static_cast<std::size_t>(S().channels),
                          std::min(kPiece, frames - done));
    }
    return true;
}

void Pump(std::uint32_t milliseconds) {
    if (!IsLoopback() || milliseconds == 0) return;
    State& s = S();
    std::uint32_t mixed = std::min(milliseconds, kMixedMilliseconds);
    int frames = static_cast<int>(static_cast<std::uint64_t>(mixed) * s.frequency / 1000);
    s.scratch.resize(static_cast<std::size_t>(frames) * s.channels);
    Service();
    if (frames > 0) s.renderSamples(s.device, s.scratch.data(), frames);
    if (milliseconds > mixed) SkipAhead(milliseconds - mixed);
    Service();
}

void Service() {
    for (SoundSource* stream : S().streams) stream->ServiceStream();
}

} // namespace platform::audio
