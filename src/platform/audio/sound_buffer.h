// A loaded sound: sample data in one format, shared by every source that plays it.
//
// Stands in for: a DirectSound static secondary buffer (its sample memory, Lock/Unlock and the
// 3D mode of its IDirectSound3DBuffer). Playing happens through SoundSource copies.
// Formats: PCM 8/16-bit and IEEE float 32-bit, mono or stereo.
// A long sound (the music) may instead be streamed: its samples stay in the file and are read a
// little ahead of playing, so the mixer never holds all of them.
// Does not: buffer loss (OpenAL never loses a buffer), compressed formats.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform::audio {

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr std::uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;

// WAVEFORMATEX: the 18-byte header, with the cbSize extra bytes kept beside it.
struct WaveFormat {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
    std::vector<std::uint8_t> extra; // cbSize bytes
};

// How a sound is placed in space (DS3DMODE_*): Disable plays it as it is, without 3D processing.
enum class Mode3D { Normal = 0, HeadRelative = 1, Disable = 2 };

class SoundBuffer {
public:
    // An empty buffer for `bytes` bytes of `format`. Null, with the reason in `error`, when no
    // device is open, the format cannot be played or the size is out of range.
    static std::shared_ptr<SoundBuffer> Create(const WaveFormat& format, std::uint32_t bytes, std::string* error);
    // Fills `out` with the sample bytes from `offset`; false when they cannot be read.
    using Reader = std::function<bool(std::uint32_t offset, std::span<std::uint8_t> out)>;
    // A buffer of `bytes` bytes of `format` whose samples `reader` gives while it plays; nothing is
    // locked or handed over. Null, with the reason in `error`, as for Create.
    static std::shared_ptr<SoundBuffer> CreateStreamed(const WaveFormat& format, std::uint32_t bytes, Reader reader,
                                                       std::string* error);
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // The whole sample memory, to be filled before Unlock. The mixer keeps its own copy of what
    // Unlock hands over and ours is freed then, so a later Lock starts again from silence.
    std::span<std::uint8_t> Lock();
    // Hands the filled memory to the mixer (a trailing partial frame is dropped) and frees it.
    bool Unlock();

    void SetMode(Mode3D mode) { mode3d = mode; }
    Mode3D GetMode() const { return mode3d; }
    std::uint32_t Size() const { return size; }
    std::uint32_t BlockAlign() const { return blockAlign; }
    std::uint32_t Frequency() const { return frequency; }
    int AlFormat() const { return alFormat; }
    bool Streamed() const { return static_cast<bool>(reader); }
    // Streamed buffers: the bytes from `offset` (silence where they cannot be read).
    void Read(std::uint32_t offset, std::span<std::uint8_t> out) const;
    unsigned Id() const { return id; }
    // Sample bytes the mixer holds for every live buffer, for --stats.
    static std::uint64_t MixerBytes();

private:
    SoundBuffer() = default;
    unsigned id = 0;
    std::uint64_t generation = 0;
    int alFormat = 0;
    std::uint32_t frequency = 0;
    std::uint32_t blockAlign = 1;
    std::uint32_t size = 0;
    std::uint32_t handedOver = 0; // bytes the mixer's copy holds
    std::uint8_t silence = 0;
    Mode3D mode3d = Mode3D::Normal;
    std::vector<std::uint8_t> staging;
    Reader reader;
    mutable bool readFailed = false; // told once
};

} // namespace platform::audio
