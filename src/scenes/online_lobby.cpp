// The Online screen: its pages, their keys and what they show.
#include "scenes/online_lobby.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "map/course_list.h"
#include "map/map_manager.h"
#include "net/join_address.h"
#include "net/net_race.h"
#include "platform/window/input.h"
#include "render/graphics_device.h"
#include "scenes/scene_base.h"
#include "sound/sound_manager.h"

namespace {
constexpr std::int32_t kDim = 215;
constexpr float kTop = 60.0f, kRowStep = 36.0f;
constexpr float kLeft = 0.22f, kValue = 0.42f;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kChosen = 0xFFFFE060;
constexpr D3DCOLOR kHeadingColour = 0xFFFFE9A0;
constexpr D3DCOLOR kHintColour = 0xFFA8C8FF;
constexpr D3DCOLOR kDimColour = 0xFFB8C0D0;
constexpr D3DCOLOR kTroubleColour = 0xFFFF9080;
// Longer than any host name worth typing, short enough to show on one line.
constexpr std::size_t kMostTyped = 64;
constexpr std::uint32_t kFramesPerSecond = 60;
constexpr std::size_t kMostShown = 90;

// The keys an address is typed with, and what each one types.
struct TypedKey {
    int key;
    char text;
};
const std::vector<TypedKey>& TypedKeys() {
    static const std::vector<TypedKey> keys = [] {
        std::vector<TypedKey> all = {{VK_OEM_PERIOD, '.'}, {VK_OEM_MINUS, '-'}, {VK_OEM_1, ':'}};
        for (char c = '0'; c <= '9'; ++c) all.push_back({c, c});
        for (char c = 'A'; c <= 'Z'; ++c) all.push_back({c, static_cast<char>(std::tolower(c))});
        return all;
    }();
    return keys;
}

// The physical keys held when the last frame looked, so a key types once per press whatever it is bound to.
std::array<bool, 256> heldBefore{};

void RememberHeld() {
    for (const TypedKey& typed : TypedKeys()) heldBefore[typed.key] = platform::input::PhysicalKeyDown(typed.key);
}

std::string PingText(std::uint32_t ms) { return std::to_string(ms) + " ms"; }
} // namespace

void OnlineLobby::Open(RaceSession& shared, SettingsInForce& settings) {
    session = &shared;
    inForce = &settings;
    page = Page::Choose;
    chosen = 0;
    message = !session->openOnline ? "Online races are not open to this run."
              : session->online    ? "This run is online already (--host or --join): press Enter on the title."
                                   : std::string();
    if (!session->onlineLevel) session->onlineLevel = settings.values.difficulty;
}

bool OnlineLobby::Update(race::Seat& seat, RaceSeeds* seeds) {
    ++frames;
    if (session->lobby && page != Page::Closed) session->lobby->Poll();
    switch (page) {
    case Page::Closed: return false;
    case Page::Choose: UpdateChoose(seat); return false;
    case Page::Host: return UpdateHost(seat, seeds);
    case Page::Address: UpdateAddress(seat); return false;
    case Page::Joining:
    case Page::Joined: return UpdateJoined(seat);
    }
    return false;
}

void OnlineLobby::UpdateChoose(race::Seat& seat) {
    const bool up = seat.Pressed(VK_NAVIGATION_UP), down = seat.Pressed(VK_NAVIGATION_DOWN);
    const bool enter = seat.Pressed(VK_RETURN), escape = seat.Pressed(VK_ESCAPE);
    if (escape) {
        page = Page::Closed;
        return;
    }
    if (up || down) chosen = 1 - chosen;
    if (!enter || !session->openOnline || session->online) return;
    SoundManager::Instance().Play(0, "push");
    if (chosen == 0) return StartHosting();
    address = inForce->values.lastJoin;
    message.clear();
    page = Page::Address;
    RememberHeld();
}

void OnlineLobby::StartHosting() {
    std::string why;
    session->lobby = session->openOnline(true, std::string(), net::kDefaultPort, &why);
    if (!session->lobby) {
        message = "Cannot host: " + why;
        std::fprintf(stderr, "orlenda: %s\n", message.c_str());
        return;
    }
    message.clear();
    chosen = 0;
    page = Page::Host;
}

bool OnlineLobby::UpdateHost(race::Seat& seat, RaceSeeds* seeds) {
    const bool up = seat.Pressed(VK_NAVIGATION_UP), down = seat.Pressed(VK_NAVIGATION_DOWN);
    const bool left = seat.Pressed(VK_NAVIGATION_LEFT), right = seat.Pressed(VK_NAVIGATION_RIGHT);
    const bool enter = seat.Pressed(VK_RETURN), escape = seat.Pressed(VK_ESCAPE);
    if (escape) {
        Leave(Page::Choose, "");
        return false;
    }
    if (up || down) chosen = 1 - chosen;
    if (const int step = left ? -1 : right ? 1 : 0; step != 0) {
        if (chosen == 0) CourseList::Instance().Step(step);
        else session->onlineLevel = static_cast<Difficulty>((static_cast<int>(*session->onlineLevel) + step + 3) % 3);
    }
    if (!enter) return false;
    net::NetRace& link = *session->lobby;
    if (link.Lobby().size() < 2) {
        message = "Nobody has joined yet.";
        return false;
    }
    net::Start start;
    start.course = CourseList::Instance().Selected().id;
    start.difficulty = static_cast<std::uint8_t>(*session->onlineLevel);
    start.seed = seeds ? seeds->Next() : 1;
    link.StartWithWhoIsIn();
    std::string why;
    if (!link.Begin(&start, &why)) {
        message = why;
        return false;
    }
    SoundManager::Instance().Play(0, "push");
    session->online = session->lobby.get();
    session->mode = RaceMode::Race;
    page = Page::Closed;
    return true;
}

void OnlineLobby::UpdateAddress(race::Seat& seat) {
    const bool enter = seat.Pressed(VK_RETURN), escape = seat.Pressed(VK_ESCAPE);
    const bool erase = seat.Pressed(VK_BACK);
    if (escape) {
        message.clear();
        page = Page::Choose;
        return;
    }
    if (erase && !address.empty()) address.pop_back();
    Type();
    if (enter) Knock();
}

void OnlineLobby::Type() {
    for (const TypedKey& typed : TypedKeys()) {
        const bool held = platform::input::PhysicalKeyDown(typed.key);
        const bool pressed = held && !heldBefore[typed.key];
        heldBefore[typed.key] = held;
        if (!pressed || address.size() >= kMostTyped) continue;
        // ';' gives ':' with Shift or without, as an address has no ';'; host names have no case.
        address.push_back(typed.text);
    }
}

void OnlineLobby::Knock() {
    std::string host;
    std::uint16_t port = 0;
    if (!net::ParseJoinAddress(address, net::kDefaultPort, &host, &port)) {
        message = "An address is HOST or HOST:PORT (a port from 1 to 65535).";
        return;
    }
    SoundManager::Instance().Play(0, "push");
    std::string why;
    session->lobby = session->openOnline(false, host, port, &why);
    if (!session->lobby) {
        message = "Cannot join: " + why;
        std::fprintf(stderr, "orlenda: %s\n", message.c_str());
        return;
    }
    joining = host + ":" + std::to_string(port);
    message.clear();
    frames = 0;
    page = Page::Joining;
}

bool OnlineLobby::UpdateJoined(race::Seat& seat) {
    if (seat.Pressed(VK_ESCAPE)) {
        Leave(Page::Address, "");
        RememberHeld();
        return false;
    }
    net::NetRace& link = *session->lobby;
    if (link.Knock() == net::NetRace::Stage::Failed) {
        Leave(Page::Address, link.Failure());
        RememberHeld();
        return false;
    }
    if (page == Page::Joining && link.Knock() == net::NetRace::Stage::Welcomed) {
        // Let in: the address is offered the next time.
        RememberJoin(*inForce, joining);
        page = Page::Joined;
    }
    if (page != Page::Joined || !link.Started()) return false;
    session->online = session->lobby.get();
    session->mode = RaceMode::Race;
    page = Page::Closed;
    return true;
}

void OnlineLobby::Leave(Page to, const std::string& why) {
    // Leave can be reached with the link's own failure message: copied before the link goes.
    const std::string told = why;
    if (!told.empty()) std::fprintf(stderr, "orlenda: %s\n", told.c_str());
    if (session->lobby) {
        session->lobby->Close();
        session->lobby.reset();
    }
    message = told;
    chosen = 0;
    page = to;
}

std::string OnlineLobby::LevelText() const {
    return session->onlineLevel ? DifficultyName(*session->onlineLevel) : "normal";
}

// ---- drawing ------------------------------------------------------------------------------------

void OnlineLobby::DrawPeople(float y) {
    const float w = ScreenWidth();
    if (!session->lobby) return;
    const std::vector<net::NetRace::Person> people = session->lobby->Lobby();
    body.Draw("People (" + std::to_string(people.size()) + " of " + std::to_string(net::kMostPeople) + ")", w * kLeft,
              y, kHeadingColour);
    y += kRowStep;
    for (std::size_t i = 0; i < people.size(); ++i) {
        body.Draw(people[i].name, w * kLeft + 24.0f, y, kWhite);
        body.Draw(i == 0 ? "host" : PingText(people[i].pingMs), w * kValue + 140.0f, y, kDimColour);
        y += kRowStep;
    }
    if (people.empty()) body.Draw("(the host has not said yet)", w * kLeft + 24.0f, y, kDimColour);
}

float OnlineLobby::DrawOnlySeat(std::size_t peopleHere, float y) {
    if (peopleHere < 2) return y;
    const std::string others = peopleHere == 2 ? "2P waits" : "2P-" + std::to_string(peopleHere) + "P wait";
    body.DrawCentred("Online: only 1P races from this machine; " + others + " here for the next race.",
                     ScreenWidth() * 0.5f, y, kHintColour);
    return y + kRowStep * 1.5f;
}

void OnlineLobby::Draw(std::size_t peopleHere) {
    if (page == Page::Closed) return;
    MapManager::Instance().DrawDim(kDim);
    const float w = ScreenWidth();
    float y = kTop + 76.0f;
    std::string keys;
    switch (page) {
    case Page::Closed: return;
    case Page::Choose: {
        heading.DrawCentred("ONLINE", w * 0.5f, kTop, kHeadingColour);
        const char* rows[] = {"Host a race", "Join a race"};
        for (int row = 0; row < 2; ++row) {
            const D3DCOLOR colour = row == chosen ? kChosen : kWhite;
            if (row == chosen) body.Draw(">", w * kLeft - 30.0f, y, colour);
            body.Draw(rows[row], w * kLeft, y, colour);
            y += kRowStep;
        }
        y += kRowStep * 0.5f;
        const std::string name =
            session->onlineName.empty() ? "Player N (--name or [network] name)" : session->onlineName;
        body.Draw("Your name:", w * kLeft, y, kDimColour);
        body.Draw(name, w * kValue, y, kWhite);
        y += kRowStep;
        keys = "Up/Down: choose    Enter: go    Escape: back to the title";
        break;
    }
    case Page::Host: {
        heading.DrawCentred("ONLINE: HOST", w * 0.5f, kTop, kHeadingColour);
        body.Draw("Hosting on UDP port " + std::to_string(session->lobby ? session->lobby->Port() : 0) +
                      ": the others join this machine's address",
                  w * kLeft, y, kDimColour);
        y += kRowStep * 1.5f;
        const std::string rows[2][2] = {{"Course", "<  " + CourseList::Instance().Selected().name + "  >"},
                                        {"Level", "<  " + LevelText() + "  >"}};
        for (int row = 0; row < 2; ++row) {
            const D3DCOLOR colour = row == chosen ? kChosen : kWhite;
            if (row == chosen) body.Draw(">", w * kLeft - 30.0f, y, colour);
            body.Draw(rows[row][0], w * kLeft, y, colour);
            body.Draw(rows[row][1], w * kValue, y, colour);
            y += kRowStep;
        }
        y += kRowStep * 0.5f;
        DrawPeople(y);
        y += kRowStep * (net::kMostPeople + 1.5f);
        y = DrawOnlySeat(peopleHere, y);
        keys = "Up/Down: choose    Left/Right: change    Enter: start the race    Escape: stop hosting";
        break;
    }
    case Page::Address: {
        heading.DrawCentred("ONLINE: JOIN", w * 0.5f, kTop, kHeadingColour);
        body.Draw("The host's address (HOST or HOST:PORT; the port is 47031 unless given):", w * kLeft, y, kDimColour);
        y += kRowStep * 1.5f;
        const bool caret = (frames / 30) % 2 == 0;
        body.Draw("> " + address + (caret ? "_" : ""), w * kLeft, y, kChosen);
        y += kRowStep * 2.0f;
        y = DrawOnlySeat(peopleHere, y);
        keys = "Type the address    Backspace: erase    Enter: join    Escape: back";
        break;
    }
    case Page::Joining:
    case Page::Joined: {
        heading.DrawCentred("ONLINE: JOIN", w * 0.5f, kTop, kHeadingColour);
        if (page == Page::Joining) {
            const std::uint32_t seconds = frames / kFramesPerSecond;
            body.Draw("Knocking at " + joining + std::string(1 + (frames / 20) % 3, '.') + "  (" +
                          std::to_string(seconds) + " s)",
                      w * kLeft, y, kWhite);
            y += kRowStep * 2.0f;
            y = DrawOnlySeat(peopleHere, y);
            keys = "Escape: give up";
            break;
        }
        body.Draw("In the race at " + joining + ": waiting for the host to start", w * kLeft, y, kWhite);
        y += kRowStep * 1.5f;
        DrawPeople(y);
        y += kRowStep * (net::kMostPeople + 1.5f);
        y = DrawOnlySeat(peopleHere, y);
        keys = "Escape: leave";
        break;
    }
    }
    hint.DrawCentred(keys, w * 0.5f, y + 14.0f, kHintColour);
    // A refusal's reason comes from the other machine: one line of it at most.
    if (!message.empty())
        body.DrawCentred(message.size() > kMostShown ? message.substr(0, kMostShown) + "..." : message, w * 0.5f,
                         y + 50.0f, kTroubleColour);
}
