// RaceSession: what the title chose for the races that follow and what lasts from one race to the
// next — the mode, and the championship being raced.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "race/difficulty.h"
#include "race/race_mode.h"
#include "records/championship_save.h"

namespace net {
class NetRace;
}

struct RaceSession {
    RaceMode mode = RaceMode::Race;
    // The championship going on: read from the save folder by the title, or begun this run.
    std::optional<Championship> championship;
    // The online race the next race scene runs (--host, --join, or the title's lobby); null offline.
    net::NetRace* online = nullptr;
    // The one the title's lobby opened (`online` points at it once its race is agreed).
    std::shared_ptr<net::NetRace> lobby;
    // Opens an online race as --host PORT or --join ADDRESS:PORT would (set by the shell; null in a
    // scene built on its own): nothing, with the reason, when it cannot. A client goes on knocking in
    // NetRace::Poll.
    std::function<std::shared_ptr<net::NetRace>(bool hosting, const std::string& address, std::uint16_t port,
                                                std::string* error)>
        openOnline;
    // The level the host chose in the lobby (none: the settings').
    std::optional<Difficulty> onlineLevel;
    // The name this machine goes by online (--name, else the settings').
    std::string onlineName;

    // A championship that can be taken up: not finished, and every course of it still raceable.
    bool CanGoOn() const;
};

// Every course of the course file, in its order: the championship's races.
std::vector<std::string> ChampionshipCourses();
