// Racer names and colours by place on the grid.
#include "scenes/racer_labels.h"

#include <iterator>

namespace {
constexpr D3DCOLOR kWhite = 0xFFFFFF;
// The game's own computer racers, coloured like their trails.
constexpr struct {
    const char* name;
    D3DCOLOR colour;
} kOwnRacers[] = {{"Velka", 0x4080FF}, {"Mirro", 0xFF40FF}, {"Mirro", 0x40FF40}, {"Mirro", 0xFFFF40}};
} // namespace

std::vector<RacerLabel> GridLabels(std::size_t count, const RivalSet& rivals) {
    std::vector<RacerLabel> labels;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0) {
            labels.push_back({"You", kWhite});
        } else if (rivals) {
            const race::Rival& rival = (*rivals)[(i - 1) % race::kRivalCount];
            labels.push_back({rival.name, rival.colour & 0xFFFFFF});
        } else {
            const auto& own = kOwnRacers[(i - 1) % std::size(kOwnRacers)];
            labels.push_back({own.name, own.colour});
        }
    }
    return labels;
}

// A racer a rival flies wears her name and colour whatever her place on the grid.
std::vector<RacerLabel> RacerLabels(const race::RaceState& race, const RivalSet& rivals) {
    std::vector<RacerLabel> labels = GridLabels(race.racerCount, rivals);
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (const race::Rival* rival = race::RivalOf(race, i)) labels[i] = {rival->name, rival->colour & 0xFFFFFF};
    return labels;
}
