// The desync report names every field that differs, with both machines' values, and nothing else.
#include <gtest/gtest.h>

#include "net/desync_report.h"
#include "race/step.h"

TEST(DesyncReport, ListsOnlyTheFieldsThatDiffer) {
    race::Course course;
    const race::RaceState here = race::NewRace(course, race::Grid{}, Difficulty::Normal, 3);
    race::RaceState there = here;
    there.racers[2].speed = 1.5f;
    there.clockUpdates = 7;
    const std::string report = net::DesyncReport(90, here, "Ada", there, "the host");
    EXPECT_NE(report.find("\"update\": 90"), std::string::npos);
    EXPECT_NE(report.find("{\"field\": \"clockUpdates\", \"here\": 0, \"there\": 7}"), std::string::npos) << report;
    EXPECT_NE(report.find("{\"field\": \"racers[2].speed\", \"here\": 0, \"there\": 1.5}"), std::string::npos);
    EXPECT_EQ(report.find("racers[1]"), std::string::npos);
    EXPECT_EQ(net::DesyncReport(90, here, "Ada", here, "Bo").find("\"field\""), std::string::npos);
    EXPECT_EQ(net::DesyncFileName(90), "desync-90.json");
}
