// RaceSession: what the title chose for the races that follow and what lasts from one race to the
// next — the mode, and the championship being raced.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "race/race_mode.h"
#include "records/championship_save.h"

namespace net {
class NetRace;
}

struct RaceSession {
    RaceMode mode = RaceMode::Race;
    // The championship going on: read from the save folder by the title, or begun this run.
    std::optional<Championship> championship;
    // The online race the next race scene runs (--host, --join), owned by the shell; null offline.
    net::NetRace* online = nullptr;

    // A championship that can be taken up: not finished, and every course of it still raceable.
    bool CanGoOn() const;
};

// Every course of the course file, in its order: the championship's races.
std::vector<std::string> ChampionshipCourses();
