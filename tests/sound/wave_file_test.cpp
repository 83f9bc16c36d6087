// The WAV reader and the RIFF chunk navigation under it, on good and damaged files.
#include "sound/wave_file.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace wav_builder;

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> list) { return list; }

TEST(WaveFile, ReadsPcmFormatAndDataPastOtherChunks) {
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "LIST", Bytes({'I', 'N', 'F', 'O', 1})); // odd size: a pad byte follows
    PutChunk(chunks, "fmt ", FormatBody(1, 2, 22050, 16));
    PutChunk(chunks, "junk", Bytes({9, 9, 9}));
    PutChunk(chunks, "data", Bytes({1, 2, 3, 4, 5, 6, 7, 8}));
    WaveFile wav;
    std::string error;
    ASSERT_TRUE(wav.OpenMemory(Riff(chunks), &error)) << error;
    const auto* format = wav.GetFormat();
    EXPECT_EQ(format->wFormatTag, 1);
    EXPECT_EQ(format->nChannels, 2);
    EXPECT_EQ(format->nSamplesPerSec, 22050u);
    EXPECT_EQ(format->nBlockAlign, 4);
    EXPECT_EQ(format->wBitsPerSample, 16);
    EXPECT_EQ(format->cbSize, 0);
    EXPECT_EQ(wav.GetSize(), 8u);

    // Reads stop at the end of the data chunk, whatever is asked for.
    std::uint8_t out[16] = {};
    std::uint32_t copied = 0;
    EXPECT_TRUE(wav.Read(out, 5, &copied));
    EXPECT_EQ(copied, 5u);
    EXPECT_TRUE(wav.Read(out + 5, 16, &copied));
    EXPECT_EQ(copied, 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 9), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 0}));
    EXPECT_TRUE(wav.Read(out, 4, &copied));
    EXPECT_EQ(copied, 0u);
}

TEST(WaveFile, KeepsTheExtraBytesOfNonPcmFormats) {
    std::vector<std::uint8_t> fmt = FormatBody(3, 1, 44100, 32);
    Put16(fmt, 3);
    fmt.insert(fmt.end(), {0xAA, 0xBB, 0xCC});
    std::vector<std::uint8_t> chunks;
    PutChunk(chunks, "fmt ", fmt);
    PutChunk(chunks, "data", std::vector<std::uint8_t>(8, 0));
    WaveFile wav;
    std::string error;
    ASSERT_TRUE(wav.OpenMemory(Riff(chunks), &error)) << error;
    EXPECT_EQ(wav.GetFormat()->wFormatTag, 3);
    EXPECT_EQ(wav.GetFormat()->cbSize, 3);
    EXPECT_EQ(wav.GetFormat()->extra, Bytes({0xAA, 0xBB, 0xCC}));

    // A bare 16-byte chunk means no extra bytes rather than reading into the next chunk.
    std::vector<std::uint8_t> bare;
    PutChunk(bare, "fmt ", FormatBody(3, 1, 44100, 32));
    PutChunk(bare, "data", std::vector<std::uint8_t>(8, 0));
    ASSERT_TRUE(wav.OpenMemory(Riff(bare), &error)) << error;
    EXPECT_EQ(wav.GetFormat()->cbSize, 0);
    EXPECT_EQ(wav.GetSize(), 8u);
}

TEST(WaveFile, RejectsDamagedFiles) {
    std::vector<std::uint8_t> good = Pcm16(Noise(100, 1000));
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases;
    auto wrongMagic = good;
    wrongMagic[8] = 'X';
    cases.push_back({"wrong form type", wrongMagic});
    auto notRiff = good;
    notRiff[0] = 'X';
    cases.push_back({"not RIFF", notRiff});
    cases.push_back({"empty", {}});
    cases.push_back({"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 10)});
    cases.push_back({"cut inside fmt", std::vector<std::uint8_t>(good.begin(), good.begin() + 30)});
    std::vector<std::uint8_t> noWholeFrame;
    PutChunk(noWholeFrame, "fmt ", FormatBody(1, 2, 44100, 16));
    PutChunk(noWholeFrame, "data", Bytes({1, 2, 3, 4, 5, 6}));
    noWholeFrame.resize(noWholeFrame.size() - 3); // 3 of a 4-byte frame
    cases.push_back({"no whole frame", Riff(noWholeFrame)});
    std::vector<std::uint8_t> noFmt;
    PutChunk(noFmt, "data", std::vector<std::uint8_t>(4, 0));
    cases.push_back({"no fmt", Riff(noFmt)});
    std::vector<std::uint8_t> shortFmt;
    PutChunk(shortFmt, "fmt ", std::vector<std::uint8_t>(14, 0));
    PutChunk(shortFmt, "data", std::vector<std::uint8_t>(4, 0));
    cases.push_back({"fmt shorter than 16", Riff(shortFmt)});
    std::vector<std::uint8_t> noData;
    PutChunk(noData, "fmt ", FormatBody(1, 1, 44100, 16));
    cases.push_back({"no data", Riff(noData)});
    std::vector<std::uint8_t> hugeExtra = FormatBody(2, 1, 44100, 4);
    Put16(hugeExtra, 0xFFFF);
    std::vector<std::uint8_t> hugeExtraChunks;
    PutChunk(hugeExtraChunks, "fmt ", hugeExtra);
    PutChunk(hugeExtraChunks, "data", std::vector<std::uint8_t>(4, 0));
    cases.push_back({"extra size beyond the chunk", Riff(hugeExtraChunks)});
    std::vector<std::uint8_t> absurd = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W',  'A',
                                        'V', 'E', 'f', 'm', 't',  ' ',  0xFF, 0xFF, 0xFF, 0xFF};
    cases.push_back({"absurd chunk sizes", absurd});

    for (const auto& [name, bytes] : cases) {
        WaveFile wav;
        std::string error;
        EXPECT_FALSE(wav.OpenMemory(bytes, &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_EQ(wav.GetFormat(), nullptr) << name;
    }
}

// Streaming writers leave 0xFFFFFFFF as the data size, copies stop early, and many writers drop
// the pad byte after an odd-sized chunk: the samples that are there still play.
TEST(WaveFile, PlaysTheWholeFramesOfCutFilesAndFindsDataPastUnpaddedChunks) {
    std::vector<std::uint8_t> stereo = FormatBody(1, 2, 44100, 16);
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < 403; ++i) samples.push_back(std::uint8_t(i * 7));
    std::vector<std::uint8_t> streamed;
    PutChunk(streamed, "fmt ", stereo);
    PutChunk(streamed, "data", samples); // 100 frames and 3 stray bytes
    streamed.pop_back();                 // no pad byte at the very end
    std::vector<std::uint8_t> riff = Riff(streamed);
    // The RIFF size and the data size (after "fmt " with its 16 bytes and the id "data") unknown.
    for (std::size_t at : {std::size_t(4), std::size_t(12 + 24 + 4)})
        std::fill_n(riff.begin() + std::ptrdiff_t(at), 4, 0xFF);
    std::vector<std::uint8_t> good = Pcm16(Noise(100, 1000));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint32_t size, declared;
    } cases[] = {
        {"streamed", riff, 400, 0xFFFFFFFFu},
        {"cut in a sample", std::vector<std::uint8_t>(good.begin(), good.end() - 21), 178, 200},
    };
    for (const Case& c : cases) {
        WaveFile wav;
        std::string error;
        ASSERT_TRUE(wav.OpenMemory(c.bytes, &error)) << c.name << ": " << error;
        EXPECT_TRUE(wav.IsCut()) << c.name;
        EXPECT_EQ(wav.GetSize(), c.size) << c.name;
        EXPECT_EQ(wav.DeclaredSize(), c.declared) << c.name;
        std::vector<std::uint8_t> out(1000);
        std::uint32_t copied = 0;
        EXPECT_TRUE(wav.Read(out.data(), 1000, &copied)) << c.name;
        EXPECT_EQ(copied, c.size) << c.name;
    }

    for (bool padded : {true, false}) {
        std::vector<std::uint8_t> chunks;
        PutChunk(chunks, "fmt ", FormatBody(1, 1, 44100, 16));
        PutChunk(chunks, "note", Bytes({'o', 'd', 'd'}));
        if (!padded) chunks.pop_back();
        PutChunk(chunks, "data", Bytes({'A', 'B', 'C', 'D'})); // its size's low byte is not an id character
        WaveFile wav;
        std::string error;
        ASSERT_TRUE(wav.OpenMemory(Riff(chunks), &error)) << padded << ": " << error;
        EXPECT_FALSE(wav.IsCut());
        std::uint8_t out[4] = {};
        std::uint32_t copied = 0;
        EXPECT_TRUE(wav.Read(out, 4, &copied));
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4), Bytes({'A', 'B', 'C', 'D'})) << padded;
    }
}

TEST(WaveFile, OpensFilesFromDisk) {
    std::string path = ::testing::TempDir() + "wave_file_test.wav";
    WriteFile(path, Pcm16(Noise(3000, 1000)));
    WaveFile wav;
    std::string error;
    ASSERT_TRUE(wav.Open(path, &error)) << error;
    EXPECT_EQ(wav.GetSize(), 6000u);
    // Larger than the reader's I/O buffer: the copy goes through several refills.
    std::vector<std::uint8_t> samples(6000);
    std::uint32_t copied = 0;
    EXPECT_TRUE(wav.Read(samples.data(), 6000, &copied));
    EXPECT_EQ(copied, 6000u);
    std::vector<std::int16_t> noise = Noise(3000, 1000);
    EXPECT_EQ(std::memcmp(samples.data(), noise.data(), 6000), 0);
    EXPECT_FALSE(wav.Open(path + ".missing", &error));
}

TEST(RiffReader, DescendsWithinTheParentOnly) {
    std::vector<std::uint8_t> inner;
    PutChunk(inner, "abcd", Bytes({1}));
    std::vector<std::uint8_t> list = {'L', 'I', 'S', 'T'};
    Put32(list, static_cast<std::uint32_t>(inner.size() + 4));
    list.insert(list.end(), {'I', 'N', 'F', 'O'});
    list.insert(list.end(), inner.begin(), inner.end());
    PutChunk(list, "efgh", Bytes({2, 3}));

    platform::audio::RiffReader reader;
    reader.OpenMemory(list);
    platform::audio::RiffChunk parent, child;
    ASSERT_TRUE(reader.Descend(&parent, nullptr, 0));
    EXPECT_EQ(parent.fccType, platform::audio::MakeFourCC('I', 'N', 'F', 'O'));
    // "efgh" lies after the LIST chunk, so it is not found inside it.
    EXPECT_FALSE(reader.Descend(&child, &parent, platform::audio::MakeFourCC('e', 'f', 'g', 'h')));
    ASSERT_TRUE(reader.Descend(&child, &parent, platform::audio::MakeFourCC('a', 'b', 'c', 'd')));
    EXPECT_EQ(child.cksize, 1u);
    ASSERT_TRUE(reader.Ascend(child));
    ASSERT_TRUE(reader.Ascend(parent));
    ASSERT_TRUE(reader.Descend(&child, nullptr, platform::audio::MakeFourCC('e', 'f', 'g', 'h')));
    std::uint8_t out[4] = {};
    EXPECT_EQ(reader.Read(out, 4), 2u); // only two bytes are left in the data
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
}

} // namespace
