// The race value's costs: saving and loading it (what a rollback does for every late input), its
// hash, and one update of the race on the shipped course in the middle of a race.
#include <benchmark/benchmark.h>

#include "map/course_builder.h"
#include "map/course_list.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "race/step.h"
#include "render/graphics_device.h"

namespace {

// The shipped course (read from the game folder the benchmarks run in) and a race 1 500 updates in.
struct MidRace {
    race::Course course;
    race::RaceState state;
    MidRace() {
        GraphicsDevice::Instance().InitNull(1280, 720);
        MapManager& map = MapManager::Instance();
        map.LoadMap();
        map.LoadModels(GraphicsDevice::Instance().device.get());
        CourseManager::Instance().CollectCheckPoints();
        course = BuildCourse(map, CourseManager::Instance(), CourseList::Instance().Selected());
        state = race::NewRace(course, race::Grid{}, Difficulty::Normal, 1);
        for (auto& racer : state.racers) racer.autoPilot = 1;
        for (int update = 0; update < 1500; ++update) race::Step(state, course, {});
    }
};

MidRace& Race() {
    static MidRace race;
    return race;
}

void BM_RaceStateSaveLoad(benchmark::State& state) {
    race::RaceState copy = Race().state;
    for (auto _ : state) {
        const std::string bytes = copy.Save();
        benchmark::DoNotOptimize(copy.Load(bytes));
    }
    state.counters["state_bytes"] = static_cast<double>(copy.Save().size());
    state.counters["value_bytes"] = static_cast<double>(sizeof(race::RaceState));
}
BENCHMARK(BM_RaceStateSaveLoad)->Unit(benchmark::kMicrosecond);

void BM_RaceStateCopy(benchmark::State& state) {
    const race::RaceState& source = Race().state;
    for (auto _ : state) {
        race::RaceState copy = source;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_RaceStateCopy)->Unit(benchmark::kMicrosecond);

void BM_RaceStateHash(benchmark::State& state) {
    const race::RaceState& race = Race().state;
    for (auto _ : state) benchmark::DoNotOptimize(race.Hash());
}
BENCHMARK(BM_RaceStateHash)->Unit(benchmark::kMicrosecond);

// One update of five racers on the automatic pilot, each time from the same state.
void BM_RaceStep(benchmark::State& state) {
    MidRace& race = Race();
    race::RaceState copy = race.state;
    for (auto _ : state) {
        state.PauseTiming();
        copy = race.state;
        state.ResumeTiming();
        benchmark::DoNotOptimize(race::Step(copy, race.course, {}));
    }
}
BENCHMARK(BM_RaceStep)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
