// OpenAL sources over shared buffers, with DirectSound's stop-keeps-position behaviour.
#include "platform/audio/sound_source.h"

#include "platform/audio/audio_device.h"
#include "platform/audio/audio_registry.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>
#include <deque>
#include <vector>

namespace platform::audio {

struct SoundSource::Stream {
    // Six buffers of 4096 frames: about half a second queued at 44.1 kHz, which outlasts any
    // frame the game takes; each refill reads 16 KB of a 16-bit stereo file.
    static constexpr int kChunks = 6;
    static constexpr std::uint32_t kChunkFrames = 4096;
    struct Queued {
        ALuint id;
        std::uint32_t start, bytes;
    };
    std::vector<ALuint> idle;
    std::deque<Queued> queued;
    std::uint32_t next = 0; // the byte the next chunk is read from
    bool playing = false, looping = false;
    std::vector<std::uint8_t> scratch;
};

std::unique_ptr<SoundSource> SoundSource::Create(std::shared_ptr<SoundBuffer> buffer) {
    if (!IsOpen() || !buffer) return nullptr;
    std::unique_ptr<SoundSource> source(new SoundSource);
    alGetError();
    alGenSources(1, &source->id);
    if (alGetError() != AL_NO_ERROR) return nullptr;
    registry::AddSource(source->id);
    source->generation = registry::Generation();
    alSourcef(source->id, AL_ROLLOFF_FACTOR, RolloffFactor());
    if (buffer->Streamed()) {
        source->stream = std::make_unique<Stream>();
        source->stream->idle.resize(Stream::kChunks);
        alGenBuffers(Stream::kChunks, source->stream->idle.data());
        if (alGetError() != AL_NO_ERROR) {
            source->stream->idle.clear();
            return nullptr;
        }
        for (ALuint chunk : source->stream->idle) registry::AddBuffer(chunk);
        registry::AddStream(source.get());
    } else {
        alSourcei(source->id, AL_BUFFER, static_cast<ALint>(buffer->Id()));
    }
    if (alGetError() != AL_NO_ERROR) return nullptr; // the destructor gives the names back
    source->buffer = std::move(buffer);
    return source;
}

SoundSource::~SoundSource() {
    if (!Alive()) return;
    registry::RemoveSource(id);
    alDeleteSources(1, &id);
    if (!stream) return;
    registry::RemoveStream(this);
    for (const Stream::Queued& chunk : stream->queued) stream->idle.push_back(chunk.id);
    for (ALuint chunk : stream->idle) registry::RemoveBuffer(chunk);
    alDeleteBuffers(static_cast<ALsizei>(stream->idle.size()), stream->idle.data());
}

// ---- streamed copies ----

void SoundSource::Fill() const {
    Stream& s = *stream;
    const std::uint32_t size = buffer->Size() - buffer->Size() % buffer->BlockAlign();
    const std::uint32_t chunkBytes = Stream::kChunkFrames * buffer->BlockAlign();
    while (!s.idle.empty() && size > 0) {
        if (s.next >= size) {
            if (!s.looping) break;
            s.next = 0;
        }
        std::uint32_t bytes = std::min(chunkBytes, size - s.next);
        s.scratch.resize(bytes);
        buffer->Read(s.next, s.scratch);
        ALuint chunk = s.idle.back();
        s.idle.pop_back();
        alBufferData(chunk, buffer->AlFormat(), s.scratch.data(), static_cast<ALsizei>(bytes),
                     static_cast<ALsizei>(buffer->Frequency()));
        alSourceQueueBuffers(id, 1, &chunk);
        s.queued.push_back({chunk, s.next, bytes});
        s.next += bytes;
    }
}

// Drops everything queued and goes on from `byteOffset` (the start when past the end), playing
// if it was.
void SoundSource::Requeue(std::uint32_t byteOffset) const {
    Stream& s = *stream;
    alSourceStop(id);
    alSourcei(id, AL_BUFFER, 0);
    for (const Stream::Queued& chunk : s.queued) s.idle.push_back(chunk.id);
    s.queued.clear();
    std::uint32_t align = buffer->BlockAlign();
    s.next = byteOffset < buffer->Size() ? byteOffset - byteOffset % align : 0;
    if (!s.playing) return;
    Fill();
    alSourcePlay(id);
}

std::uint32_t SoundSource::StreamPosition() const {
    const Stream& s = *stream;
    ALint offset = 0;
    alGetSourcei(id, AL_BYTE_OFFSET, &offset);
    auto left = static_cast<std::uint32_t>(std::max(offset, 0));
    for (const Stream::Queued& chunk : s.queued) {
        if (left < chunk.bytes) return chunk.start + left;
        left -= chunk.bytes;
    }
    return s.next < buffer->Size() ? s.next : 0;
}

void SoundSource::ServiceStream() const {
    if (!Alive() || !stream || !stream->playing) return;
    Stream& s = *stream;
    ALint processed = 0;
    alGetSourcei(id, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && !s.queued.empty(); --processed) {
        ALuint chunk = 0;
        alSourceUnqueueBuffers(id, 1, &chunk);
        s.queued.pop_front();
        s.idle.push_back(chunk);
    }
    Fill();
    ALint state = 0;
    alGetSourcei(id, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return;
    if (!s.queued.empty()) {
        alSourcePlay(id); // ran dry between refills: go on
    } else {
        s.playing = false; // played to the end; the next Play starts over, as a static copy does
        Requeue(0);
    }
}

void SoundSource::SkipStream(std::uint32_t milliseconds) {
    if (!Alive() || !stream || !stream->playing) return;
    const std::uint64_t size = buffer->Size();
    std::uint64_t target =
        StreamPosition() + std::uint64_t(milliseconds) * buffer->Frequency() / 1000 * buffer->BlockAlign();
    if (target >= size && !stream->looping) {
        stream->playing = false;
        Requeue(0);
        return;
    }
    if (size > 0) target %= size;
    // Inside what is queued, ahead of the mixer, it moves there itself; further on, the queue starts over.
    ALint offset = 0;
    alGetSourcei(id, AL_BYTE_OFFSET, &offset);
    std::uint32_t before = 0;
    for (const Stream::Queued& chunk : stream->queued) {
        std::uint32_t within = before + static_cast<std::uint32_t>(target - chunk.start);
        if (target >= chunk.start && target < chunk.start + chunk.bytes &&
            within >= static_cast<std::uint32_t>(std::max(offset, 0))) {
            alSourcei(id, AL_BYTE_OFFSET, static_cast<ALint>(within));
            return;
        }
        before += chunk.bytes;
    }
    Requeue(static_cast<std::uint32_t>(target));
}

bool SoundSource::Alive() const { return id != 0 && generation == registry::Generation(); }

bool SoundSource::Play(std::uint32_t flags) {
    if (!Alive()) return false;
    if (stream) {
        bool looping = (flags & DSBPLAY_LOOPING) != 0;
        if (stream->playing && stream->looping == looping) return true;
        // A new looping choice changes what follows the end, so what is queued is read again.
        std::uint32_t at = StreamPosition();
        stream->playing = true;
        stream->looping = looping;
        Requeue(at);
        return true;
    }
    alSourcei(id, AL_LOOPING, (flags & DSBPLAY_LOOPING) ? AL_TRUE : AL_FALSE);
    ALint state = 0;
    alGetSourcei(id, AL_SOURCE_STATE, &state);
    // alSourcePlay would restart a playing source from its start.
    if (state != AL_PLAYING) alSourcePlay(id);
    return true;
}

void SoundSource::Stop() {
    if (!Alive()) return;
    if (!stream) {
        alSourcePause(id);
        return;
    }
    std::uint32_t at = StreamPosition();
    stream->playing = false;
    Requeue(at);
}

void SoundSource::SetCurrentPosition(std::uint32_t byteOffset) {
    if (!Alive()) return;
    if (stream) {
        Requeue(byteOffset);
        return;
    }
    std::uint32_t align = buffer->BlockAlign();
    std::uint32_t bytes = byteOffset < buffer->Size() ? byteOffset - byteOffset % align : 0;
    alSourcei(id, AL_BYTE_OFFSET, static_cast<ALint>(bytes));
}

std::uint32_t SoundSource::GetCurrentPosition() const {
    if (!Alive()) return 0;
    if (stream) {
        ServiceStream();
        return StreamPosition();
    }
    ALint bytes = 0;
    alGetSourcei(id, AL_BYTE_OFFSET, &bytes);
    return bytes > 0 ? static_cast<std::uint32_t>(bytes) : 0;
}

std::uint32_t SoundSource::GetStatus() const {
    if (!Alive()) return 0;
    if (stream) {
        ServiceStream();
        return stream->playing ? DSBSTATUS_PLAYING | (stream->looping ? DSBSTATUS_LOOPING : 0) : 0;
    }
    ALint state = 0, looping = 0;
    alGetSourcei(id, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) return 0;
    alGetSourcei(id, AL_LOOPING, &looping);
    return DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0);
}

void SoundSource::SetGain(float newGain) {
    gain = newGain;
    if (Alive()) alSourcef(id, AL_GAIN, newGain);
}

void SoundSource::SetMode(Mode3D mode) {
    mode3d = mode;
    if (!Alive()) return;
    // Without 3D processing a sound sits on the listener and is not panned or attenuated.
    bool relative = mode != Mode3D::Normal;
    alSourcei(id, AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
    if (mode == Mode3D::Disable) alSource3f(id, AL_POSITION, 0.0f, 0.0f, 0.0f);
    if (alIsExtensionPresent("AL_SOFT_source_spatialize"))
        alSourcei(id, AL_SOURCE_SPATIALIZE_SOFT, mode == Mode3D::Disable ? AL_FALSE : AL_AUTO_SOFT);
}

} // namespace platform::audio
