// A playable copy of a loaded sound: its own play state and position over shared sample data.
//
// Stands in for: a duplicated DirectSound secondary buffer (DuplicateSoundBuffer) with its
// IDirectSound3DBuffer. Stop keeps the position, as DirectSound does; SetCurrentPosition rewinds.
// Volume is a linear gain (OpenAL's AL_GAIN, 1 = as recorded).
// A copy of a streamed buffer queues a few short buffers read from the file and refills them as
// they play (Service, every frame); it keeps its own play state, since the mixer stops a queue
// that runs dry.
// Does not: pan, frequency or 3D position controls (the game never sets them).
#pragma once

#include "platform/audio/sound_buffer.h"

#include <cstdint>
#include <memory>

namespace platform::audio {

inline constexpr std::uint32_t DSBSTATUS_PLAYING = 0x1;
inline constexpr std::uint32_t DSBSTATUS_LOOPING = 0x4;
inline constexpr std::uint32_t DSBPLAY_LOOPING = 0x1;

class SoundSource {
public:
    // A new copy of `buffer`, stopped at the start. Null when no source can be made.
    static std::unique_ptr<SoundSource> Create(std::shared_ptr<SoundBuffer> buffer);
    ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    // Plays from the current position, once or (DSBPLAY_LOOPING) looping. A copy already
    // playing keeps its position and only takes the new looping choice.
    bool Play(std::uint32_t flags);
    // Stops where it is; the next Play goes on from there.
    void Stop();
    void SetCurrentPosition(std::uint32_t byteOffset);
    std::uint32_t GetCurrentPosition() const;
    // 0 when silent, else DSBSTATUS_PLAYING, with DSBSTATUS_LOOPING when looping.
    std::uint32_t GetStatus() const;

    // 0 silences, 1 plays the samples as they are.
    void SetGain(float gain);
    float GetGain() const { return gain; }

    void SetMode(Mode3D mode);
    Mode3D GetMode() const { return mode3d; }

    // Streamed copies only (the device calls them): refill what has played, and move on by
    // `milliseconds` without mixing them. The queue is bookkeeping of the play state, which the
    // const queries bring up to date first.
    void ServiceStream() const;
    void SkipStream(std::uint32_t milliseconds);

private:
    struct Stream;
    SoundSource() = default;
    bool Alive() const;
    void Requeue(std::uint32_t byteOffset) const;
    void Fill() const;
    std::uint32_t StreamPosition() const;
    unsigned id = 0;
    std::uint64_t generation = 0;
    Mode3D mode3d = Mode3D::Normal;
    float gain = 1.0f;
    std::shared_ptr<SoundBuffer> buffer;
    std::unique_ptr<Stream> stream;
};

} // namespace platform::audio
