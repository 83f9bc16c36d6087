// NetRace: the link, the handshake and the paced rollback race. The host relays: a joined machine
// hears only the host, which sends every seat's controls on to the others.
#include "net/net_race.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "net/desync_report.h"
#include "platform/fs/atomic_write.h"

namespace net {

namespace {
using platform::net::Channel;
using platform::net::Event;
constexpr std::uint32_t kUpdateMs = race::kUpdateMs;
constexpr std::uint64_t kConnectMs = 10000;
constexpr std::uint64_t kLobbyMs = 120000;
// A machine this far behind its schedule stops trying to catch up and goes on from now.
constexpr std::uint64_t kMostBehindMs = 5 * kUpdateMs;
// A machine ahead of the slowest by this many updates stretches its next update by kNudgeMs.
constexpr std::uint32_t kNudgeAhead = 2;
constexpr std::uint64_t kNudgeMs = 2;
constexpr std::uint64_t kReportWaitMs = 3000;
// With nothing new to say, controls still go out every this many updates (the others' acknowledgements
// and their count of this machine's updates ride on them).
constexpr std::uint32_t kQuietSendEvery = 4;

std::string SeatName(const std::string& name, std::uint8_t seat) {
    return name.empty() ? "Player " + std::to_string(seat + 1) : name;
}
} // namespace

NetRace::NetRace(NetOptions chosen) : options(std::move(chosen)), epoch(std::chrono::steady_clock::now()) {
    options.inputDelay = std::min(options.inputDelay, kMostInputDelay);
}

NetRace::~NetRace() = default;

std::uint64_t NetRace::NowMs() const {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - epoch).count());
}

std::unique_ptr<NetRace> NetRace::Connect(const NetOptions& options, std::string* error) {
    std::unique_ptr<NetRace> net(new NetRace(options));
    if (options.hosting) {
        if (!net->link.Listen(options.address, options.port, kMostConnections, error)) return nullptr;
        net->names = {SeatName(options.name, 0)};
        return net;
    }
    if (!net->link.Connect(options.address, options.port, error)) return nullptr;
    net->knockUntilMs = net->NowMs() + kConnectMs;
    return net;
}

std::unique_ptr<NetRace> NetRace::Open(const NetOptions& options, std::string* error) {
    std::unique_ptr<NetRace> net = Connect(options, error);
    if (!net || options.hosting) return net;
    while (net->Knock() == Stage::Connecting) {
        net->Pump(20);
        net->Poll();
    }
    if (net->Knock() == Stage::Failed) {
        if (error) *error = net->failure;
        return nullptr;
    }
    return net;
}

std::string NetRace::Where() const { return options.address + ":" + std::to_string(options.port); }

NetRace::Stage NetRace::Knock() const {
    if (options.hosting || (!peers.empty() && peers[0].welcomed)) return Stage::Welcomed;
    return failure.empty() ? Stage::Connecting : Stage::Failed;
}

void NetRace::Poll() {
    Pump(0);
    if (options.hosting) {
        SendRoster();
        return;
    }
    if (Knock() != Stage::Connecting) return;
    const bool connected = !peers.empty() && peers[0].connected;
    if (connected && !helloSent) {
        helloSent = true;
        Send(0, Hello{kProtocolVersion, options.gameVersion, options.name, options.flight, options.courses},
             Channel::Reliable);
        link.Flush();
    }
    // A link that closes before it ever opened was never answered.
    if (!refusedBecause.empty())
        failure = helloSent ? Where() + " refused: " + refusedBecause : "no answer from " + Where();
    else if (NowMs() >= knockUntilMs)
        failure = connected ? Where() + " did not welcome this machine" : "no answer from " + Where();
}

// Before the race the host tells every machine who is in whenever that changes, and once a second
// for the round trips.
void NetRace::SendRoster() {
    if (started) return;
    const std::vector<Person> people = Lobby();
    const std::uint64_t now = NowMs();
    if (people.size() == rosterSize && now - rosterAtMs < 1000) return;
    rosterSize = people.size();
    rosterAtMs = now;
    Roster message;
    for (const Person& person : people)
        message.people.push_back(
            {person.name, static_cast<std::uint16_t>(std::min<std::uint32_t>(person.pingMs, 65535))});
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
        if (peers[slot].welcomed) Send(slot, message, Channel::Reliable);
    link.Flush();
}

std::vector<NetRace::Person> NetRace::Lobby() const {
    if (!options.hosting) return roster;
    std::vector<Person> people = {{SeatName(options.name, 0), 0}};
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
        if (peers[slot].welcomed) people.push_back({peers[slot].name, link.RoundTripMs(slot)});
    return people;
}

// ---- the link ---------------------------------------------------------------------------------

void NetRace::Send(std::uint32_t slot, const Message& message, Channel channel) {
    link.Send(slot, channel, Encode(message));
}

void NetRace::Pump(std::uint32_t waitMs) {
    Event event;
    bool first = true;
    while (link.Service(&event, first ? waitMs : 0)) {
        first = false;
        Handle(event);
    }
    if (session) CheckSilence();
}

void NetRace::Handle(const Event& event) {
    if (event.peer >= kMostConnections) return;
    if (peers.size() <= event.peer) peers.resize(event.peer + 1);
    Peer& peer = peers[event.peer];
    const std::uint64_t now = NowMs();
    switch (event.kind) {
    case Event::Kind::Connected:
        peer = Peer{};
        peer.connected = true;
        peer.lastHeardMs = peer.windowStartMs = now;
        return;
    case Event::Kind::Disconnected: {
        const bool wasWelcomed = peer.welcomed;
        peer.connected = false;
        peer.welcomed = false;
        if (!options.hosting) {
            if (started) overBecause = "The host left: the race is over.";
            else if (refusedBecause.empty()) refusedBecause = "the host closed the link";
        } else if (wasWelcomed && started) {
            SeatGone(peer.seat);
        }
        return;
    }
    case Event::Kind::Received: break;
    }
    if (!peer.connected) return;
    // A peer that floods is not read: past the limit its messages are dropped unopened.
    if (now - peer.windowStartMs >= 1000) {
        peer.windowStartMs = now;
        peer.windowMessages = 0;
    }
    if (++peer.windowMessages > kMostMessagesPerSecond) return;
    std::optional<Message> message = Decode(event.data);
    if (!message) return;
    peer.lastHeardMs = now;
    HandleMessage(event.peer, std::move(*message));
}

void NetRace::HandleMessage(std::uint32_t slot, Message&& message) {
    Peer& peer = peers[slot];
    if (options.hosting) {
        if (auto* hello = std::get_if<Hello>(&message)) {
            // A second hello, replayed or not, changes nothing: not the seat, not a refusal.
            if (!peer.greeted) OnHello(slot, *hello);
            peer.greeted = true;
            return;
        }
        if (!peer.welcomed || !session) return;
        if (auto* inputs = std::get_if<Inputs>(&message)) OnInputs(slot, *inputs);
        else if (auto* check = std::get_if<HashCheck>(&message)) session->CheckHash(slot, *check);
        else if (auto* state = std::get_if<DesyncState>(&message)) OnDesyncState(*state);
        return;
    }
    if (slot != 0) return;
    if (auto* welcome = std::get_if<Welcome>(&message)) {
        if (!started) {
            peer.welcomed = true;
            localSeat = welcome->seat;
        }
    } else if (auto* refuse = std::get_if<net::Refuse>(&message)) {
        refusedBecause = refuse->reason;
        if (started) overBecause = "The host ended the race: " + refuse->reason;
    } else if (auto* start = std::get_if<Start>(&message)) {
        if (!started && peer.welcomed && localSeat < start->names.size() && localSeat > 0) started = *start;
    } else if (auto* told = std::get_if<Roster>(&message)) {
        if (started || !peer.welcomed) return;
        roster.clear();
        for (const Roster::Person& person : told->people) roster.push_back({person.name, person.pingMs});
    } else if (!session) {
        // Controls and hashes before this machine's race has begun are sent again or not needed.
        if (auto* left = std::get_if<SeatLeft>(&message)) earlyLeaves.push_back(*left);
    } else if (auto* inputs = std::get_if<Inputs>(&message)) {
        OnInputs(slot, *inputs);
    } else if (auto* check = std::get_if<HashCheck>(&message)) {
        session->CheckHash(slot, *check);
    } else if (auto* left = std::get_if<SeatLeft>(&message)) {
        ApplyLeave(*left);
    } else if (auto* state = std::get_if<DesyncState>(&message)) {
        OnDesyncState(*state);
    }
}

void NetRace::TurnAway(std::uint32_t slot, const std::string& reason) {
    Send(slot, net::Refuse{reason}, Channel::Reliable);
    link.Flush();
    link.Disconnect(slot);
    peers[slot].welcomed = false;
}

// ---- handshake --------------------------------------------------------------------------------

void NetRace::OnHello(std::uint32_t slot, const Hello& hello) {
    const std::string who = hello.name.empty() ? "a machine" : hello.name;
    std::string why;
    if (hello.protocol != kProtocolVersion)
        why = "the protocol versions differ (host " + std::to_string(kProtocolVersion) + ", joining machine " +
              std::to_string(hello.protocol) + ")";
    else if (hello.gameVersion != options.gameVersion)
        why = "the game versions differ (host " + options.gameVersion + ", joining machine " + hello.gameVersion + ")";
    else if (hello.flight != options.flight)
        why = "the flight differs (the host's build and the joining machine's fly differently)";
    else if (started) why = "a race is under way";
    std::uint8_t seat = 1;
    while (why.empty() && seat < kMostPeople &&
           std::any_of(peers.begin(), peers.end(), [&](const Peer& p) { return p.welcomed && p.seat == seat; }))
        ++seat;
    if (why.empty() && seat >= kMostPeople) why = "the race is full (" + std::to_string(kMostPeople) + " people)";
    if (!why.empty()) {
        std::fprintf(stderr, "orlenda: %s cannot join: %s\n", who.c_str(), why.c_str());
        TurnAway(slot, why);
        return;
    }
    Peer& peer = peers[slot];
    peer.welcomed = true;
    peer.seat = seat;
    peer.hello = hello;
    peer.name = SeatName(hello.name, seat);
    Send(slot, Welcome{seat}, Channel::Reliable);
    std::fprintf(stderr, "orlenda: %s joined\n", peer.name.c_str());
}

std::string NetRace::ContentDifference(const Peer& peer, const Start& start) const {
    std::uint64_t mine = 0;
    for (const Hello::CourseSum& course : options.courses)
        if (course.id == start.course) mine = course.checksum;
    for (const Hello::CourseSum& course : peer.hello.courses) {
        if (course.id != start.course) continue;
        if (course.checksum == mine) return {};
        return "the course " + start.course + " differs (its map or grid is not the same on both machines)";
    }
    return "the course " + start.course + " is missing on the joining machine";
}

bool NetRace::Begin(Start* start, std::string* message) {
    if (started) {
        *start = *started;
        names = start->names;
        return true;
    }
    const std::uint64_t until = NowMs() + kLobbyMs;
    auto welcomed = [&] {
        return static_cast<std::uint32_t>(
            std::count_if(peers.begin(), peers.end(), [](const Peer& p) { return p.welcomed; }));
    };
    if (!options.hosting) {
        while (!started && overBecause.empty() && refusedBecause.empty() && NowMs() < until) Pump(10);
        if (!started) {
            *message =
                refusedBecause.empty() ? "The host did not start a race." : "Cannot race: " + refusedBecause + ".";
            return false;
        }
        *start = *started;
        names = start->names;
        return true;
    }
    while (welcomed() < options.peersWanted && NowMs() < until) {
        Pump(10);
        SendRoster();
    }
    // The course is known now: a machine that has it otherwise is told so and left out.
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot) {
        if (!peers[slot].welcomed) continue;
        const std::string why = ContentDifference(peers[slot], *start);
        if (why.empty()) continue;
        std::fprintf(stderr, "orlenda: %s cannot race: %s\n", peers[slot].name.c_str(), why.c_str());
        notices.push_back(peers[slot].name + " cannot race: " + why);
        TurnAway(slot, why);
    }
    if (welcomed() == 0) {
        *message = notices.empty() ? "Nobody joined the race." : "Nobody can race: " + notices.back() + ".";
        return false;
    }
    // Seats without gaps, in the order the machines joined.
    names = {SeatName(options.name, 0)};
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot) {
        Peer& peer = peers[slot];
        if (!peer.welcomed) continue;
        peer.seat = static_cast<std::uint8_t>(names.size());
        peer.name = SeatName(peer.hello.name, peer.seat);
        names.push_back(peer.name);
        Send(slot, Welcome{peer.seat}, Channel::Reliable);
    }
    start->names = names;
    started = *start;
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
        if (peers[slot].welcomed) Send(slot, *start, Channel::Reliable);
    link.Flush();
    return true;
}

// ---- the race ---------------------------------------------------------------------------------

void NetRace::Race(const race::Course& course, const race::RaceState& grid) {
    session = std::make_unique<Rollback>(course, grid, static_cast<std::uint8_t>(names.size()), localSeat,
                                         options.inputDelay);
    reached.assign(names.size(), Reached{});
    raceStartMs = NowMs();
    nextDueMs = raceStartMs;
    for (Peer& peer : peers) peer.lastHeardMs = raceStartMs;
    for (const SeatLeft& left : std::exchange(earlyLeaves, {})) ApplyLeave(left);
}

void NetRace::ApplyLeave(const SeatLeft& left) {
    if (left.seat == localSeat || left.seat >= names.size() || session->Left(left.seat)) return;
    session->Leave(left.seat, left.after);
    notices.push_back(names[left.seat] + " left");
}

void NetRace::OnInputs(std::uint32_t slot, const Inputs& inputs) {
    Peer& peer = peers[slot];
    peer.ack = std::max(peer.ack, inputs.ack);
    const std::uint64_t now = NowMs();
    for (const SeatInputs& block : inputs.seats) {
        // A joined machine speaks for its own seat only; the host for everyone else's.
        if (options.hosting ? block.seat != peer.seat : block.seat == localSeat) continue;
        if (block.seat >= reached.size()) continue;
        std::uint32_t update = block.first;
        bool fits = true;
        for (const SeatInputs::Run& run : block.runs)
            for (int i = 0; i < run.length && fits; ++i) fits = session->Receive(block.seat, update++, run.controls);
        Reached& r = reached[block.seat];
        if (block.reached <= session->Current() + kInputWindow && (!r.heard || block.reached >= r.update))
            r = Reached{block.reached, now, true};
    }
}

std::uint32_t NetRace::EstimatedUpdate(std::uint8_t seat) const {
    if (seat == localSeat) return session->Current();
    if (seat >= reached.size() || !reached[seat].heard) return 0;
    std::uint32_t roundTrip = 0;
    if (!options.hosting) roundTrip = link.RoundTripMs(0);
    for (std::uint32_t slot = 0; options.hosting && slot < peers.size(); ++slot)
        if (peers[slot].welcomed && peers[slot].seat == seat) roundTrip = link.RoundTripMs(slot);
    const std::uint64_t age = NowMs() - reached[seat].atMs + roundTrip / 2;
    return reached[seat].update + static_cast<std::uint32_t>(age / kUpdateMs);
}

std::uint32_t NetRace::Slowest() const {
    std::uint32_t slowest = kMostUpdate;
    for (std::uint8_t seat = 0; seat < names.size(); ++seat)
        if (seat != localSeat && !session->Left(seat)) slowest = std::min(slowest, EstimatedUpdate(seat));
    return slowest;
}

void NetRace::SendInputsTo(Peer& peer, std::uint32_t slot, Inputs& inputs, bool always) {
    bool due = always || session->Current() % kQuietSendEvery == 0;
    for (const SeatInputs& block : inputs.seats)
        due = due || session->ChangedAfter(block.seat, peer.sentUpTo[block.seat]);
    if (!due) return;
    for (const SeatInputs& block : inputs.seats)
        if (block.Total() > 0)
            peer.sentUpTo[block.seat] = std::max(peer.sentUpTo[block.seat], block.first + block.Total() - 1);
    Send(slot, inputs, Channel::Inputs);
}

void NetRace::SendInputs(bool always) {
    const std::uint8_t people = static_cast<std::uint8_t>(names.size());
    if (!options.hosting) {
        if (peers.empty() || !peers[0].connected) return;
        Inputs inputs;
        inputs.ack = kMostUpdate;
        for (std::uint8_t seat = 0; seat < people; ++seat)
            if (seat != localSeat) inputs.ack = std::min(inputs.ack, session->Known(seat));
        inputs.ack = std::min(inputs.ack, session->Current() + kInputWindow);
        SeatInputs mine = session->InputsFrom(localSeat, peers[0].ack + 1);
        mine.reached = session->Current();
        inputs.seats.push_back(std::move(mine));
        SendInputsTo(peers[0], 0, inputs, always);
        return;
    }
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot) {
        Peer& peer = peers[slot];
        if (!peer.welcomed) continue;
        Inputs inputs;
        inputs.ack = std::min(session->Known(peer.seat), session->Current() + kInputWindow);
        for (std::uint8_t seat = 0; seat < people; ++seat) {
            if (seat == peer.seat) continue;
            SeatInputs theirs = session->InputsFrom(seat, peer.ack + 1);
            theirs.reached = std::min(EstimatedUpdate(seat), kMostUpdate);
            inputs.seats.push_back(std::move(theirs));
        }
        SendInputsTo(peer, slot, inputs, always);
    }
}

void NetRace::SeatGone(std::uint8_t seat) {
    if (!session || seat >= names.size() || seat == localSeat || session->Left(seat)) return;
    const std::uint32_t after = session->Known(seat);
    session->Leave(seat, after);
    notices.push_back(names[seat] + " left");
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
        if (peers[slot].welcomed) Send(slot, SeatLeft{seat, after}, Channel::Reliable);
}

void NetRace::CheckSilence() {
    const std::uint64_t now = NowMs();
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot) {
        Peer& peer = peers[slot];
        if (!peer.welcomed || now - peer.lastHeardMs < kSilenceMs) continue;
        if (!options.hosting) {
            overBecause = "The host has not answered for 5 seconds: the race is over.";
            return;
        }
        peer.welcomed = false;
        link.DisconnectNow(slot);
        SeatGone(peer.seat);
    }
}

bool NetRace::BeforeStep() {
    if (!session) return false;
    ++frames;
    Pump(0);
    for (;;) {
        const auto before = std::chrono::steady_clock::now();
        std::array<D3DXVECTOR3, race::RaceState::kMostRacers> guessed{};
        for (std::size_t i = 0; i < session->State().racerCount; ++i)
            guessed[i] = session->State().racers[i].Position();
        session->Correct();
        if (session->rollbacks > 0) {
            rerunMicros.push_back(static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - before)
                    .count()));
            for (std::size_t i = 0; i < session->State().racerCount; ++i)
                corrections[i] += guessed[i] - session->State().racers[i].Position();
            // An input that came just too late says this machine runs ahead of its sender by a phase
            // the clock estimate cannot see (it is finer than an update): stretch the next update until
            // the others' inputs arrive in time. Deeper rollbacks are the wire's latency, which waiting
            // cannot fix.
            if (options.inputDelay > 0 && session->depth <= options.inputDelay + 1) nextDueMs += kNudgeMs;
        }
        ExchangeHashes();
        if (!overBecause.empty()) return false;
        const std::uint64_t now = NowMs();
        if (now >= nextDueMs) break;
        Pump(static_cast<std::uint32_t>(std::min<std::uint64_t>(nextDueMs - now, kUpdateMs)));
    }
    const std::uint32_t slowest = Slowest();
    if (!session->MayStep(slowest)) {
        SendInputs(true);
        link.Flush();
        // A frame that waits lasts an update, even on the fixed clock.
        const std::uint64_t until = NowMs() + kUpdateMs;
        for (std::uint64_t now = NowMs(); now < until && overBecause.empty(); now = NowMs())
            Pump(static_cast<std::uint32_t>(until - now));
        return false;
    }
    const std::uint64_t now = NowMs();
    nextDueMs = now > nextDueMs + kMostBehindMs ? now : nextDueMs + kUpdateMs;
    if (slowest != kMostUpdate && session->Current() + 1 >= slowest + kNudgeAhead) nextDueMs += kNudgeMs;
    return true;
}

void NetRace::AfterStep() {
    SendInputs(false);
    link.Flush();
}

void NetRace::ExchangeHashes() {
    for (const HashCheck& check : session->TakeHashes())
        for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
            if (peers[slot].welcomed) Send(slot, check, Channel::Reliable);
    const std::optional<std::uint32_t> desync = session->Desync();
    if (!desync) return;
    if (!desyncSent) {
        desyncSent = true;
        desyncAtMs = NowMs();
        std::fprintf(stderr, "orlenda: the machines no longer agree at update %u\n", *desync);
        if (const race::RaceState* mine = session->CheckedState(*desync))
            for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
                if (peers[slot].welcomed) Send(slot, DesyncState{*desync, mine->Save()}, Channel::Reliable);
        link.Flush();
    }
    if (overBecause.empty() && NowMs() - desyncAtMs > kReportWaitMs)
        overBecause = "The machines no longer agree (update " + std::to_string(*desync) +
                      "): the race cannot go on. The other machine's state did not come, so no report was written.";
}

void NetRace::OnDesyncState(const DesyncState& theirs) {
    race::RaceState there;
    if (!there.Load(theirs.bytes)) return;
    const race::RaceState* here = session->CheckedState(theirs.update);
    if (!here) return;
    if (!desyncSent) {
        desyncSent = true;
        desyncAtMs = NowMs();
        for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
            if (peers[slot].welcomed) Send(slot, DesyncState{theirs.update, here->Save()}, Channel::Reliable);
        link.Flush();
    }
    WriteReport(theirs.update, there);
}

void NetRace::WriteReport(std::uint32_t update, const race::RaceState& theirs) {
    const race::RaceState* here = session->CheckedState(update);
    if (!here || !overBecause.empty()) return;
    const std::string other = options.hosting ? "a joined machine" : "the host";
    std::string where = "no report was written (no folder: use --trace or --data-home)";
    if (!options.reportFolder.empty()) {
        const std::string path = options.reportFolder + "/" + DesyncFileName(update);
        std::string error;
        if (platform::fs::WriteFileAtomically(path, DesyncReport(update, *here, names[localSeat], theirs, other),
                                              &error)) {
            reportPath = path;
            where = "the report is " + path;
        } else {
            where = "the report could not be written: " + error;
        }
    }
    overBecause =
        "The machines no longer agree (update " + std::to_string(update) + "): the race cannot go on; " + where + ".";
}

bool NetRace::Over(std::string* why) const {
    if (overBecause.empty()) return false;
    if (why) *why = overBecause;
    return true;
}

void NetRace::Close() {
    if (closed) return;
    closed = true;
    for (std::uint32_t slot = 0; slot < peers.size(); ++slot)
        if (peers[slot].connected) link.Disconnect(slot);
    // A moment for the goodbyes to leave, so the others need not wait out the silence.
    const std::uint64_t until = NowMs() + 200;
    Event event;
    while (NowMs() < until) link.Service(&event, 20);
    if (!options.printStats || !session) return;
    const double seconds = static_cast<double>(NowMs() - raceStartMs) / 1000.0;
    std::vector<std::uint32_t> sorted = rerunMicros;
    sorted.resize(std::max<std::size_t>(sorted.size(), static_cast<std::size_t>(frames)), 0);
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted.empty() ? 0.0 : sorted[sorted.size() * 99 / 100] / 1000.0;
    std::printf("net_updates %u\n", session->Current());
    std::printf("net_confirmed %u %016" PRIx64 "\n", session->Confirmed(), session->ConfirmedHash());
    std::printf("net_rollbacks_per_s %.2f\n",
                seconds > 0 ? static_cast<double>(session->totalRollbacks) / seconds : 0.0);
    std::printf("net_mean_depth %.2f\n", session->totalRollbacks ? static_cast<double>(session->totalDepth) /
                                                                       static_cast<double>(session->totalRollbacks)
                                                                 : 0.0);
    std::printf("net_rerun_ms_p99 %.3f\n", p99);
    std::printf("net_sent_bytes_per_s %.0f\n", seconds > 0 ? static_cast<double>(link.BytesSent()) / seconds : 0.0);
}

} // namespace net
