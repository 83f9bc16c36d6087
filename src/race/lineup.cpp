// The seats of the people at the game and the keys each one listens to.
#include "race/lineup.h"

namespace race {

std::string SeatDevice::Name() const {
    switch (kind) {
    case Kind::Keyboard: return "keyboard";
    case Kind::SecondKeyboard: return "keyboard 2";
    case Kind::Pad: break;
    }
    return "pad " + std::to_string(pad + 1);
}

platform::input::Source Lineup::SourceOf(const SeatDevice& device) {
    switch (device.kind) {
    case SeatDevice::Kind::Keyboard: return {0, platform::input::kEveryPad};
    case SeatDevice::Kind::SecondKeyboard: return {1, 0};
    case SeatDevice::Kind::Pad: break;
    }
    return {-1, 1u << device.pad};
}

Lineup::Lineup() {
    for (int pad = 0; pad < platform::input::kPads; ++pad)
        pads[static_cast<std::size_t>(pad)].Listen(SourceOf({SeatDevice::Kind::Pad, pad}));
}

std::optional<std::size_t> Lineup::SeatOf(const SeatDevice& device) const {
    for (std::size_t i = 0; i < count; ++i)
        if (entries[i].device == device) return i;
    return std::nullopt;
}

bool Lineup::Connected(std::size_t seat) const {
    const SeatDevice& device = entries[seat].device;
    return device.kind != SeatDevice::Kind::Pad || platform::input::PadConnected(device.pad);
}

void Lineup::Refit() {
    platform::input::Source keys = SourceOf(entries[0].device);
    for (std::size_t i = 1; i < count; ++i)
        if (entries[i].device.kind == SeatDevice::Kind::Pad) keys.pads &= ~(1u << entries[i].device.pad);
    entries[0].seat.Listen(keys);
}

bool Lineup::Join(const SeatDevice& device) {
    const bool validPad = device.pad >= 0 && device.pad < platform::input::kPads;
    if (count == kMostSeats || SeatOf(device) || device.kind == SeatDevice::Kind::Keyboard ||
        (device.kind == SeatDevice::Kind::Pad && !validPad))
        return false;
    // The device's watcher becomes the seat, its latches with it: the press that asked to join is
    // not taken again.
    Seat& watcher = device.kind == SeatDevice::Kind::Pad ? pads[static_cast<std::size_t>(device.pad)] : secondKeyboard;
    entries[count++] = Entry{device, watcher};
    Refit();
    // A pad's Start that joined also reached 1P as Enter this frame.
    entries[0].seat.ForgetHeld();
    return true;
}

void Lineup::JoinInOrder(std::size_t people) {
    if (count < people) Join({SeatDevice::Kind::SecondKeyboard, 0});
    for (int pad = 0; count < people && pad < platform::input::kPads; ++pad) Join({SeatDevice::Kind::Pad, pad});
    while (count > people && count > 1) Leave(count - 1);
}

void Lineup::Leave(std::size_t seat) {
    if (seat == 0 || seat >= count) return;
    const SeatDevice device = entries[seat].device;
    for (std::size_t i = seat; i + 1 < count; ++i) entries[i] = entries[i + 1];
    --count;
    Seat& watcher = device.kind == SeatDevice::Kind::Pad ? pads[static_cast<std::size_t>(device.pad)] : secondKeyboard;
    watcher.Poll();
    watcher.ForgetHeld();
    Refit();
    entries[0].seat.ForgetHeld();
}

void Lineup::Reset() {
    while (count > 1) Leave(count - 1);
}

void Lineup::Poll() {
    for (std::size_t i = 0; i < count; ++i) entries[i].seat.Poll();
}

void Lineup::PollWatchers() {
    secondKeyboard.Poll();
    for (Seat& pad : pads) pad.Poll();
}

std::optional<int> Lineup::OwnPadOf1P() const {
    for (int pad = 0; pad < platform::input::kPads; ++pad)
        if (platform::input::PadConnected(pad) && !SeatOf({SeatDevice::Kind::Pad, pad})) return pad;
    return std::nullopt;
}

std::optional<SeatDevice> Lineup::JoinRequest() {
    PollWatchers();
    if (count == kMostSeats) return std::nullopt;
    const SeatDevice second{SeatDevice::Kind::SecondKeyboard, 0};
    if (!SeatOf(second) && secondKeyboard.Pressed(VK_RETURN)) return second;
    const std::optional<int> own = OwnPadOf1P();
    for (int pad = 0; pad < platform::input::kPads; ++pad) {
        const SeatDevice device{SeatDevice::Kind::Pad, pad};
        Seat& watcher = pads[static_cast<std::size_t>(pad)];
        if (SeatOf(device)) continue;
        // Both asked, so that a press of the one does not linger for the other. A joins from any
        // free pad; Start from 1P's own pad is 1P's Enter.
        const bool start = watcher.Pressed(VK_RETURN), a = watcher.Pressed(VK_GAMEPAD_A);
        if (a || (start && own != pad)) return device;
    }
    return std::nullopt;
}

void Lineup::ForgetHeld() {
    for (std::size_t i = 0; i < count; ++i) entries[i].seat.ForgetHeld();
    // The watchers are polled only while someone asks who wants to join: what came before is old.
    PollWatchers();
    secondKeyboard.ForgetHeld();
    for (Seat& pad : pads) pad.ForgetHeld();
}

} // namespace race
