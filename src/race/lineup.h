// Lineup: the people at the game, one seat each. 1P flies with keyboard set 1 and every pad nobody
// else has joined with (so a lone player plays as always); the others join on keyboard set 2 or a
// pad of their own. The title asks who wants to join; the race gives each seat a racer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "race/seat.h"

namespace race {

// What a person plays with.
struct SeatDevice {
    enum class Kind : std::uint8_t { Keyboard, SecondKeyboard, Pad };
    Kind kind = Kind::Keyboard;
    int pad = 0; // 0..3 for a pad (shown as 1..4)

    bool operator==(const SeatDevice&) const = default;
    // "keyboard", "keyboard 2", "pad 1"
    std::string Name() const;
};

class Lineup {
public:
    static constexpr std::size_t kMostSeats = 4;

    Lineup();

    std::size_t Count() const { return count; }
    Seat& At(std::size_t seat) { return entries[seat].seat; }
    const SeatDevice& DeviceOf(std::size_t seat) const { return entries[seat].device; }
    // The seat playing with `device`, if one does.
    std::optional<std::size_t> SeatOf(const SeatDevice& device) const;
    // A keyboard seat, or a pad seat whose pad is plugged in.
    bool Connected(std::size_t seat) const;

    // A new seat on a free device; false when every seat is taken or the device is.
    bool Join(const SeatDevice& device);
    // `count` - 1 more seats, in order: keyboard set 2, then pads 1, 2, ...
    void JoinInOrder(std::size_t people);
    // Seat `seat` (not 1P) leaves; the seats after it move up one.
    void Leave(std::size_t seat);
    // Back to 1P alone.
    void Reset();

    // Once a frame, after the key events: every seat.
    void Poll();
    // A free device asking to join since the last call (once a frame on the title): Enter of
    // keyboard set 2, A on a free pad, or Start on a free pad that is not 1P's own (1P's own pad is
    // the lowest-numbered plugged-in pad nobody else has; its Start is 1P's Enter). The press is taken.
    std::optional<SeatDevice> JoinRequest();
    // A new screen starts: keys held now do nothing until released, on every seat.
    void ForgetHeld();

private:
    struct Entry {
        SeatDevice device;
        Seat seat;
    };
    static platform::input::Source SourceOf(const SeatDevice& device);
    // 1P's keys: set 1 and the pads no other seat plays with.
    void Refit();
    std::optional<int> OwnPadOf1P() const;
    void PollWatchers();

    std::array<Entry, kMostSeats> entries;
    std::size_t count = 1;
    // Free devices' keys, watched for a join.
    Seat secondKeyboard{SourceOf({SeatDevice::Kind::SecondKeyboard, 0})};
    std::array<Seat, platform::input::kPads> pads;
};

} // namespace race
