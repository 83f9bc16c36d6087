// Bookkeeping shared by the audio files: which objects live on the open device.
#pragma once

#include <cstdint>

namespace platform::audio::registry {

// Changes whenever a device opens or closes; objects made under an older value are orphans
// whose names were already deleted with their device.
std::uint64_t Generation();
void AddSource(unsigned id);
void RemoveSource(unsigned id);
void AddBuffer(unsigned id);
void RemoveBuffer(unsigned id);

} // namespace platform::audio::registry
