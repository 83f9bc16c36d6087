// Streamed sounds on the loopback device: they must mix, stop, rewind and skip as whole ones do.
#include "platform/audio/audio_device.h"
#include "platform/audio/sound_buffer.h"
#include "platform/audio/sound_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

using namespace platform::audio;

namespace {

constexpr std::uint32_t kFrames = 20000; // about five of a stream's chunks
constexpr std::uint32_t kFrameBytes = 4;

class SoundStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForceLoopback(true);
        ASSERT_TRUE(OpenDevice());
        std::mt19937 noise(7);
        pcm.resize(kFrames * kFrameBytes);
        // Quiet enough that the output limiter never acts: its state would carry from one mix to the next.
        std::uniform_int_distribution<int> sample(-8000, 8000);
        for (std::size_t i = 0; i < pcm.size(); i += 2) {
            auto value = static_cast<std::uint16_t>(sample(noise));
            pcm[i] = static_cast<std::uint8_t>(value);
            pcm[i + 1] = static_cast<std::uint8_t>(value >> 8);
        }
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = 44100;
        format.nAvgBytesPerSec = 44100 * kFrameBytes;
        format.nBlockAlign = kFrameBytes;
        format.wBitsPerSample = 16;
    }
    void TearDown() override { CloseDevice(); }

    std::unique_ptr<SoundSource> Whole() {
        std::string error;
        auto buffer = SoundBuffer::Create(format, std::uint32_t(pcm.size()), &error);
        std::span<std::uint8_t> memory = buffer->Lock();
        std::copy(pcm.begin(), pcm.end(), memory.begin());
        EXPECT_TRUE(buffer->Unlock());
        return SoundSource::Create(buffer);
    }

    std::unique_ptr<SoundSource> Streamed() {
        std::string error;
        auto reader = [this](std::uint32_t offset, std::span<std::uint8_t> out) {
            if (offset + out.size() > pcm.size()) return false;
            std::memcpy(out.data(), pcm.data() + offset, out.size());
            return true;
        };
        auto buffer = SoundBuffer::CreateStreamed(format, std::uint32_t(pcm.size()), reader, &error);
        EXPECT_TRUE(buffer && buffer->Streamed()) << error;
        return SoundSource::Create(buffer);
    }

    static std::vector<std::int16_t> Render(int frames) {
        std::vector<std::int16_t> out(std::size_t(frames) * 2);
        EXPECT_TRUE(RenderLoopback(out.data(), frames));
        return out;
    }

    // The largest difference between two mixes; the mixer's dither alone moves a sample by a step or two.
    static int Difference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
        int most = 0;
        for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
        return most;
    }

    WaveFormat format;
    std::vector<std::uint8_t> pcm;
};

TEST_F(SoundStreamTest, LoopingStreamMixesLikeTheWholeSoundThroughChunksWrapsAndSkips) {
    std::vector<std::int16_t> whole, streamed;
    std::uint32_t wholeAt = 0, streamedAt = 0;
    for (bool stream : {false, true}) {
        auto source = stream ? Streamed() : Whole();
        source->SetMode(Mode3D::Disable);
        ASSERT_TRUE(source->Play(DSBPLAY_LOOPING));
        std::vector<std::int16_t> mix = Render(50000); // twice round the loop
        Pump(300);                                     // mostly skipped, not mixed
        std::vector<std::int16_t> after = Render(3000);
        mix.insert(mix.end(), after.begin(), after.end());
        (stream ? streamed : whole) = mix;
        (stream ? streamedAt : wholeAt) = source->GetCurrentPosition();
        EXPECT_EQ(source->GetStatus(), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
        source.reset();
        Render(4096); // the output limiter's look-ahead still holds the end of this mix
    }
    EXPECT_LE(Difference(whole, streamed), 2);
    EXPECT_GT(std::count_if(whole.begin(), whole.end(), [](std::int16_t s) { return std::abs(s) > 1000; }), 50000);
    EXPECT_EQ(streamedAt, wholeAt);
    EXPECT_EQ(wholeAt, (50000 + 300 * 441 / 10 + 3000) % kFrames * kFrameBytes);
}

TEST_F(SoundStreamTest, OneShotStreamStopsWhereItIsGoesOnAndEndsAtItsEnd) {
    auto source = Streamed();
    ASSERT_TRUE(source->Play(0));
    Render(5000);
    source->Stop();
    EXPECT_EQ(source->GetStatus(), 0u);
    EXPECT_EQ(source->GetCurrentPosition(), 5000 * kFrameBytes);
    Render(3000); // stopped: the position stays
    ASSERT_TRUE(source->Play(0));
    Render(1000);
    EXPECT_EQ(source->GetCurrentPosition(), 6000 * kFrameBytes);
    source->SetCurrentPosition(17 * kFrameBytes + 1); // to a whole frame
    EXPECT_EQ(source->GetCurrentPosition(), 17 * kFrameBytes);
    Render(kFrames); // past its end
    EXPECT_EQ(source->GetStatus(), 0u);
    EXPECT_EQ(source->GetCurrentPosition(), 0u);
    ASSERT_TRUE(source->Play(0));
    Pump(1000); // skipped past the end
    EXPECT_EQ(source->GetStatus(), 0u);
}

} // namespace
