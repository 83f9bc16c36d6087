// The sounds of a race update, chosen apart from playing them.
#include "scenes/race_sounds.h"

#include <string_view>

bool SoundCue::operator==(const SoundCue& other) const {
    return kind == other.kind && std::string_view(name) == other.name && seat == other.seat;
}

namespace {

// The seat flying `racer` when it plays at this screen, else -1.
std::int32_t OwnSeatOf(const race::RaceState& race, std::int32_t racer, std::uint32_t ownSeats) {
    if (racer < 0 || static_cast<std::size_t>(racer) >= race.racerCount) return -1;
    const std::int32_t seat = race.racers[static_cast<std::size_t>(racer)].seat;
    if (seat < 0 || seat >= 32 || (ownSeats & (1u << seat)) == 0) return -1;
    return seat;
}

} // namespace

std::vector<SoundCue> SoundCuesOf(const race::RaceEvents& events, const race::RaceState& race, std::uint32_t ownSeats) {
    std::vector<SoundCue> cues;
    for (const race::RaceEvent& event : events) {
        const std::int32_t seat = OwnSeatOf(race, event.racer, ownSeats);
        switch (event.kind) {
        case race::EventKind::CountdownBeep: cues.push_back({SoundCue::Kind::Once, "push", -1}); break;
        case race::EventKind::Go: cues.push_back({SoundCue::Kind::Once, "go", -1}); break;
        case race::EventKind::CheckPointPassed:
            if (event.byHand && seat >= 0) cues.push_back({SoundCue::Kind::Once, "get", seat});
            break;
        case race::EventKind::BoostStart:
            if (seat >= 0) cues.push_back({SoundCue::Kind::StartLoop, "fly", seat});
            break;
        case race::EventKind::BoostStop:
            if (seat >= 0) cues.push_back({SoundCue::Kind::StopLoop, "fly", seat});
            break;
        case race::EventKind::Finish: break;
        }
    }
    return cues;
}
