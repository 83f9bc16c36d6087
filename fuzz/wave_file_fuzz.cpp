// libFuzzer entry: arbitrary bytes as a WAV file, opened and read to the end of its data chunk.
#include "sound/wave_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WaveFile wav;
    std::string error;
    if (!wav.OpenMemory(std::vector<std::uint8_t>(data, data + size), &error)) return 0;
    // Read in uneven pieces, asking for more than is left at the end, as the loader may.
    std::vector<std::uint8_t> piece(4099);
    std::uint32_t copied = 0;
    std::uint32_t total = 0;
    while (wav.Read(piece.data(), static_cast<std::uint32_t>(piece.size()), &copied) && copied > 0) total += copied;
    if (total > wav.GetSize()) __builtin_trap();
    const platform::audio::WaveFormat* format = wav.GetFormat();
    if (!format || format->extra.size() != format->cbSize) __builtin_trap();
    return 0;
}
