// Reads the format and the sample data of a RIFF WAVE file.
#pragma once

#include "platform/audio/riff_reader.h"
#include "platform/audio/sound_buffer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class WaveFile {
public:
    WaveFile() = default;
    ~WaveFile() { Close(); }
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Opens the file and places the reader at the start of its sample data. False, with the
    // reason in `error`, when it is not a readable RIFF WAVE file.
    bool Open(const std::string& path, std::string* error);
    // The same for a file already in memory.
    bool OpenMemory(std::vector<std::uint8_t> bytes, std::string* error);
    // Copies up to `bytes` bytes of sample data, never past the data chunk; `copied` says how many.
    // False when the file ends before the data chunk does.
    bool Read(void* out, std::uint32_t bytes, std::uint32_t* copied);
    void Close();

    const platform::audio::WaveFormat* GetFormat() const { return wfx.get(); }
    // The sample data size in bytes (the data chunk's size, or the whole sample frames present
    // when the file ends before the chunk does).
    std::uint32_t GetSize() const { return ck.cksize; }
    // True when the file ends before the data chunk its header announces; DeclaredSize is that size.
    bool IsCut() const { return cut; }
    std::uint32_t DeclaredSize() const { return declaredSize; }
    // Where the sample data starts in the file.
    std::uint64_t DataOffset() const { return ck.dwDataOffset; }

private:
    bool ReadHeader(std::string* error);
    bool ReadFormat(std::string* error);
    bool ResetFile(std::string* error);

    std::unique_ptr<platform::audio::WaveFormat> wfx;
    platform::audio::RiffReader hmmio;
    platform::audio::RiffChunk ckRiff;
    platform::audio::RiffChunk ck;
    std::uint32_t bytesLeft = 0;
    std::uint32_t declaredSize = 0;
    bool cut = false;
};
