// The scratch save folder the records tests share, and races and ghosts a test can tell apart.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "records/ghost_file.h"
#include "records/save_folder.h"
#include "records/saved_best.h"

namespace records_test {

namespace fs = std::filesystem;

inline const records::CourseKey kKey{"map2", "normal", 0x1234567890ABCDEFull};

class SaveFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("orlenda_records_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        records::SetSaveFolder(folder.string());
    }
    void TearDown() override {
        records::SetSaveFolder("");
        fs::remove_all(folder);
    }
    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // The files whose names hold `label` ("unreadable", "unpaired", ...).
    std::vector<fs::path> Aside(const std::string& label) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().find("." + label + "-") != std::string::npos)
                found.push_back(entry.path());
        return found;
    }
    fs::path RecordPath() const { return folder / "map2-normal.record"; }
    fs::path GhostPath() const { return folder / "map2-normal.ghost"; }

    fs::path folder;
};

inline int Lines(const std::string& said) { return static_cast<int>(std::count(said.begin(), said.end(), '\n')); }

// A ghost of `updates` updates whose first frame remembers the race time it was flown in, so a
// test can tell whose ghost it is.
inline GhostRun GhostOf(std::uint32_t timeMs, std::size_t updates, const std::string& difficulty = "normal") {
    GhostRun run{kKey.course, difficulty, kKey.mapChecksum, {}, 0};
    for (std::size_t i = 0; i < updates; ++i) {
        GhostFrame frame;
        frame.position[0] = 750.0f - static_cast<float>(i) * 0.37f;
        frame.animationTime = i == 0 ? static_cast<float>(timeMs) : static_cast<float>(i + 300);
        run.frames.push_back(frame);
    }
    return run;
}

inline SaveOutcome SaveRace(std::uint32_t timeMs, const GhostRun& ghost) {
    const FinishedRace race{timeMs, {timeMs / 4, timeMs / 4}, 1, "2026-12-08 02:00", ghost.frames.size(), &ghost};
    return SaveFinishedRace(kKey, race, LoadSavedBest(kKey, false));
}

} // namespace records_test
