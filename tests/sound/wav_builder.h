// Builds small RIFF WAVE files in memory for the sound tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace wav_builder {

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

inline void PutChunk(std::vector<std::uint8_t>& out, const char* id, const std::vector<std::uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

// The 16 bytes every format chunk starts with.
inline std::vector<std::uint8_t> FormatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                            std::uint16_t bits) {
    std::vector<std::uint8_t> body;
    std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    Put16(body, tag);
    Put16(body, channels);
    Put32(body, rate);
    Put32(body, rate * align);
    Put16(body, align);
    Put16(body, bits);
    return body;
}

// RIFF WAVE around the given chunks (already encoded).
inline std::vector<std::uint8_t> Riff(const std::vector<std::uint8_t>& chunks) {
    std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
    Put32(out, static_cast<std::uint32_t>(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

// White noise, deterministic: copies started at different moments do not correlate.
inline std::vector<std::int16_t> Noise(std::size_t samples, int amplitude, std::uint32_t seed = 12345) {
    std::vector<std::int16_t> out(samples);
    for (auto& sample : out) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<std::int16_t>(static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude);
    }
    return out;
}

// A mono 16-bit 44.1 kHz PCM file holding `samples`.
inline std::vector<std::uint8_t> Pcm16(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", FormatBody(1, 1, 44100, 16));
    std::vector<std::uint8_t> data;
    for (std::int16_t sample : samples) Put16(data, static_cast<std::uint16_t>(sample));
    PutChunk(chunks, "data", data);
    return Riff(chunks);
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace wav_builder
