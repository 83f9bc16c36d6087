// RIFF WAVE reading: the "fmt " chunk into a wave format, then bounded reads of the "data" chunk.
#include "sound/wave_file.h"

#include <cerrno>
#include <cstring>

using platform::audio::MakeFourCC;
using platform::audio::RiffChunk;
using platform::audio::WaveFormat;

namespace {

constexpr std::uint32_t kRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr std::uint32_t kWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr std::uint32_t kFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr std::uint32_t kData = MakeFourCC('d', 'a', 't', 'a');
constexpr std::uint32_t kPcmWaveFormatBytes = 16;

bool Fail(std::string* error, const char* reason) {
    if (error) *error = reason;
    return false;
}

std::uint16_t Word(const std::uint8_t* bytes) { return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8); }
std::uint32_t Dword(const std::uint8_t* bytes) {
    return Word(bytes) | static_cast<std::uint32_t>(Word(bytes + 2)) << 16;
}

} // namespace

bool WaveFile::Open(const std::string& path, std::string* error) {
    Close();
    if (!hmmio.Open(path)) {
        if (error) *error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    return ReadHeader(error);
}

bool WaveFile::OpenMemory(std::vector<std::uint8_t> bytes, std::string* error) {
    Close();
    hmmio.OpenMemory(std::move(bytes));
    return ReadHeader(error);
}

bool WaveFile::ReadHeader(std::string* error) {
    if (!hmmio.Descend(&ckRiff, nullptr, 0) || ckRiff.ckid != kRiff || ckRiff.fccType != kWave) {
        Close();
        return Fail(error, "not a RIFF WAVE file");
    }
    if (!ReadFormat(error) || !ResetFile(error)) {
        Close();
        return false;
    }
    return true;
}

bool WaveFile::ReadFormat(std::string* error) {
    RiffChunk ckIn;
    if (!hmmio.Descend(&ckIn, &ckRiff, kFmt)) return Fail(error, "no fmt chunk");
    if (ckIn.cksize < kPcmWaveFormatBytes) return Fail(error, "fmt chunk shorter than 16 bytes");
    std::uint8_t pcm[kPcmWaveFormatBytes];
    if (hmmio.Read(pcm, sizeof pcm) != sizeof pcm) return Fail(error, "fmt chunk cut short");

    auto format = std::make_unique<WaveFormat>();
    format->wFormatTag = Word(pcm);
    format->nChannels = Word(pcm + 2);
    format->nSamplesPerSec = Dword(pcm + 4);
    format->nAvgBytesPerSec = Dword(pcm + 8);
    format->nBlockAlign = Word(pcm + 12);
    format->wBitsPerSample = Word(pcm + 14);
    // A non-PCM format carries its extra size and bytes inside the chunk. A 16-byte chunk has no
    // room for them and means none; a size that would run past the chunk is a damaged file.
    if (format->wFormatTag != platform::audio::WAVE_FORMAT_PCM && ckIn.cksize >= kPcmWaveFormatBytes + 2) {
        std::uint8_t extraSize[2];
        if (hmmio.Read(extraSize, 2) != 2) return Fail(error, "fmt chunk cut short");
        format->cbSize = Word(extraSize);
        if (kPcmWaveFormatBytes + 2u + format->cbSize > ckIn.cksize)
            return Fail(error, "format extra bytes beyond the fmt chunk");
        format->extra.resize(format->cbSize);
        if (hmmio.Read(format->extra.data(), format->cbSize) != format->cbSize)
            return Fail(error, "fmt chunk cut short");
    }
    if (!hmmio.Ascend(ckIn)) return Fail(error, "fmt chunk cut short");
    wfx = std::move(format);
    return true;
}

bool WaveFile::ResetFile(std::string* error) {
    if (!hmmio.Seek(ckRiff.dwDataOffset + 4)) return Fail(error, "cannot seek in the file");
    if (!hmmio.Descend(&ck, &ckRiff, kData)) return Fail(error, "no data chunk");
    declaredSize = ck.cksize;
    if (ck.dwDataOffset + ck.cksize > hmmio.Size()) {
        // Streaming writers leave 0xFFFFFFFF here, and a copy can stop early: play the whole sample
        // frames that are there.
        const std::uint64_t present = hmmio.Size() - ck.dwDataOffset;
        const std::uint32_t frame = wfx && wfx->nBlockAlign > 0 ? wfx->nBlockAlign : 1;
        ck.cksize = static_cast<std::uint32_t>(present - present % frame);
        if (ck.cksize == 0) return Fail(error, "the data chunk holds no whole sample frame");
        cut = true;
    }
    bytesLeft = ck.cksize;
    return true;
}

bool WaveFile::Read(void* out, std::uint32_t bytes, std::uint32_t* copied) {
    if (copied) *copied = 0;
    if (!hmmio.IsOpen() || !out) return false;
    std::uint32_t wanted = bytes < bytesLeft ? bytes : bytesLeft;
    std::size_t got = hmmio.Read(out, wanted);
    bytesLeft -= static_cast<std::uint32_t>(got);
    if (copied) *copied = static_cast<std::uint32_t>(got);
    return got == wanted;
}

void WaveFile::Close() {
    hmmio.Close();
    wfx.reset();
    ckRiff = RiffChunk();
    ck = RiffChunk();
    bytesLeft = 0;
    declaredSize = 0;
    cut = false;
}
