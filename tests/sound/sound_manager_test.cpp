// The sound manager on the loopback device: pools of copies, stop and rewind, names and bad files.
#include "sound/sound_manager.h"

#include "platform/audio/audio_device.h"
#include "platform/window/clock.h"
#include "platform/window/message_box.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace wav_builder;
using platform::audio::DSBSTATUS_LOOPING;
using platform::audio::DSBSTATUS_PLAYING;

namespace {

namespace stdfs = std::filesystem;

constexpr int kSampleRate = 44100;
// The mixer dithers its 16-bit output, so silence still carries about one step of noise.
constexpr double kSilence = 4.0;

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = stdfs::current_path();
        folder = stdfs::path(::testing::TempDir()) / ("sound_manager_test_" + std::to_string(getpid()));
        stdfs::remove_all(folder);
        stdfs::create_directories(folder / "data" / "Sound");
        stdfs::current_path(folder);
        platform::audio::ForceLoopback(true);
        platform::clock::SetFixed(true);
        platform::clock::Reset();
        platform::message_box::SetMode(platform::message_box::Mode::Automatic);
        platform::message_box::SetObserver([this](const std::string& caption, const std::string& text, int) {
            boxes.push_back(caption + ":" + text);
        });
        SoundManager::ResetInstance();
    }

    void TearDown() override {
        SoundManager::ResetInstance();
        platform::message_box::SetObserver(nullptr);
        platform::clock::SetFixed(false);
        stdfs::current_path(previous);
        stdfs::remove_all(folder);
    }

    void AddSound(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
        WriteFile("data/Sound/" + fileName, bytes);
    }

    SoundManager& Init() {
        SoundManager::Instance().Init();
        return SoundManager::Instance();
    }

    // Mean square of the next `frames` mixed stereo frames.
    static double Energy(int frames) {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        EXPECT_TRUE(platform::audio::RenderLoopback(out.data(), frames));
        double sum = 0;
        for (std::int16_t sample : out) sum += static_cast<double>(sample) * sample;
        return sum / static_cast<double>(out.size());
    }

    static std::uint32_t Status(const std::string& name, std::size_t index) {
        return SoundManager::Instance().GetInstance(name, index)->buffer->GetStatus();
    }

    stdfs::path previous;
    stdfs::path folder;
    std::vector<std::string> boxes;
};

TEST_F(SoundManagerTest, LoadsEveryFileUnderItsStemWithOneCopyEach) {
    AddSound("get.wav", Pcm16(Noise(kSampleRate / 2, 8000)));
    AddSound("fly.wav", Pcm16(Noise(kSampleRate, 8000)));
    stdfs::create_directories("data/Sound/sub.wav");
    SoundManager& sound = Init();
    EXPECT_TRUE(platform::audio::IsLoopback());
    EXPECT_TRUE(sound.HasSound("get"));
    EXPECT_TRUE(sound.HasSound("fly"));
    EXPECT_FALSE(sound.HasSound("sub"));
    EXPECT_EQ(sound.InstanceCount("get"), 1u);
    EXPECT_EQ(sound.InstanceCount("fly"), 1u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_LT(Energy(1000), kSilence); // nothing plays until asked
    EXPECT_FLOAT_EQ(platform::audio::RolloffFactor(), 0.3f);
}

TEST_F(SoundManagerTest, OverlappingPlaysMakeNewCopiesThatSoundTogether) {
    AddSound("get.wav", Pcm16(Noise(kSampleRate, 8000)));
    SoundManager& sound = Init();
    sound.Play(0, "get");
    double one = Energy(4410);
    EXPECT_GT(one, 1.0e5);
    sound.Play(0, "get");
    EXPECT_EQ(sound.InstanceCount("get"), 2u);
    double two = Energy(4410);
    EXPECT_GT(two / one, 1.6);
    EXPECT_LT(two / one, 2.4);
    sound.Play(0, "get");
    EXPECT_EQ(sound.InstanceCount("get"), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(Status("get", i), DSBSTATUS_PLAYING);
    EXPECT_EQ(sound.TakePlayedNames(), (std::vector<std::string>{"get", "get", "get"}));
    EXPECT_TRUE(sound.TakePlayedNames().empty());
}

TEST_F(SoundManagerTest, AFinishedOneShotIsReusedByTheNextPlay) {
    AddSound("get.wav", Pcm16(Noise(kSampleRate / 10, 8000)));
    SoundManager& sound = Init();
    sound.Play(0, "get");
    Energy(kSampleRate / 10 + 500);
    EXPECT_EQ(Status("get", 0), 0u);
    EXPECT_LT(Energy(500), kSilence);
    sound.Play(0, "get");
    EXPECT_EQ(sound.InstanceCount("get"), 1u);
    EXPECT_GT(Energy(1000), 1.0e5); // the reused copy plays again from its start
}

TEST_F(SoundManagerTest, GameTimeAloneLetsOneShotsFinish) {
    AddSound("get.wav", Pcm16(Noise(kSampleRate / 2, 8000))); // 500 ms
    SoundManager& sound = Init();
    sound.Play(0, "get");
    platform::clock::Advance(300);
    sound.Play(0, "get"); // the first copy still sounds
    EXPECT_EQ(sound.InstanceCount("get"), 2u);
    platform::clock::Advance(10000);
    sound.Play(0, "get");
    EXPECT_EQ(sound.InstanceCount("get"), 2u);
    EXPECT_EQ(Status("get", 0), DSBSTATUS_PLAYING);
    EXPECT_EQ(Status("get", 1), 0u);
}

TEST_F(SoundManagerTest, LoopsKeepPlayingAsGameTimePasses) {
    AddSound("BGM.wav", Pcm16(Noise(kSampleRate / 10, 8000)));
    SoundManager& sound = Init();
    sound.Play(1, "BGM");
    platform::clock::Advance(12345);
    sound.Play(1, "BGM");
    EXPECT_EQ(Status("BGM", 0), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(sound.InstanceCount("BGM"), 2u);
}

TEST_F(SoundManagerTest, StopHaltsAndRewindsOnlyTheFirstCopy) {
    AddSound("fly.wav", Pcm16(Noise(kSampleRate, 8000)));
    SoundManager& sound = Init();
    sound.Play(1, "fly");
    Energy(2000);
    sound.Play(1, "fly");
    Energy(2000);
    ASSERT_EQ(sound.InstanceCount("fly"), 2u);
    double both = Energy(4410);
    sound.Stop("fly");
    EXPECT_EQ(Status("fly", 0), 0u);
    EXPECT_EQ(sound.GetInstance("fly", 0)->buffer->GetCurrentPosition(), 0u);
    EXPECT_EQ(Status("fly", 1), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_GT(sound.GetInstance("fly", 1)->buffer->GetCurrentPosition(), 0u);
    double one = Energy(4410);
    EXPECT_GT(one, 0.0);
    EXPECT_LT(one / both, 0.7);
    // The stopped copy is free again and is the one the next Play takes.
    sound.Play(1, "fly");
    EXPECT_EQ(sound.InstanceCount("fly"), 2u);
    EXPECT_EQ(Status("fly", 0), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

// Two people's boosts overlap: each loop is stopped by its own owner, whichever started first.
TEST_F(SoundManagerTest, OwnedLoopsStopOnlyTheirOwnersCopy) {
    AddSound("fly.wav", Pcm16(Noise(kSampleRate, 8000)));
    SoundManager& sound = Init();
    sound.PlayOwned(1, "fly", 0);
    sound.PlayOwned(1, "fly", 1);
    ASSERT_EQ(sound.InstanceCount("fly"), 2u);
    sound.StopOwned("fly", 1);
    EXPECT_EQ(Status("fly", 0), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(Status("fly", 1), 0u);
    sound.StopOwned("fly", 0);
    EXPECT_EQ(Status("fly", 0), 0u);
    EXPECT_TRUE(sound.PlayingNames().empty());
}

TEST_F(SoundManagerTest, PlayingNamesListsEverySoundingNameOnceInOrderUntilItEnds) {
    AddSound("get.wav", Pcm16(Noise(kSampleRate / 10, 8000))); // 100 ms
    AddSound("fly.wav", Pcm16(Noise(kSampleRate / 10, 8000)));
    AddSound("BGM.wav", Pcm16(Noise(kSampleRate / 10, 8000)));
    SoundManager& sound = Init();
    EXPECT_TRUE(sound.PlayingNames().empty());
    sound.Play(0, "get");
    sound.Play(1, "fly");
    sound.Play(0, "get"); // a second copy of the same name
    sound.Play(1, "BGM");
    EXPECT_EQ(sound.PlayingNames(), (std::vector<std::string>{"BGM", "fly", "get"}));
    // game time alone ends the one-shots; the loops go on until stopped
    platform::clock::Advance(500);
    EXPECT_EQ(sound.PlayingNames(), (std::vector<std::string>{"BGM", "fly"}));
    sound.Stop("fly");
    EXPECT_EQ(sound.PlayingNames(), (std::vector<std::string>{"BGM"}));
    // "sounds" of the trace is a separate account: what was started
    EXPECT_EQ(sound.TakePlayedNames(), (std::vector<std::string>{"get", "fly", "get", "BGM"}));
}

// A long sound streams from its file (the mixer holds none of it) and plays, stops and rewinds as
// a short one does.
TEST_F(SoundManagerTest, LongSoundStreamsFromItsFileAndStopsAndRewinds) {
    AddSound("BGM.wav", Pcm16(Noise(kSampleRate * 4, 8000)));
    SoundManager& sound = Init();
    EXPECT_EQ(platform::audio::SoundBuffer::MixerBytes(), 0u);
    sound.Play(1, "BGM");
    EXPECT_GT(Energy(30000), 1.0e5);
    EXPECT_EQ(Status("BGM", 0), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_GT(sound.GetInstance("BGM", 0)->buffer->GetCurrentPosition(), 0u);
    sound.Stop("BGM");
    EXPECT_EQ(Status("BGM", 0), 0u);
    EXPECT_EQ(sound.GetInstance("BGM", 0)->buffer->GetCurrentPosition(), 0u);
    Energy(4096); // the output limiter's look-ahead
    EXPECT_LT(Energy(4410), kSilence);
}

TEST_F(SoundManagerTest, UnknownNamesAndOtherModesPlayNothing) {
    AddSound("get.wav", Pcm16(Noise(kSampleRate, 8000)));
    SoundManager& sound = Init();
    sound.Play(0, "nothing");
    sound.Stop("nothing");
    EXPECT_FALSE(sound.HasSound("nothing"));
    EXPECT_EQ(sound.InstanceCount("nothing"), 0u);
    sound.Play(2, "get");
    sound.Play(-1, "get");
    EXPECT_LT(Energy(2000), kSilence);
    EXPECT_EQ(Status("get", 0), 0u);
    EXPECT_EQ(sound.TakePlayedNames(), (std::vector<std::string>{"get", "get"}));
}

TEST_F(SoundManagerTest, TheFirstFileListedKeepsASharedStem) {
    AddSound("BGM.wav", Pcm16(Noise(kSampleRate, 8000)));
    AddSound("BGM.xyz", Pcm16(std::vector<std::int16_t>(kSampleRate, 0)));
    SoundManager& sound = Init();
    EXPECT_EQ(sound.InstanceCount("BGM"), 1u);
    sound.Play(0, "BGM");
    EXPECT_GT(Energy(1000), 1.0e5); // the noise of BGM.wav, not the silence of BGM.xyz
}

TEST_F(SoundManagerTest, DamagedFilesAreSkippedWithAWarning) {
    std::vector<std::uint8_t> good = Pcm16(Noise(kSampleRate / 10, 8000));
    auto wrongMagic = good;
    wrongMagic[8] = 'X';
    AddSound("BGM.a", wrongMagic); // listed before BGM.wav: must not take the stem
    AddSound("BGM.wav", good);
    AddSound("cut.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + 60));
    AddSound("empty.wav", {});
    std::vector<std::uint8_t> adpcm;
    PutChunk(adpcm, "fmt ", FormatBody(2, 1, 44100, 4));
    PutChunk(adpcm, "data", std::vector<std::uint8_t>(64, 0));
    AddSound("adpcm.wav", Riff(adpcm));
    AddSound("get.wav", good);

    ::testing::internal::CaptureStderr();
    SoundManager& sound = Init();
    std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(sound.HasSound("get"));
    EXPECT_TRUE(sound.HasSound("BGM"));
    for (const char* name : {"empty", "adpcm"}) EXPECT_FALSE(sound.HasSound(name)) << name;
    for (const char* path : {"BGM.a", "empty.wav", "adpcm.wav"})
        EXPECT_NE(warnings.find(std::string("sound: data/Sound/") + path + " skipped"), std::string::npos) << warnings;
    // A file cut short keeps the samples it still holds.
    EXPECT_TRUE(sound.HasSound("cut"));
    EXPECT_NE(warnings.find("sound: data/Sound/cut.wav was cut: its header announces 8820 bytes of samples, only 16 "
                            "(whole sample frames) are there; playing those"),
              std::string::npos)
        << warnings;
    EXPECT_TRUE(boxes.empty());
    sound.Play(0, "BGM");
    EXPECT_GT(Energy(1000), 1.0e5);
}

TEST_F(SoundManagerTest, AMissingFolderShowsTheErrorBoxAndLeavesNoSounds) {
    stdfs::remove_all("data/Sound");
    SoundManager& sound = Init();
    EXPECT_EQ(boxes, (std::vector<std::string>{"msg:SE:Error"}));
    sound.Play(0, "get");
    sound.Stop("get");
    EXPECT_TRUE(sound.TakePlayedNames().empty());
    sound.Release();
    EXPECT_FALSE(platform::audio::IsOpen());
}

TEST_F(SoundManagerTest, ReleaseClosesTheDeviceAndInitOpensItAgain) {
    AddSound("go.wav", Pcm16(Noise(kSampleRate / 10, 8000)));
    SoundManager& sound = Init();
    sound.Play(1, "go");
    sound.Release();
    EXPECT_FALSE(platform::audio::IsOpen());
    EXPECT_EQ(sound.InstanceCount("go"), 0u);
    sound.Play(0, "go");
    sound.Init();
    EXPECT_EQ(sound.InstanceCount("go"), 1u);
    sound.Play(0, "go");
    EXPECT_GT(Energy(1000), 1.0e5);
}

TEST_F(SoundManagerTest, WithoutASoundDeviceThePlayerIsToldInOneLineAndTheGamePlaysSilently) {
    AddSound("go.wav", Pcm16(Noise(kSampleRate / 10, 8000)));
    platform::audio::ForceLoopback(false);
    ::testing::internal::CaptureStderr();
    SoundManager& sound = Init();
    std::string said = ::testing::internal::GetCapturedStderr();
    bool silent = platform::audio::IsLoopback();
    sound.Play(0, "go");
    std::vector<std::string> played = sound.TakePlayedNames();
    sound.Release();
    platform::audio::ForceLoopback(true);
    if (!silent) GTEST_SKIP() << "this machine has a sound device";
    const std::string line = "no sound device: playing silently\n";
    ASSERT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find(line), said.rfind(line)) << "said once";
    EXPECT_EQ(played, (std::vector<std::string>{"go"}));
}

} // namespace
