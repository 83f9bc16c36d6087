// The race scene's modes: the grid and level each mode races, the rivals' looks, the extra HUD,
// and the championship's points once the person has finished.
#include <cstdio>
#include <optional>

#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "records/championship_save.h"
#include "scenes/game.h"

namespace {
constexpr D3DCOLOR kTrialTagColour = 0xFF50F0FF;
constexpr float kTrialTagTop = 16.0f;

// The kind of race a mode's rivals would fly; none in a time trial, which the person flies alone.
std::optional<race::RivalKind> RivalKindOf(RaceMode mode) {
    switch (mode) {
    case RaceMode::Trial: return std::nullopt;
    case RaceMode::Championship: return race::RivalKind::Championship;
    case RaceMode::Race: break;
    }
    return race::RivalKind::Race;
}
} // namespace

Difficulty Game::RaceLevel() const {
    if (mode == RaceMode::Championship && session->championship) return session->championship->level;
    return settings->values.difficulty;
}

// A time trial is the people alone; the other modes fill the grid up to five with computer racers,
// the rivals flying them where the mode and level have them.
race::Grid Game::ModeGrid() const {
    race::Grid grid;
    for (std::size_t seat = 0; seat < seatCount; ++seat) grid.seats[seat] = static_cast<std::int8_t>(seat);
    const std::optional<race::RivalKind> kind = RivalKindOf(mode);
    if (!kind) {
        grid.racerCount = static_cast<std::uint8_t>(seatCount);
        return grid;
    }
    return race::GridFor(*kind, RaceLevel(), grid);
}

void Game::SetUpMode(Difficulty level) {
    // A championship started without the title (a test, or a run straight into the race) is a new one.
    if (mode == RaceMode::Championship && !session->championship)
        session->championship = NewChampionship(ChampionshipCourses(), level);
    rivals.reset();
    if (const std::optional<race::RivalKind> kind = RivalKindOf(mode); kind && race::RivalsFly(*kind, level))
        rivals = race::RivalsFor(*kind, level);
    labels = RacerLabels(race, rivals);
    // The model and trail wear the colour the table, the standings and the map give the racer.
    if (rivals) {
        std::vector<std::uint32_t> colours;
        for (std::size_t i = 1; i < labels.size(); ++i) colours.push_back(labels[i].colour);
        PlayerManager::Instance().Dress(colours);
    }
    showExtras = mode != RaceMode::Race || settings->values.hudExtras;
    extras.Start(course);
    scoredOrder.clear();
    pointsWon.clear();
}

// The order at the person's finish decides the points: the racers still flying are placed by where
// they are on the course, as the result table shows them at that moment.
void Game::ScoreChampionshipRace() {
    if (!session->championship || session->championship->Finished()) return;
    scoredOrder = results.Standings(race);
    std::array<std::int32_t, Championship::kRacers> places{};
    pointsWon.assign(race.racerCount, 0);
    for (const RaceResults::Standing& row : scoredOrder) {
        if (row.racer >= Championship::kRacers) continue;
        places[row.racer] = row.place;
        pointsWon[row.racer] = Championship::kPoints[static_cast<std::size_t>(row.place - 1) % Championship::kRacers];
    }
    session->championship->AddRace(places);
    SaveChampionship(*session->championship);
}

void Game::DrawModeHud(std::int32_t racer) {
    DrawExtras(racer);
    if (mode == RaceMode::Trial)
        modeTag.DrawCentred("TIME TRIAL   automatic pilot off", ScreenWidth() * 0.5f, kTrialTagTop, kTrialTagColour);
}

void Game::DrawExtras(std::int32_t racer) {
    if (!showExtras || racer < 0) return;
    std::optional<D3DXVECTOR3> ghostAt;
    if (ghost.Visible()) ghostAt = ghost.Position();
    extras.Draw(race, racer, labels, ghostAt);
}

std::string Game::RecordLabel() const {
    const std::string level = DifficultyName(RaceLevel());
    if (mode == RaceMode::Trial) return "time trial";
    if (mode == RaceMode::Championship) return level + " championship";
    return level;
}
