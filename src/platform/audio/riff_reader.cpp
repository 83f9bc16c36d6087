// RIFF chunk navigation over a file or memory, reading through one small I/O buffer.
#include "platform/audio/riff_reader.h"

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {
constexpr std::size_t kBufferBytes = 8192;
constexpr std::uint32_t kRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr std::uint32_t kList = MakeFourCC('L', 'I', 'S', 'T');

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}
} // namespace

RiffReader::~RiffReader() { Close(); }

bool RiffReader::Open(const std::string& path) {
    Close();
    file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }
    size = static_cast<std::uint64_t>(end);
    return true;
}

void RiffReader::OpenMemory(std::vector<std::uint8_t> bytes) {
    Close();
    memory = std::move(bytes);
    size = memory.size();
    inMemory = true;
}

void RiffReader::Close() {
    if (file) std::fclose(file);
    file = nullptr;
    inMemory = false;
    memory.clear();
    buffer.clear();
    size = position = bufferStart = 0;
}

bool RiffReader::Refill() {
    buffer.clear();
    bufferStart = position;
    if (position >= size) return false;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferBytes, size - position));
    buffer.resize(want);
    if (inMemory) {
        std::memcpy(buffer.data(), memory.data() + position, want);
        return true;
    }
    if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) {
        buffer.clear();
        return false;
    }
    buffer.resize(std::fread(buffer.data(), 1, want, file));
    return !buffer.empty();
}

std::size_t RiffReader::Read(void* out, std::size_t bytes) {
    if (!IsOpen()) return 0;
    auto* target = static_cast<std::uint8_t*>(out);
    std::size_t copied = 0;
    while (copied < bytes) {
        bool inBuffer = position >= bufferStart && position < bufferStart + buffer.size();
        if (!inBuffer && !Refill()) break;
        std::size_t at = static_cast<std::size_t>(position - bufferStart);
        std::size_t n = std::min(bytes - copied, buffer.size() - at);
        std::memcpy(target + copied, buffer.data() + at, n);
        copied += n;
        position += n;
    }
    return copied;
}

bool RiffReader::Seek(std::uint64_t offset) {
    if (!IsOpen() || offset > size) return false;
    position = offset;
    return true;
}

bool RiffReader::ReadHeader(RiffChunk* chunk) {
    std::uint8_t header[8];
    if (Read(header, 8) != 8) return false;
    chunk->ckid = LittleEndian32(header);
    chunk->cksize = LittleEndian32(header + 4);
    chunk->fccType = 0;
    chunk->dwDataOffset = position;
    return true;
}

bool RiffReader::Descend(RiffChunk* chunk, const RiffChunk* parent, std::uint32_t findId) {
    if (!IsOpen() || !chunk) return false;
    std::uint64_t end = size;
    if (parent) end = std::min(end, parent->dwDataOffset + parent->cksize);
    std::uint64_t start = position;
    for (;;) {
        if (position + 8 > end || !ReadHeader(chunk)) break;
        if (findId == 0 || chunk->ckid == findId) {
            if (chunk->ckid == kRiff || chunk->ckid == kList) {
                std::uint8_t form[4];
                if (chunk->cksize < 4 || Read(form, 4) != 4) break;
                chunk->fccType = LittleEndian32(form);
            }
            return true;
        }
        std::uint64_t next = NextChunk(*chunk, end, findId);
        if (next > end) break;
        position = next;
    }
    position = start;
    return false;
}

bool RiffReader::PeekId(std::uint64_t at, std::uint64_t end, std::uint32_t* id) {
    std::uint8_t bytes[4];
    if (at + 8 > end || !Seek(at) || Read(bytes, 4) != 4) return false;
    *id = LittleEndian32(bytes);
    return true;
}

namespace {
// Chunk ids are four printable characters, the first not a blank.
bool LooksLikeChunkId(std::uint32_t id) {
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t c = (id >> (8 * i)) & 0xFF;
        if (c < 0x20 || c >= 0x7F || (i == 0 && c == ' ')) return false;
    }
    return true;
}
} // namespace

std::uint64_t RiffReader::NextChunk(const RiffChunk& chunk, std::uint64_t end, std::uint32_t findId) {
    const std::uint64_t unpadded = chunk.dwDataOffset + chunk.cksize;
    if ((chunk.cksize & 1) == 0) return unpadded;
    // Odd-sized chunks are followed by a pad byte, but many writers leave it out: take the place
    // that holds the chunk looked for, else the one that holds something like a chunk id.
    const std::uint64_t padded = unpadded + 1;
    const std::uint64_t back = position;
    std::uint32_t paddedId = 0, unpaddedId = 0;
    const bool paddedFits = PeekId(padded, end, &paddedId);
    const bool unpaddedFits = PeekId(unpadded, end, &unpaddedId);
    position = back;
    if (!unpaddedFits) return padded;
    if (findId != 0 && unpaddedId == findId && paddedId != findId) return unpadded;
    if (!paddedFits || (!LooksLikeChunkId(paddedId) && LooksLikeChunkId(unpaddedId))) return unpadded;
    return padded;
}

bool RiffReader::Ascend(const RiffChunk& chunk) {
    std::uint64_t next = chunk.dwDataOffset + chunk.cksize + (chunk.cksize & 1);
    // A pad byte missing at the very end of the data is forgiven, as most writers forget it.
    if (next == size + 1) next = size;
    return Seek(next);
}

} // namespace platform::audio
