// Bookkeeping shared by the audio files: which objects live on the open device.
#pragma once

#include <cstdint>

namespace platform::audio {
class SoundSource;
}

namespace platform::audio::registry {

// Changes whenever a device opens or closes; objects made under an older value are orphans
// whose names were already deleted with their device.
std::uint64_t Generation();
void AddSource(unsigned id);
void RemoveSource(unsigned id);
void AddBuffer(unsigned id);
void RemoveBuffer(unsigned id);
// Sources that stream: the device refills them and moves them past skipped time itself.
void AddStream(SoundSource* source);
void RemoveStream(SoundSource* source);

} // namespace platform::audio::registry
