// Buffered reading of RIFF files by chunks.
//
// Stands in for: the multimedia file functions the WAV loader uses (mmioOpen, mmioDescend,
// mmioAscend, mmioRead/mmioGetInfo/mmioAdvance through the I/O buffer, mmioSeek, mmioClose).
// Reads a file, or bytes already in memory (tests, fuzzing). Every size in a chunk header is
// checked against its parent and the end of the data before anything moves.
// Does not: writing, creating chunks, RIFF64, LIST searches by form type.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::audio {

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
    return static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b) << 8 | static_cast<std::uint8_t>(c) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24;
}

// MMCKINFO: a chunk's id, size, form type (RIFF and LIST only) and where its data starts.
struct RiffChunk {
    std::uint32_t ckid = 0;
    std::uint32_t cksize = 0;
    std::uint32_t fccType = 0;
    std::uint64_t dwDataOffset = 0;
};

class RiffReader {
public:
    RiffReader() = default;
    ~RiffReader();
    RiffReader(const RiffReader&) = delete;
    RiffReader& operator=(const RiffReader&) = delete;

    bool Open(const std::string& path);
    void OpenMemory(std::vector<std::uint8_t> bytes);
    void Close();
    bool IsOpen() const { return file != nullptr || inMemory; }

    // Reads the chunk header at the current position into `chunk`. With `findId` not 0, chunks
    // with other ids are skipped until one matches (after an odd-sized chunk, with or without its
    // pad byte). With a parent, the search ends at the parent's
    // end. RIFF and LIST chunks also read their form type. Afterwards the position is at the
    // chunk's data (past the form type). False when no such chunk is there.
    bool Descend(RiffChunk* chunk, const RiffChunk* parent, std::uint32_t findId);
    // Moves past the end of `chunk` and its pad byte.
    bool Ascend(const RiffChunk& chunk);
    // Copies up to `bytes` bytes from the current position through the I/O buffer; fewer only at
    // the end of the data.
    std::size_t Read(void* out, std::size_t bytes);
    // From the start of the data; false beyond its end.
    bool Seek(std::uint64_t offset);
    std::uint64_t Tell() const { return position; }
    std::uint64_t Size() const { return size; }

private:
    bool Refill();
    bool ReadHeader(RiffChunk* chunk);
    // Where the chunk after `chunk` starts, with or without the pad byte after an odd size.
    std::uint64_t NextChunk(const RiffChunk& chunk, std::uint64_t end, std::uint32_t findId);
    // The id of a chunk header at `at`, when a whole header fits before `end`.
    bool PeekId(std::uint64_t at, std::uint64_t end, std::uint32_t* id);

    std::FILE* file = nullptr;
    bool inMemory = false;
    std::vector<std::uint8_t> memory;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    // The I/O buffer holds [bufferStart, bufferStart + buffer.size()).
    std::vector<std::uint8_t> buffer;
    std::uint64_t bufferStart = 0;
};

} // namespace platform::audio
