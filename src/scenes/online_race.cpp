// The race scene's online part: the race every machine agrees on (the host's course, level and
// seed, one seat per machine, computer racers filling the grid), stepped through the rollback
// session, the others' comings and goings, and the trace's `net`.
#include <cinttypes>
#include <cstdio>
#include <utility>

#include "app/automation/trace_writer.h"
#include "map/course_list.h"
#include "net/net_race.h"
#include "player/player.h"
#include "player/player_manager.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "scenes/game.h"

namespace {
constexpr std::uint32_t kNoticeFrames = 180; // about three seconds
constexpr std::uint8_t kGridSize = 5;
} // namespace

bool Game::BeginOnline(std::uint64_t* seed, Difficulty* level, race::Grid* grid) {
    net::Start start;
    CourseList& courses = CourseList::Instance();
    // A race the lobby agreed on is begun already: Begin gives its start again.
    if (online->Hosting() && !online->Started()) {
        start.course = courses.Selected().id;
        start.difficulty = static_cast<std::uint8_t>(session->onlineLevel.value_or(RaceLevel()));
        start.seed = seeds ? seeds->Next() : 1;
    }
    std::string message;
    const bool begun = online->Begin(&start, &message) && (online->Hosting() || courses.Select(start.course));
    if (!begun) {
        if (message.empty()) message = "The course " + start.course + " cannot be raced here.";
        std::fprintf(stderr, "orlenda: %s\n", message.c_str());
        MessageBoxA(window, message.c_str(), "Orlenda", MB_OK | MB_ICONERROR);
        online->Close();
        session->online = online = nullptr;
        session->lobby.reset();
        return false;
    }
    for (std::string& text : online->TakeNotices()) std::fprintf(stderr, "orlenda: %s\n", text.c_str());
    std::string seats;
    for (const std::string& name : start.names) seats += (seats.empty() ? "" : ", ") + name;
    std::fprintf(stderr, "orlenda: the seats: %s\n", seats.c_str());
    *seed = start.seed;
    *level = static_cast<Difficulty>(start.difficulty);
    const auto people = static_cast<std::uint8_t>(start.names.size());
    grid->racerCount = std::max(people, kGridSize);
    for (std::uint8_t i = 0; i < race::RaceState::kMostRacers; ++i)
        grid->seats[i] = i < people ? static_cast<std::int8_t>(i) : std::int8_t{-1};
    personSeat = online->LocalSeat();
    return true;
}

bool Game::StepOnline(race::RaceEvents* events) {
    // The keys are read every frame, as offline: a tap made while this machine waits for the others
    // counts in the next update instead of being lost with the frame.
    race::Controls mine = Seat().Read();
    tappedPilot = tappedPilot || mine.togglePilot;
    tappedSwap = tappedSwap || mine.swapNose;
    const std::optional<race::RaceEvents> stepped = online->Frame([&] {
        mine.togglePilot = std::exchange(tappedPilot, false);
        mine.swapNose = std::exchange(tappedSwap, false);
        return mine;
    });
    race = online->State();
    if (stepped) SmoothCorrections();
    if (noticeFrames > 0) --noticeFrames;
    for (std::string& text : online->TakeNotices()) {
        std::fprintf(stderr, "orlenda: %s\n", text.c_str());
        noticeText = text;
        noticeFrames = kNoticeFrames;
    }
    if (std::string why; onlineOver.empty() && online->Over(&why)) {
        onlineOver = why;
        std::fprintf(stderr, "orlenda: %s\n", why.c_str());
        if (online->Desynced() && checks) checks->failure = "online race: " + why;
    }
    if (!stepped) return false;
    *events = *stepped;
    return true;
}

bool Game::AskLeaveOnline() {
    if (!leaveAsked) {
        leaveAsked = Seat().Pressed(VK_ESCAPE);
        return false;
    }
    if (Seat().Pressed('Y') || Seat().Pressed(VK_RETURN)) return true;
    if (Seat().Pressed('N') || Seat().Pressed(VK_ESCAPE)) leaveAsked = false;
    return false;
}

void Game::DrawLeaveQuestion() {
    if (!leaveAsked) return;
    const float centre = ScreenWidth() * 0.5f, y = ScreenHeight() * 0.38f;
    questionText.DrawCentred("Leave the online race?", centre, y, 0xFFFFE060);
    notice.DrawCentred("Y or Enter: leave      N or Escape: race on", centre, y + 52.0f, 0xFFFFFFFF);
    notice.DrawCentred("(the race goes on meanwhile)", centre, y + 90.0f, 0xFFB8C0D0);
}

// A correction a few metres long glides away over about ten updates; a longer one (a racer put back
// on the course, a guess far wrong) is shown at once, as gliding across the world would mislead more.
void Game::SmoothCorrections() {
    constexpr float kKept = 0.7f, kLongest = 8.0f, kGone = 0.01f;
    const std::array<D3DXVECTOR3, race::RaceState::kMostRacers> moved = online->TakeCorrections();
    PlayerManager& views = PlayerManager::Instance();
    for (std::size_t i = 0; i < race.racerCount; ++i) {
        D3DXVECTOR3& shift = drawShifts[i];
        shift = (shift + moved[i]) * kKept;
        const float length = D3DXVec3Length(&shift);
        if (static_cast<std::int32_t>(i) == Person() || length > kLongest || length < kGone) shift = {0, 0, 0};
        if (i < views.players.size()) views.players[i]->drawShift = shift;
    }
}

void Game::DrawNotice() {
    DrawLeaveQuestion();
    if (noticeFrames == 0) return;
    notice.DrawCentred(noticeText, ScreenWidth() * 0.5f, ScreenHeight() * 0.12f, 0xFFFFFFFF);
}

void Game::WriteNetTrace(TraceWriter& trace) const {
    if (!online || !online->Session()) return;
    const net::Rollback& rollback = *online->Session();
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016" PRIx64, rollback.ConfirmedHash());
    trace.Set("net", TraceWriter::Object({
                         {"confirmed", TraceWriter::Integer(rollback.Confirmed())},
                         {"confirmedHash", TraceWriter::String(hash)},
                         {"rollbacks", TraceWriter::Integer(rollback.rollbacks)},
                         {"depth", TraceWriter::Integer(rollback.depth)},
                     }));
}
