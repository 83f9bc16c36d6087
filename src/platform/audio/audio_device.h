// The audio device: output device, mixing format, listener and the silent loopback device.
//
// Stands in for: the DirectSound 8 device, its primary buffer and 3D listener.
// Opens the default OpenAL device; when there is none (or when told to, for headless runs) it
// opens a loopback device instead, so everything works silently and tests can render the mixed
// output themselves. Nothing renders a loopback device on its own: the game hands the elapsed
// time to Pump, which mixes a little and fast-forwards the rest so sounds finish on time.
// Does not: capture, device enumeration, HRTF, effects, more than one device at a time.
#pragma once

#include <cstdint>

namespace platform::audio {

// Headless runs and tests skip the real device and mix into memory.
void ForceLoopback(bool force);

// Opens the default device, or the loopback device when there is none or loopback is forced.
// False only when even the loopback device cannot be opened (no audio at all).
bool OpenDevice();
// Deletes every remaining buffer and source, then the context and the device.
void CloseDevice();
bool IsOpen();
bool IsLoopback();

// The mixing format (the primary buffer's format). Applied when the device allows it.
bool SetPrimaryFormat(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bitsPerSample);

// Distance rolloff of every source, present and future (the listener's rolloff factor).
void SetRolloffFactor(float factor);
float RolloffFactor();

// Loopback only: mixes the next `frames` frames into `out` (interleaved stereo 16-bit at
// 44.1 kHz unless SetPrimaryFormat chose otherwise). Returns false when not on loopback.
bool RenderLoopback(std::int16_t* out, int frames);

// Loopback only: lets `milliseconds` of playback pass. The first moments are really mixed (and
// discarded), the rest is skipped by moving the play positions, so the cost stays small however
// long the gap. Does nothing on a real device, whose own clock moves the sources.
void Pump(std::uint32_t milliseconds);

// Refills the streamed sounds that are playing (a real device plays on by itself, so this is
// called every frame); Pump does it too.
void Service();

} // namespace platform::audio
