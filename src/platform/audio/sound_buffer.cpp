// Sample data staged in memory only until Unlock hands it to an OpenAL buffer, or read from its
// file while it plays.
#include "platform/audio/sound_buffer.h"

#include "platform/audio/audio_device.h"
#include "platform/audio/audio_registry.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdio>

namespace platform::audio {

namespace {

// Larger than any sound the game ships by far; guards against sizes read from damaged files.
constexpr std::uint32_t kMaxBytes = 256u * 1024u * 1024u;

std::uint64_t mixerBytes = 0;

// The OpenAL format for a wave format, 0 when it cannot be played.
int FormatFor(const WaveFormat& format) {
    bool mono = format.nChannels == 1;
    if (format.nChannels != 1 && format.nChannels != 2) return 0;
    if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return 0;
    if (format.wFormatTag == WAVE_FORMAT_PCM) {
        if (format.wBitsPerSample == 8) return mono ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8;
        if (format.wBitsPerSample == 16) return mono ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    }
    if (format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32 &&
        alIsExtensionPresent("AL_EXT_FLOAT32"))
        return mono ? AL_FORMAT_MONO_FLOAT32 : AL_FORMAT_STEREO_FLOAT32;
    return 0;
}

} // namespace

std::shared_ptr<SoundBuffer> SoundBuffer::Create(const WaveFormat& format, std::uint32_t bytes, std::string* error) {
    auto fail = [error](const char* reason) {
        if (error) *error = reason;
        return std::shared_ptr<SoundBuffer>();
    };
    if (!IsOpen()) return fail("no audio device");
    int alFormat = FormatFor(format);
    if (alFormat == 0) return fail("unsupported sample format");
    if (format.nSamplesPerSec < 1000 || format.nSamplesPerSec > 384000) return fail("unsupported sample rate");
    if (bytes > kMaxBytes) return fail("sample data too large");

    std::shared_ptr<SoundBuffer> buffer(new SoundBuffer);
    alGetError();
    alGenBuffers(1, &buffer->id);
    if (alGetError() != AL_NO_ERROR) return fail("out of audio buffers");
    registry::AddBuffer(buffer->id);
    buffer->generation = registry::Generation();
    buffer->alFormat = alFormat;
    buffer->frequency = format.nSamplesPerSec;
    buffer->blockAlign = format.nBlockAlign;
    buffer->size = bytes;
    buffer->silence = format.wBitsPerSample == 8 ? 0x80 : 0;
    return buffer;
}

std::shared_ptr<SoundBuffer> SoundBuffer::CreateStreamed(const WaveFormat& format, std::uint32_t bytes, Reader reader,
                                                         std::string* error) {
    std::shared_ptr<SoundBuffer> buffer = Create(format, bytes, error);
    if (!buffer) return buffer;
    // The sources queue their own small buffers; the whole-sound one stays empty.
    registry::RemoveBuffer(buffer->id);
    alDeleteBuffers(1, &buffer->id);
    buffer->id = 0;
    buffer->reader = std::move(reader);
    return buffer;
}

void SoundBuffer::Read(std::uint32_t offset, std::span<std::uint8_t> out) const {
    if (reader && reader(offset, out)) return;
    std::fill(out.begin(), out.end(), silence);
    if (!readFailed)
        std::fprintf(stderr, "audio: a streamed sound could not be read at byte %u: playing silence\n", offset);
    readFailed = true;
}

std::uint64_t SoundBuffer::MixerBytes() { return mixerBytes; }

SoundBuffer::~SoundBuffer() {
    mixerBytes -= handedOver;
    if (id == 0 || generation != registry::Generation()) return;
    registry::RemoveBuffer(id);
    alDeleteBuffers(1, &id);
}

std::span<std::uint8_t> SoundBuffer::Lock() {
    if (staging.size() != size) staging.assign(size, silence);
    return staging;
}

bool SoundBuffer::Unlock() {
    if (id == 0 || generation != registry::Generation()) return false; // a streamed buffer takes no samples
    Lock();                                                            // an Unlock without a Lock hands over silence
    std::size_t whole = staging.size() - staging.size() % blockAlign;
    alGetError();
    alBufferData(id, alFormat, staging.data(), static_cast<ALsizei>(whole), static_cast<ALsizei>(frequency));
    std::vector<std::uint8_t>().swap(staging);
    if (alGetError() != AL_NO_ERROR) return false;
    mixerBytes += whole - handedOver;
    handedOver = static_cast<std::uint32_t>(whole);
    return true;
}

} // namespace platform::audio
