// NetRace: this machine's part in an online race — the link (a host and up to four joined machines,
// every message through the host), the handshake, and the race itself through Rollback, paced by
// the wall clock: every machine steps an update each 16 ms, waits when it runs too far ahead of the
// slowest, and lets go of a machine that has not been heard for 5 s.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/messages.h"
#include "net/rollback.h"
#include "platform/net/udp_host.h"

namespace net {

inline constexpr std::uint16_t kDefaultPort = 47031;
// Machines that may be connected at once (people, and machines waiting to be told no).
inline constexpr std::size_t kMostConnections = 8;
inline constexpr std::uint32_t kSilenceMs = 5000;
// Messages one peer may send in a second; the rest are dropped unread.
inline constexpr std::uint32_t kMostMessagesPerSecond = 250;

struct NetOptions {
    bool hosting = false;
    std::string address; // the host to join; or the address to listen on ("" for every one)
    std::uint16_t port = kDefaultPort;
    std::string name;
    std::uint32_t inputDelay = 1;
    std::uint32_t peersWanted = 1; // the host starts once this many machines have joined
    std::string gameVersion;
    std::string reportFolder; // where desync reports go ("" : none is written)
    bool printStats = false;  // Close prints the link's figures (--stats)
    std::uint64_t flight = 0;
    std::vector<Hello::CourseSum> courses; // this machine's courses and their checksums
};

class NetRace {
public:
    // Listens (host) or connects and is welcomed (client); nothing, with the reason, when it cannot.
    static std::unique_ptr<NetRace> Open(const NetOptions& options, std::string* error);
    ~NetRace();

    // Before the race: the host waits for the machines it wants and starts them on `start` (its
    // course, difficulty and seed; the names are filled in); a client waits to be told `start`.
    bool Begin(Start* start, std::string* message);
    // The race on its grid: rollback begins.
    void Race(const race::Course& course, const race::RaceState& grid);
    // One frame: hears the others, corrects guesses, and steps one update when it is due (reading
    // this machine's controls then); the update's events, or nothing when no update was due.
    template <typename Read> std::optional<race::RaceEvents> Frame(Read&& readControls) {
        if (!BeforeStep()) return std::nullopt;
        race::RaceEvents events = session->Step(readControls());
        AfterStep();
        return events;
    }

    const race::RaceState& State() const { return session->State(); }
    std::uint8_t LocalSeat() const { return localSeat; }
    bool Hosting() const { return options.hosting; }
    const Rollback* Session() const { return session.get(); }
    // What the player should be told now ("Bo left"), once each.
    std::vector<std::string> TakeNotices() { return std::exchange(notices, {}); }
    // The race cannot go on (the host left, or a desync); `why` is for the player.
    bool Over(std::string* why) const;
    // A desync report was written here (empty: none).
    const std::string& ReportPath() const { return reportPath; }
    // Says goodbye to every machine (once) and prints the link's figures when asked to.
    void Close();
    // The race ended on a hash that differed.
    bool Desynced() const { return session && session->Desync().has_value(); }

private:
    struct Peer {
        bool connected = false;
        bool welcomed = false;
        bool greeted = false; // its hello was heard: a connection says hello once
        std::uint8_t seat = 0;
        std::string name;
        Hello hello;
        std::uint64_t lastHeardMs = 0;
        std::uint64_t windowStartMs = 0;
        std::uint32_t windowMessages = 0;
        std::uint32_t ack = 0; // it has every other seat's controls up to here
    };
    struct Reached {
        std::uint32_t update = 0;
        std::uint64_t atMs = 0;
        bool heard = false;
    };

    explicit NetRace(NetOptions chosen);
    std::uint64_t NowMs() const;
    void Pump(std::uint32_t waitMs);
    void Handle(const platform::net::Event& event);
    void HandleMessage(std::uint32_t slot, Message&& message);
    void OnHello(std::uint32_t slot, const Hello& hello);
    void OnInputs(std::uint32_t slot, const Inputs& inputs);
    void OnDesyncState(const DesyncState& theirs);
    void TurnAway(std::uint32_t slot, const std::string& reason);
    void Send(std::uint32_t slot, const Message& message, platform::net::Channel channel);
    void SendInputs();
    void SeatGone(std::uint8_t seat);
    void ApplyLeave(const SeatLeft& left);
    void CheckSilence();
    std::string ContentDifference(const Peer& peer, const Start& start) const;
    std::uint32_t EstimatedUpdate(std::uint8_t seat) const;
    std::uint32_t Slowest() const;
    bool BeforeStep();
    void AfterStep();
    void ExchangeHashes();
    void WriteReport(std::uint32_t update, const race::RaceState& theirs);

    NetOptions options;
    platform::net::UdpHost link;
    std::vector<Peer> peers; // by slot
    std::uint8_t localSeat = 0;
    std::vector<std::string> names; // by seat
    std::optional<Start> started;
    std::string refusedBecause;
    std::unique_ptr<Rollback> session;
    std::vector<Reached> reached; // by seat
    std::vector<std::string> notices;
    std::string overBecause;
    bool desyncSent = false;
    std::uint64_t desyncAtMs = 0;
    std::vector<SeatLeft> earlyLeaves; // heard before this machine's race began
    std::string reportPath;
    std::chrono::steady_clock::time_point epoch;
    std::uint64_t nextDueMs = 0;
    std::uint64_t raceStartMs = 0;
    std::vector<std::uint32_t> rerunMicros; // each frame's time spent stepping again
    std::uint64_t frames = 0;
    bool closed = false;
};

} // namespace net
