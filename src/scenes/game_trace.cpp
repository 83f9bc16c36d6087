// The race scene's part of the per-frame automation trace.
#include "app/automation/trace_writer.h"
#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/map_manager.h"
#include "player/player_manager.h"
#include "scenes/game.h"

namespace {

std::string RacerFields(const Player& racer) {
    const D3DXVECTOR3 p = racer.Position();
    return TraceWriter::Object({
        {"pos", TraceWriter::Array({TraceWriter::Number(p.x), TraceWriter::Number(p.y), TraceWriter::Number(p.z)})},
        {"speed", TraceWriter::Number(racer.speed)},
        {"yaw", TraceWriter::Number(racer.yaw)},
        {"pitch", TraceWriter::Number(racer.pitch)},
        {"autoPilot", TraceWriter::Integer(racer.autoPilot)},
        {"nextCheckPoint", TraceWriter::Integer(racer.nextCheckPoint)},
        {"finished", TraceWriter::Bool(racer.finished)},
        {"noCollision", TraceWriter::Bool(racer.noCollision)},
        {"detour", TraceWriter::Bool(racer.detouring)},
    });
}

} // namespace

void Game::WriteTrace(TraceWriter& trace) const {
    const PlayerManager& players = PlayerManager::Instance();
    const RaceTimer& timer = MapManager::Instance().timer;
    trace.Set("raceStarted", TraceWriter::Bool(raceStarted));
    trace.Set("cleared", TraceWriter::Bool(cleared));
    trace.Set("rank", TraceWriter::Integer(players.rank));
    trace.Set("effects", TraceWriter::Integer(static_cast<std::int64_t>(EffectManager::Instance().LiveCount())));
    trace.Set("clock", TraceWriter::Object({
                           {"stopped", TraceWriter::Bool(timer.stopped)},
                           {"elapsed", TraceWriter::Integer(timer.elapsed)},
                           {"minutes", TraceWriter::Integer(timer.minutes)},
                           {"seconds", TraceWriter::Integer(timer.seconds)},
                           {"milliseconds", TraceWriter::Integer(timer.milliseconds)},
                       }));
    std::vector<std::string> racers;
    for (const auto& racer : players.players) racers.push_back(RacerFields(*racer));
    trace.Set("racers", TraceWriter::Array(racers));
    if (Halted()) trace.Set("paused", TraceWriter::Bool(true));
    const D3DXVECTOR3 g = ghost.Position();
    trace.Set("ghost", ghost.Visible() ? TraceWriter::Array({TraceWriter::Number(g.x), TraceWriter::Number(g.y),
                                                             TraceWriter::Number(g.z)})
                                       : "null");
}
