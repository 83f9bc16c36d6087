// The race scene's part of the per-frame automation trace.
#include <cinttypes>
#include <cstdio>

#include "app/automation/trace_writer.h"
#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "scenes/game.h"

namespace {

// The new modes add each racer's name and place, a shared screen each racer's seat (null for a
// computer racer); the game's own race alone keeps its trace as it was.
std::string RacerFields(const race::RacerState& racer, const RacerLabel* label, bool seats) {
    const D3DXVECTOR3 p = racer.Position();
    std::vector<std::pair<std::string, std::string>> fields = {
        {"pos", TraceWriter::Array({TraceWriter::Number(p.x), TraceWriter::Number(p.y), TraceWriter::Number(p.z)})},
        {"speed", TraceWriter::Number(racer.speed)},
        {"yaw", TraceWriter::Number(racer.yaw)},
        {"pitch", TraceWriter::Number(racer.pitch)},
        {"autoPilot", TraceWriter::Integer(racer.autoPilot)},
        {"nextCheckPoint", TraceWriter::Integer(racer.nextCheckPoint)},
        {"finished", TraceWriter::Bool(racer.finished)},
        {"noCollision", TraceWriter::Bool(racer.noCollision)},
        {"detour", TraceWriter::Bool(racer.detouring)},
    };
    if (label) {
        fields.emplace_back("name", TraceWriter::String(label->name));
        fields.emplace_back("place", TraceWriter::Integer(racer.place));
    }
    if (seats) fields.emplace_back("seat", racer.seat < 0 ? "null" : TraceWriter::Integer(racer.seat));
    return TraceWriter::Object(fields);
}

} // namespace

void Game::WriteTrace(TraceWriter& trace) const {
    const race::RacerState* person = PersonRacer();
    trace.Set("raceStarted", TraceWriter::Bool(race.started));
    trace.Set("cleared", TraceWriter::Bool(cleared));
    trace.Set("rank", TraceWriter::Integer(person ? person->place : 1));
    trace.Set("effects", TraceWriter::Integer(static_cast<std::int64_t>(EffectManager::Instance().LiveCount())));
    const std::uint32_t elapsed = race.ClockMs();
    trace.Set("clock", TraceWriter::Object({
                           {"stopped", TraceWriter::Bool(race.clockStopped)},
                           {"elapsed", TraceWriter::Integer(elapsed)},
                           {"minutes", TraceWriter::Integer(timer.minutes)},
                           {"seconds", TraceWriter::Integer(timer.seconds)},
                           {"milliseconds", TraceWriter::Integer(timer.milliseconds)},
                       }));
    std::vector<std::string> racers;
    const bool named = mode != RaceMode::Race;
    if (named) trace.Set("mode", TraceWriter::String(RaceModeName(mode)));
    for (std::size_t i = 0; i < race.racerCount; ++i)
        racers.push_back(RacerFields(race.racers[i], named && i < labels.size() ? &labels[i] : nullptr, Shared()));
    trace.Set("racers", TraceWriter::Array(racers));
    if (Halted()) trace.Set("paused", TraceWriter::Bool(true));
    const D3DXVECTOR3 g = ghost.Position();
    trace.Set("ghost", ghost.Visible() ? TraceWriter::Array({TraceWriter::Number(g.x), TraceWriter::Number(g.y),
                                                             TraceWriter::Number(g.z)})
                                       : "null");
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016" PRIx64, race.Hash());
    trace.Set("hash", TraceWriter::String(hash));
    WriteNetTrace(trace);
}
