// The online race's messages and their bytes: a compact little-endian layout, and a reader that
// checks every field (sizes, counts, seats, update numbers, control values) before anything uses
// it, so a damaged, foreign or hostile packet is refused whole and changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "race/controls.h"

namespace net {

inline constexpr std::uint8_t kProtocolVersion = 2;
// People in one race (one per machine); seat 0 is the host's.
inline constexpr std::uint8_t kMostPeople = 5;
inline constexpr std::size_t kMostName = 24;
inline constexpr std::size_t kMostCourses = 64;
// A machine sends the controls of each seat for at most this many updates in one message.
inline constexpr std::uint32_t kMostUpdatesPerMessage = 64;
inline constexpr std::size_t kMostRuns = 64;
inline constexpr std::size_t kMostReason = 400;
inline constexpr std::size_t kMostStateBytes = 16 * 1024;
// No update number of a race comes near this (a day of racing is 5.4 million).
inline constexpr std::uint32_t kMostUpdate = 1u << 30;

// Controls as they travel: the presses as bits, turn and pitch in 127ths. A machine races its own
// seat with the same rounded values, so every machine steps the very same floats.
struct WireControls {
    std::uint8_t bits = 0; // 1 throttle, 2 boost, 4 toggle pilot, 8 swap nose
    std::int8_t turn = 0;  // -127..127
    std::int8_t pitch = 0;

    bool operator==(const WireControls&) const = default;
};
WireControls ToWire(const race::Controls& controls);
race::Controls FromWire(const WireControls& wire);

// Client to host, first thing: who is knocking and what it can race.
struct Hello {
    std::uint8_t protocol = kProtocolVersion; // travels in the message's head
    std::string gameVersion;
    std::string name;
    std::uint64_t flight = 0; // the flight's fingerprint (content_checksum.h)
    struct CourseSum {
        std::string id;
        std::uint64_t checksum = 0;
    };
    std::vector<CourseSum> courses;
};
// Host to client: you are in, flying this seat.
struct Welcome {
    std::uint8_t seat = 0;
};
// Either way: no (the reason, for a person to read), and the link closes.
struct Refuse {
    std::string reason;
};
// Host to every client: the race begins; the same seed, course and grid everywhere.
struct Start {
    std::string course;
    std::uint8_t difficulty = 1; // easy, normal, hard
    std::uint64_t seed = 1;
    std::vector<std::string> names; // by seat; its size is the number of people
};
// Controls of one seat for the updates first .. first + total - 1, as runs of equal controls.
struct SeatInputs {
    std::uint8_t seat = 0;
    std::uint32_t reached = 0; // the update the seat's machine is thought to be at now
    std::uint32_t first = 1;
    struct Run {
        std::uint8_t length = 1;
        WireControls controls;
    };
    std::vector<Run> runs;
    std::uint32_t Total() const;
};
// Either way, unreliably, every update: controls for the last updates the other end lacks.
struct Inputs {
    std::uint32_t ack = 0; // the sender has every controls it needs up to this update
    std::vector<SeatInputs> seats;
};
// The hash of a confirmed update (every 30th).
struct HashCheck {
    std::uint32_t update = 0;
    std::uint64_t hash = 0;
};
// Host to clients: the seat's machine is gone; from `after` + 1 on its racer flies itself.
struct SeatLeft {
    std::uint8_t seat = 0;
    std::uint32_t after = 0;
};
// Either way after a hash mismatch: the sender's state of that update, for the report.
struct DesyncState {
    std::uint32_t update = 0;
    std::string bytes;
};

// Host to every welcomed machine before the race: who is in, and each one's round trip to the host.
struct Roster {
    struct Person {
        std::string name;
        std::uint16_t pingMs = 0;
    };
    std::vector<Person> people; // 1 to kMostPeople, the host first
};

using Message = std::variant<Hello, Welcome, Refuse, Start, Inputs, HashCheck, SeatLeft, DesyncState, Roster>;

std::string Encode(const Message& message);
// The message the bytes hold, or nothing with the reason in `error`.
std::optional<Message> Decode(const std::string& bytes, std::string* error = nullptr);

} // namespace net
