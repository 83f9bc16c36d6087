// NetRace: this machine's part in an online race — the link (a host and up to four joined machines,
// every message through the host), the handshake, and the race itself through Rollback, paced by
// the wall clock: every machine steps an update each 16 ms, waits when it runs too far ahead of the
// slowest, and lets go of a machine that has not been heard for 5 s.
#pragma once

#include <array>
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
    // Open without the wait: a client's connection and hello go on in Poll (the lobby's way).
    static std::unique_ptr<NetRace> Connect(const NetOptions& options, std::string* error);
    ~NetRace();

    // ---- before the race, a frame at a time (the lobby) ----
    // Hears the others without waiting: a client says hello once connected; the host tells every
    // joined machine who is in.
    void Poll();
    // A client: still knocking; let in; or turned away (Failure says why, as Open would).
    enum class Stage { Connecting, Welcomed, Failed };
    Stage Knock() const;
    const std::string& Failure() const { return failure; }
    // Who is in now, the host first, each with their round trip to the host (a client: as the host
    // last told it).
    struct Person {
        std::string name;
        std::uint32_t pingMs = 0;
    };
    std::vector<Person> Lobby() const;
    std::uint16_t Port() const { return link.Port(); }
    // The race has been agreed (a client: the host's start came).
    bool Started() const { return started.has_value(); }
    // The host starts with whoever has joined by now instead of waiting for --peers machines.
    void StartWithWhoIsIn() { options.peersWanted = 0; }

    // Before the race: the host waits for the machines it wants and starts them on `start` (its
    // course, difficulty and seed; the names are filled in); a client waits to be told `start`.
    // Once begun, it gives the same start again.
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
    // How far each racer moved when this machine's guesses were corrected since the last call (the
    // racer where it was drawn, less where the race has it now), for drawing only.
    std::array<D3DXVECTOR3, race::RaceState::kMostRacers> TakeCorrections() { return std::exchange(corrections, {}); }
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
        std::uint32_t ack = 0;                             // it has every other seat's controls up to here
        std::array<std::uint32_t, kMostPeople> sentUpTo{}; // each seat's controls sent it so far
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
    // Controls go out when they hold a change the other end has not been sent, else every few
    // updates (what was sent is sent again until acknowledged, so a lost change is soon made good);
    // `always` sends regardless (a machine waiting for the others).
    void SendInputs(bool always);
    void SendInputsTo(Peer& peer, std::uint32_t slot, Inputs& inputs, bool always);
    void SeatGone(std::uint8_t seat);
    void ApplyLeave(const SeatLeft& left);
    void CheckSilence();
    void SendRoster();
    std::string Where() const;
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
    std::string failure; // why a client's knock failed (Stage::Failed)
    bool helloSent = false;
    std::uint64_t knockUntilMs = 0;
    std::vector<Person> roster;   // a client: the host's last word on who is in
    std::uint64_t rosterAtMs = 0; // the host: when it last told everyone
    std::size_t rosterSize = 0;
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
    std::array<D3DXVECTOR3, race::RaceState::kMostRacers> corrections{};
    std::uint64_t frames = 0;
    bool closed = false;
};

} // namespace net
