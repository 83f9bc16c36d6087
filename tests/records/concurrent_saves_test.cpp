// Saves that meet other saves: two games finishing at the same moment into one folder, a game
// killed at any point of its save, and the temporary files such saves leave behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "save_folder_fixture.h"

using records_test::GhostOf;
using records_test::kKey;
using records_test::SaveFolderTest;
using records_test::SaveRace;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The loaded best and its ghost belong together: the ghost (if one is raced) is the best race's.
void ExpectAPair(const SavedBest& saved, const std::string& when) {
    if (saved.ghost.frames.empty()) return;
    const float flownIn = saved.ghost.frames[0].animationTime;
    if (saved.record.HasBest()) EXPECT_EQ(flownIn, static_cast<float>(saved.record.bestMs)) << when;
    else EXPECT_EQ(saved.ghostOnlyUpdates, saved.ghost.frames.size()) << when;
}

std::size_t UpdatesOf(std::uint32_t timeMs) { return timeMs / 16; }

int CountFiles(const fs::path& folder, const std::string& part) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().filename().string().find(part) != std::string::npos;
    return count;
}

} // namespace

// A child saves ever-better races as fast as it can and is killed at random moments: whatever the
// folder holds then never pairs a best time with another race's ghost, and no best is lost.
TEST_F(SaveFolderTest, KilledSavesNeverPairABestWithAnotherRacesGhost) {
    ASSERT_TRUE(SaveRace(60000, GhostOf(60000, UpdatesOf(60000))).saved);
    std::mt19937 random(16);
    std::uint32_t lastBest = 60000;
    testing::internal::CaptureStderr(); // a kill between the two writes costs one line when read
    for (int round = 0; round < 50; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (std::uint32_t time = lastBest - 1;; --time) SaveRace(time, GhostOf(time, UpdatesOf(time)));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const SavedBest saved = LoadSavedBest(kKey, false);
        const std::string when = "round " + std::to_string(round);
        ASSERT_TRUE(saved.record.HasBest()) << when;
        EXPECT_LE(saved.record.bestMs, lastBest) << when;
        ExpectAPair(saved, when);
        lastBest = saved.record.bestMs;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountFiles(folder, ".unreadable-"), 0);

    // What the kills left is cleared once it is over a minute old; another game's fresh one is not.
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos)
            fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - 2min);
    std::ofstream(folder / "map2-normal.record.tmp-1-AbCdEf") << "another game's save";
    ASSERT_TRUE(SaveRace(1000, GhostOf(1000, UpdatesOf(1000))).saved);
    EXPECT_EQ(CountFiles(folder, ".tmp-"), 1);
    EXPECT_TRUE(fs::exists(folder / "map2-normal.record.tmp-1-AbCdEf"));
}

// Two games that read the same best before their races finish at the same moment: the better
// race is kept with its own ghost, whichever saves last, and neither save is lost.
TEST_F(SaveFolderTest, TwoGamesFinishingTogetherKeepTheBetterRace) {
    ASSERT_TRUE(SaveRace(60000, GhostOf(60000, UpdatesOf(60000))).saved);
    for (int round = 0; round < 10; ++round) {
        const std::uint32_t times[2] = {50000u - 200u * round - 100u * (round % 2), 50000u - 200u * round - 50u};
        const SavedBest before = LoadSavedBest(kKey, false);
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        pid_t children[2];
        for (int k = 0; k < 2; ++k) {
            children[k] = ::fork();
            ASSERT_GE(children[k], 0);
            if (children[k] == 0) {
                ::close(go[1]);
                char start;
                while (::read(go[0], &start, 1) < 0) {}
                const GhostRun ghost = GhostOf(times[k], UpdatesOf(times[k]));
                const FinishedRace race{times[k], {}, 1, "", ghost.frames.size(), &ghost};
                ::_exit(SaveFinishedRace(kKey, race, before).saved ? 0 : 1);
            }
        }
        ::close(go[0]);
        ::close(go[1]); // both children wake at once
        for (pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        const SavedBest saved = LoadSavedBest(kKey, false);
        EXPECT_EQ(saved.record.bestMs, std::min(times[0], times[1])) << "round " << round;
        ASSERT_FALSE(saved.ghost.frames.empty());
        ExpectAPair(saved, "round " + std::to_string(round));
    }
    EXPECT_EQ(CountFiles(folder, ".tmp-"), 0);
    EXPECT_EQ(CountFiles(folder, ".unpaired-"), 0);
}
