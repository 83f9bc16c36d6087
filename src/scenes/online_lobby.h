// The title's Online screen over the darkened title: host a race (its port, who has joined and
// their round trips, the course and level; Enter starts) or join one (an address typed in, the
// last one offered; the knock's progress or refusal; who is in, until the host starts). Escape
// goes back a step, closing any link the screen opened. The link is the one --host and --join open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/settings/settings_in_force.h"
#include "race/seat.h"
#include "scenes/race_session.h"
#include "scenes/screen_text.h"

struct RaceSeeds;

class OnlineLobby {
public:
    void Open(RaceSession& session, SettingsInForce& settings);
    bool IsOpen() const { return page != Page::Closed; }
    // One frame of keys and of the link; true once the race is agreed (session.online is set) and
    // the race scene should start.
    bool Update(race::Seat& seat, RaceSeeds* seeds);
    // Inside the scene's sprite batch; peopleHere: how many have joined at this screen on the title.
    void Draw(std::size_t peopleHere);

    enum class Page { Closed, Choose, Host, Address, Joining, Joined };
    Page Shown() const { return page; }

private:
    void UpdateChoose(race::Seat& seat);
    bool UpdateHost(race::Seat& seat, RaceSeeds* seeds);
    void UpdateAddress(race::Seat& seat);
    bool UpdateJoined(race::Seat& seat);
    void Type();
    void StartHosting();
    void Knock();
    // Closes the link (if any) and shows `to`, with `why` under it.
    void Leave(Page to, const std::string& why);
    void DrawPeople(float y);
    // Online a machine races one seat: the others joined at its screen hear so.
    float DrawOnlySeat(std::size_t peopleHere, float y);
    std::string LevelText() const;

    Page page = Page::Closed;
    RaceSession* session = nullptr;
    SettingsInForce* inForce = nullptr;
    int chosen = 0; // Choose: host or join; Host: the course or the level row
    std::string address;
    std::string joining; // the address being knocked at
    std::string message;
    std::uint32_t frames = 0; // on this page, for the knock's dots
    ScreenText heading{44};
    ScreenText body{26};
    ScreenText hint{21};
};
