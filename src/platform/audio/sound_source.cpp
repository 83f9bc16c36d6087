// OpenAL sources over shared buffers, with DirectSound's stop-keeps-position behaviour.
#include "platform/audio/sound_source.h"

#include "platform/audio/audio_device.h"
#include "platform/audio/audio_registry.h"

#include <AL/al.h>
#include <AL/alext.h>

namespace platform::audio {

std::unique_ptr<SoundSource> SoundSource::Create(std::shared_ptr<SoundBuffer> buffer) {
    if (!IsOpen() || !buffer) return nullptr;
    std::unique_ptr<SoundSource> source(new SoundSource);
    alGetError();
    alGenSources(1, &source->id);
    if (alGetError() != AL_NO_ERROR) return nullptr;
    registry::AddSource(source->id);
    source->generation = registry::Generation();
    alSourcei(source->id, AL_BUFFER, static_cast<ALint>(buffer->Id()));
    alSourcef(source->id, AL_ROLLOFF_FACTOR, RolloffFactor());
    if (alGetError() != AL_NO_ERROR) return nullptr; // the destructor gives the name back
    source->buffer = std::move(buffer);
    return source;
}

SoundSource::~SoundSource() {
    if (!Alive()) return;
    registry::RemoveSource(id);
    alDeleteSources(1, &id);
}

bool SoundSource::Alive() const { return id != 0 && generation == registry::Generation(); }

bool SoundSource::Play(std::uint32_t flags) {
    if (!Alive()) return false;
    alSourcei(id, AL_LOOPING, (flags & DSBPLAY_LOOPING) ? AL_TRUE : AL_FALSE);
    ALint state = 0;
    alGetSourcei(id, AL_SOURCE_STATE, &state);
    // alSourcePlay would restart a playing source from its start.
    if (state != AL_PLAYING) alSourcePlay(id);
    return true;
}

void SoundSource::Stop() {
    if (Alive()) alSourcePause(id);
}

void SoundSource::SetCurrentPosition(std::uint32_t byteOffset) {
    if (!Alive()) return;
    std::uint32_t align = buffer->BlockAlign();
    std::uint32_t bytes = byteOffset < buffer->Size() ? byteOffset - byteOffset % align : 0;
    alSourcei(id, AL_BYTE_OFFSET, static_cast<ALint>(bytes));
}

std::uint32_t SoundSource::GetCurrentPosition() const {
    if (!Alive()) return 0;
    ALint bytes = 0;
    alGetSourcei(id, AL_BYTE_OFFSET, &bytes);
    return bytes > 0 ? static_cast<std::uint32_t>(bytes) : 0;
}

std::uint32_t SoundSource::GetStatus() const {
    if (!Alive()) return 0;
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
