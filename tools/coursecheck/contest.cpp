// The contest and ladder tables of coursecheck --contest.
#include "contest.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "race/step.h"

namespace {

constexpr double kUpdateSeconds = 0.016;
// Place changes count from 5 s after "go", once the new order has held for half a second.
constexpr std::int64_t kChangesFrom = 313;
constexpr int kChangeHeld = 31;

race::Grid GridOf(ContestField field, Difficulty level) {
    switch (field) {
    case ContestField::Race: return race::GridFor(race::RivalKind::Race, level);
    case ContestField::Championship: return race::GridFor(race::RivalKind::Championship, level);
    case ContestField::Unnamed: break;
    }
    return race::Grid{};
}

// Pairs of racers in the order the HUD places them, with a swap counted once it holds.
class OrderWatch {
public:
    explicit OrderWatch(std::size_t racers) : count(racers) {}

    void Observe(const race::RaceState& state, bool counting) {
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t j = i + 1; j < count; ++j) {
                Pair& pair = pairs[i][j];
                const bool ahead = state.racers[i].place < state.racers[j].place;
                if (!seen) {
                    pair.ahead = ahead;
                    continue;
                }
                if (ahead == pair.ahead) {
                    pair.held = 0;
                } else if (++pair.held >= kChangeHeld) {
                    pair.ahead = ahead;
                    pair.held = 0;
                    if (counting) ++changes;
                }
            }
        }
        seen = true;
    }
    int changes = 0;

private:
    struct Pair {
        bool ahead = false;
        int held = 0;
    };
    std::size_t count;
    bool seen = false;
    std::array<std::array<Pair, race::RaceState::kMostRacers>, race::RaceState::kMostRacers> pairs{};
};

// Flying past a ring: came within three radii, then got a radius further away without passing it.
class RingWatch {
public:
    void Observe(const race::Course& course, const race::RacerState& racer) {
        const auto& ring = course.checkPoints[static_cast<std::size_t>(racer.nextCheckPoint)];
        if (racer.nextCheckPoint != leg) {
            leg = racer.nextCheckPoint;
            closest = racer.distanceToNext;
            flagged = false;
            return;
        }
        closest = std::min(closest, racer.distanceToNext);
        if (!flagged && closest < 3.0f * ring.radius && racer.distanceToNext > closest + ring.radius) {
            flagged = true;
            ++missed;
        }
    }
    int missed = 0;

private:
    std::int32_t leg = -1;
    float closest = 0.0f;
    bool flagged = false;
};

// A racer as the per-race line names it.
std::string NameOf(const race::RaceState& state, std::size_t i) {
    if (i == 0) return "pilot";
    if (const race::Rival* rival = race::RivalOf(state, i)) return rival->name;
    return "cpu" + std::to_string(i);
}

// "pilot 1 41.02  Velka 3 41.38 ...": every racer's finishing place and lap, in grid order.
std::string RaceLine(const race::RaceState& state) {
    std::string line;
    for (std::size_t i = 0; i < state.racerCount; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "  %s %d %.2f", NameOf(state, i).c_str(), state.racers[i].place,
                      state.racers[i].finishUpdate * kUpdateSeconds);
        line += text;
    }
    return line;
}

ContestRace RunOne(const race::Course& course, ContestField field, Difficulty level, unsigned seed,
                   std::int64_t frameLimit) {
    race::RaceState state = race::NewRace(course, GridOf(field, level), level, seed);
    state.racers[0].autoPilot = 1; // the steady pilot stands in for the person
    const std::size_t n = state.racerCount;
    OrderWatch order(n);
    std::vector<RingWatch> rings(n);
    std::vector<std::int64_t> launched(n, -1);
    std::int64_t update = 0;
    for (; update < frameLimit; ++update) {
        race::Step(state, course, {});
        bool all = true;
        for (std::size_t i = 0; i < n; ++i) {
            const race::RacerState& racer = state.racers[i];
            if (launched[i] < 0 && racer.speed > 0.0f) launched[i] = update;
            if (state.started && !racer.finished) rings[i].Observe(course, racer);
            all = all && racer.finished;
        }
        if (state.started) order.Observe(state, state.raceUpdates >= kChangesFrom);
        if (all) break;
    }
    ContestRace result;
    result.seed = seed;
    result.allFinished = update < frameLimit;
    result.placeChanges = order.changes;
    std::vector<std::size_t> byLaunch(n), byFinish(n);
    std::iota(byLaunch.begin(), byLaunch.end(), 0);
    std::iota(byFinish.begin(), byFinish.end(), 0);
    std::stable_sort(byLaunch.begin(), byLaunch.end(), [&](auto a, auto b) { return launched[a] < launched[b]; });
    std::stable_sort(byFinish.begin(), byFinish.end(),
                     [&](auto a, auto b) { return state.racers[a].place < state.racers[b].place; });
    result.orderChanged = byLaunch != byFinish;
    result.pilotPlace = state.racers[0].place;
    result.pilotLapS = state.racers[0].finishUpdate * kUpdateSeconds;
    result.bestRivalLapS = 1e9;
    for (std::size_t i = 1; i < n; ++i) {
        result.bestRivalLapS = std::min(result.bestRivalLapS, state.racers[i].finishUpdate * kUpdateSeconds);
        result.missedRings += rings[i].missed;
    }
    result.line = RaceLine(state);
    return result;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// How much faster than the pilot the best computer racer flew the lap, in percent (negative: slower).
double RivalLead(const ContestRace& race) { return (race.pilotLapS - race.bestRivalLapS) / race.pilotLapS * 100.0; }

struct Tally {
    int races = 0, orderChanged = 0, wins = 0, missed = 0, unfinished = 0;
    std::array<int, 6> places{};
    std::vector<double> changes, leads;

    void Add(const ContestRace& race) {
        ++races;
        orderChanged += race.orderChanged ? 1 : 0;
        wins += race.pilotPlace == 1 ? 1 : 0;
        missed += race.missedRings;
        unfinished += race.allFinished ? 0 : 1;
        places[static_cast<std::size_t>(std::clamp(race.pilotPlace, 0, 5))] += 1;
        changes.push_back(race.placeChanges);
        leads.push_back(RivalLead(race));
    }
    int PlacedBetween(int first, int last) const {
        int sum = 0;
        for (int place = first; place <= last; ++place) sum += places[static_cast<std::size_t>(place)];
        return sum;
    }
};

void PrintRow(const char* course, Difficulty level, const Tally& t) {
    std::printf("%-9s %-6s %4.1f %3.0f-%-3.0f %3d/%-3d %3d %3d %3d %3d %3d  %5.1f %5.1f %5.1f %4d %4d\n", course,
                DifficultyName(level), Median(t.changes), *std::min_element(t.changes.begin(), t.changes.end()),
                *std::max_element(t.changes.begin(), t.changes.end()), t.orderChanged, t.races, t.places[1],
                t.places[2], t.places[3], t.places[4], t.places[5], Median(t.leads),
                *std::min_element(t.leads.begin(), t.leads.end()), *std::max_element(t.leads.begin(), t.leads.end()),
                t.missed, t.unfinished);
}

// The ladder's targets for a level over one course's races; prints the misses and counts them.
int CheckLadder(const std::string& course, Difficulty level, const Tally& t) {
    int misses = 0;
    auto miss = [&](const char* what) {
        std::printf("  MISS %s %s: %s\n", course.c_str(), DifficultyName(level), what);
        ++misses;
    };
    const int most = t.races / 2 + 1;
    if (level == Difficulty::Easy && t.PlacedBetween(1, 2) < most) miss("the pilot is not 1st-2nd in most races");
    if (level == Difficulty::Normal && t.PlacedBetween(2, 4) < most) miss("the pilot is not 2nd-4th in most races");
    if (level == Difficulty::Normal && t.wins == 0) miss("the pilot never wins");
    if (level == Difficulty::Hard && t.PlacedBetween(3, 5) < most) miss("the pilot is not 3rd-5th in most races");
    if (level == Difficulty::Hard && *std::max_element(t.leads.begin(), t.leads.end()) > 3.0)
        miss("the best rival is more than 3 % faster than the pilot");
    return misses;
}

int CheckContest(const std::string& course, Difficulty level, const Tally& t) {
    int misses = 0;
    auto miss = [&](const char* what) {
        std::printf("  MISS %s %s: %s\n", course.c_str(), DifficultyName(level), what);
        ++misses;
    };
    if (Median(t.changes) < 4.0) miss("fewer than 4 place changes after 5 s (median)");
    if (t.orderChanged * 10 < t.races * 8) miss("the finishing order is the launch order in more than 2 races of 10");
    if (t.missed > 0 || t.unfinished > 0) miss("a racer missed a ring or did not finish");
    return misses;
}

} // namespace

std::vector<ContestRow> RunContest(const race::Course& course, const std::string& id, const ContestOptions& options) {
    std::vector<ContestRow> rows;
    for (Difficulty level : options.levels) {
        ContestRow row{id, level, {}};
        for (unsigned seed : options.seeds)
            row.races.push_back(RunOne(course, options.field, level, seed, options.frameLimit));
        rows.push_back(std::move(row));
    }
    return rows;
}

int PrintContest(const std::vector<ContestRow>& rows, ContestField field, bool races) {
    std::printf("%-9s %-6s %-12s %-7s %-19s  %-17s %4s %4s\n", "", "", "changes", "order", "pilot's places",
                "rival lead %", "", "");
    std::printf("%-9s %-6s %4s %-7s %7s %3s %3s %3s %3s %3s  %5s %5s %5s %4s %4s\n", "course", "level", "med",
                "min-max", "changed", "1st", "2nd", "3rd", "4th", "5th", "med", "min", "max", "miss", "lost");
    std::vector<Tally> levels(3);
    int misses = 0;
    for (const ContestRow& row : rows) {
        Tally tally;
        for (const ContestRace& race : row.races) tally.Add(race);
        for (const ContestRace& race : row.races) levels[static_cast<std::size_t>(row.level)].Add(race);
        if (races)
            for (const ContestRace& race : row.races)
                std::printf("  %-8s %-6s seed %-3u changes %-2d%s\n", row.course.c_str(), DifficultyName(row.level),
                            race.seed, race.placeChanges, race.line.c_str());
        PrintRow(row.course.c_str(), row.level, tally);
        // A single race at normal is the game's own race: neither target is asked of it.
        if (field != ContestField::Race || row.level != Difficulty::Normal) {
            misses += CheckLadder(row.course, row.level, tally);
            if (field != ContestField::Race) misses += CheckContest(row.course, row.level, tally);
        }
    }
    for (Difficulty level : {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard})
        if (levels[static_cast<std::size_t>(level)].races > 0)
            PrintRow("all", level, levels[static_cast<std::size_t>(level)]);
    std::printf("%s: %d target(s) missed\n", misses == 0 ? "PASS" : "FAIL", misses);
    return misses;
}
