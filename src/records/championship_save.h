// A championship: every course of the course file in a row against the same four rivals, points
// for each place, kept in the save folder after every race so that it can be taken up again after
// a quit. A small text file, "championship.save":
//
//     orlenda-championship 1
//     difficulty normal        (the rivals' level, fixed for the championship)
//     course map2              (one line per race, in racing order)
//     course mountain
//     raced 1                  (races finished)
//     points 10 6 4 3 2        (per racer on the grid, the person first)
//     places 1 2 3 4 5         (in the latest race)
//     before 1 1 1 1 1         (each racer's standing before the latest race)
//     end 3c9a7f0e12b4d566     (checksum of every byte before this line)
//
// It is written as records are: atomically, under the save folder's lock; a file that cannot be
// read is set aside, never written over, and a newer game's file is left as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "race/difficulty.h"
#include "records/save_folder.h"

struct Championship {
    static constexpr std::size_t kRacers = 5; // the person and four rivals
    // Points for 1st to 5th: a win is worth clearly more than second, and every place still counts.
    static constexpr std::array<std::int32_t, kRacers> kPoints = {10, 6, 4, 3, 2};

    Difficulty level = Difficulty::Normal;
    std::vector<std::string> courses; // course ids in racing order
    std::size_t raced = 0;
    std::array<std::int32_t, kRacers> points{};
    std::array<std::int32_t, kRacers> lastPlaces{}; // 0 before the first race
    std::array<std::int32_t, kRacers> rankBefore{}; // standing before the latest race

    bool Finished() const { return raced >= courses.size(); }
    // The course of the next race (empty once finished).
    std::string NextCourse() const { return Finished() ? std::string() : courses[raced]; }
    // One race's finishing places (1..5) per racer on the grid: points added, standings moved on.
    void AddRace(const std::array<std::int32_t, kRacers>& places);
    // Racers by standing, best first: points, then the better place in the latest race, then grid order.
    std::array<std::size_t, kRacers> Order() const;
    // Each racer's standing (1..5) now.
    std::array<std::int32_t, kRacers> Ranks() const;

    bool operator==(const Championship&) const = default;
};

// A new championship of `courses` at `level`.
Championship NewChampionship(const std::vector<std::string>& courses, Difficulty level);

std::string FormatChampionship(const Championship& championship);
// Ok, or Damaged / Newer with "line N: reason" when the text is not a whole championship.
records::FileState ParseChampionship(const std::string& text, Championship* championship, std::string* error);

inline constexpr const char* kChampionshipFile = "championship.save";

// Reads the save folder's championship under its lock: false when there is none to take up (no
// folder, no file, one that cannot be read (set aside, one stderr line) or a newer game's (left
// alone, and no championship is saved this run)).
bool LoadChampionship(Championship* championship);
// Writes it under the lock; false (with one stderr line) when it could not be.
bool SaveChampionship(const Championship& championship);
