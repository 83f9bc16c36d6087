// UdpHost over ENet: one ENet host, its peers named by their slot in the host's peer array.
#include "platform/net/udp_host.h"

#include <enet/enet.h>

#include <deque>
#include <map>
#include <mutex>
#include <unordered_set>

namespace platform::net {

namespace {
constexpr std::size_t kChannels = 2;
// A peer that has not acknowledged anything for this long is gone.
constexpr enet_uint32 kPeerTimeoutMs = 5000;

bool StartEnet(std::string* error) {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] { started = enet_initialize() == 0; });
    if (!started && error) *error = "the network library could not start";
    return started;
}

// A datagram older than this (by the send times it carries) is dropped unread.
constexpr enet_uint16 kStaleMs = 3000;

// The age in ms of a 16-bit send time against a newer 16-bit clock (wrapping every 65.5 s).
enet_uint16 Age(enet_uint16 now, enet_uint16 then) { return static_cast<enet_uint16>(now - then); }

enet_uint16 Read16(const enet_uint8* at) { return static_cast<enet_uint16>((at[0] << 8) | at[1]); }

// The size of each ENet command before its data, by command number.
std::size_t CommandSize(unsigned command) {
    switch (command) {
    case ENET_PROTOCOL_COMMAND_ACKNOWLEDGE: return sizeof(ENetProtocolAcknowledge);
    case ENET_PROTOCOL_COMMAND_CONNECT: return sizeof(ENetProtocolConnect);
    case ENET_PROTOCOL_COMMAND_VERIFY_CONNECT: return sizeof(ENetProtocolVerifyConnect);
    case ENET_PROTOCOL_COMMAND_DISCONNECT: return sizeof(ENetProtocolDisconnect);
    case ENET_PROTOCOL_COMMAND_PING: return sizeof(ENetProtocolPing);
    case ENET_PROTOCOL_COMMAND_SEND_RELIABLE: return sizeof(ENetProtocolSendReliable);
    case ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE: return sizeof(ENetProtocolSendUnreliable);
    case ENET_PROTOCOL_COMMAND_SEND_FRAGMENT: return sizeof(ENetProtocolSendFragment);
    case ENET_PROTOCOL_COMMAND_SEND_UNSEQUENCED: return sizeof(ENetProtocolSendUnsequenced);
    case ENET_PROTOCOL_COMMAND_BANDWIDTH_LIMIT: return sizeof(ENetProtocolBandwidthLimit);
    case ENET_PROTOCOL_COMMAND_THROTTLE_CONFIGURE: return sizeof(ENetProtocolThrottleConfigure);
    case ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE_FRAGMENT: return sizeof(ENetProtocolSendFragment);
    default: return 0;
    }
}

// Datagrams played again, or arriving seconds late, are dropped before ENet reads them. ENet drops
// the commands of a replay but still believes the send times in it: an old acknowledgement tells it
// the round trip is seconds long, and it echoes an old reliable datagram's send time back, which
// tells the far end the same. It then throttles the controls and waits so long to resend a lost
// reliable message that the peer times out. A late or repeated datagram carries nothing the race
// can use: its controls are stale and its reliable messages were sent again long ago.
class Replays {
public:
    bool Drop(const ENetAddress& from, const enet_uint8* data, std::size_t size, enet_uint32 nowMs, bool checksum) {
        return Stale(data, size, nowMs, checksum) || Seen(from, data, size);
    }

private:
    // True when this datagram from this address came before (the newest kKept are remembered).
    bool Seen(const ENetAddress& from, const enet_uint8* data, std::size_t size) {
        std::uint64_t hash = 14695981039346656037ull;
        auto mix = [&hash](std::uint8_t byte) { hash = (hash ^ byte) * 1099511628211ull; };
        for (std::size_t i = 0; i < 4; ++i) mix(static_cast<std::uint8_t>(from.host >> (8 * i)));
        mix(static_cast<std::uint8_t>(from.port));
        mix(static_cast<std::uint8_t>(from.port >> 8));
        for (std::size_t i = 0; i < size; ++i) mix(data[i]);
        if (!known.insert(hash).second) return true;
        order.push_back(hash);
        if (order.size() > kKept) {
            known.erase(order.front());
            order.pop_front();
        }
        return false;
    }

    // True when the datagram acknowledges something this end sent seconds ago (the time is this
    // end's own, 16 bits of milliseconds). Only acknowledgements are judged: a datagram's own send
    // time is the sender's clock, and this end's pauses (starting, a busy machine) would make every
    // datagram queued meanwhile look late. A dropped acknowledgement of a real message costs a resend.
    bool Stale(const enet_uint8* data, std::size_t size, enet_uint32 nowMs, bool checksum) {
        const auto now = static_cast<enet_uint16>(nowMs);
        if (size < 2) return false;
        const enet_uint16 peerId = Read16(data);
        if (peerId & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED) return false;
        std::size_t at = (peerId & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) ? 4 : 2;
        if (checksum) at += sizeof(enet_uint32);
        while (at + sizeof(ENetProtocolCommandHeader) <= size) {
            const unsigned command = data[at] & ENET_PROTOCOL_COMMAND_MASK;
            const std::size_t length = CommandSize(command);
            if (length == 0 || at + length > size) return false; // ENet itself refuses the rest
            const ENetProtocol* body = reinterpret_cast<const ENetProtocol*>(data + at);
            if (command == ENET_PROTOCOL_COMMAND_ACKNOWLEDGE) {
                const enet_uint16 acked = ENET_NET_TO_HOST_16(body->acknowledge.receivedSentTime);
                if (Age(now, acked) > kStaleMs) return true; // an acknowledgement is never of the future
            }
            at += length;
            if (command == ENET_PROTOCOL_COMMAND_SEND_RELIABLE)
                at += ENET_NET_TO_HOST_16(body->sendReliable.dataLength);
            else if (command == ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE)
                at += ENET_NET_TO_HOST_16(body->sendUnreliable.dataLength);
            else if (command == ENET_PROTOCOL_COMMAND_SEND_UNSEQUENCED)
                at += ENET_NET_TO_HOST_16(body->sendUnsequenced.dataLength);
            else if (command == ENET_PROTOCOL_COMMAND_SEND_FRAGMENT ||
                     command == ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE_FRAGMENT)
                at += ENET_NET_TO_HOST_16(body->sendFragment.dataLength);
        }
        return false;
    }

    // Minutes of datagrams from five machines; what is older than that may be heard again.
    static constexpr std::size_t kKept = 1 << 16;
    std::unordered_set<std::uint64_t> known;
    std::deque<std::uint64_t> order;
};

// ENet's intercept callback has no user pointer: each host's replays, by host.
std::mutex replaysLock;
std::map<const ENetHost*, Replays>& ReplaysByHost() {
    static std::map<const ENetHost*, Replays> byHost;
    return byHost;
}

int ENET_CALLBACK DropReplays(ENetHost* host, ENetEvent*) {
    std::lock_guard<std::mutex> lock(replaysLock);
    return ReplaysByHost()[host].Drop(host->receivedAddress, host->receivedData, host->receivedDataLength,
                                      host->serviceTime, host->checksum != nullptr)
               ? 1
               : 0;
}

// ENet slows a peer's unreliable packets when its round trip rises; a late control is still worth
// more than none to a rollback race, and the controls are small. Their throttle never falls.
// Once connected: before, ENet would send the setting ahead of the connection.
void KeepControlsFlowing(ENetPeer* peer) {
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_ACCELERATION, 0);
}
} // namespace

struct UdpHost::State {
    ENetHost* host = nullptr;
    std::uint64_t sent = 0; // what ENet counted before its own counter was last emptied

    ENetPeer* Peer(std::uint32_t slot) const {
        if (!host || slot >= host->peerCount) return nullptr;
        return &host->peers[slot];
    }
    std::uint32_t Slot(const ENetPeer* peer) const { return static_cast<std::uint32_t>(peer - host->peers); }

    bool Create(const ENetAddress* address, std::size_t peers, std::string* error) {
        if (!StartEnet(error)) return false;
        host = enet_host_create(address, peers, kChannels, 0, 0);
        if (!host) {
            if (error)
                *error = address ? "cannot listen on port " + std::to_string(address->port) : "cannot open a socket";
            return false;
        }
        host->checksum = enet_crc32;
        host->maximumPacketSize = kMostPacket;
        host->maximumWaitingData = 4 * kMostPacket;
        host->duplicatePeers = peers; // machines on one address (tests, a LAN behind one router) are fine
        host->intercept = DropReplays;
        return true;
    }
};

UdpHost::UdpHost() : state(std::make_unique<State>()) {}

UdpHost::~UdpHost() {
    if (!state->host) return;
    {
        std::lock_guard<std::mutex> lock(replaysLock);
        ReplaysByHost().erase(state->host);
    }
    enet_host_destroy(state->host);
}

bool UdpHost::Listen(const std::string& address, std::uint16_t port, std::size_t mostPeers, std::string* error) {
    if (!StartEnet(error)) return false;
    ENetAddress where{};
    where.host = ENET_HOST_ANY;
    where.port = port;
    if (!address.empty() && enet_address_set_host_ip(&where, address.c_str()) != 0) {
        if (error) *error = "not an address: " + address;
        return false;
    }
    return state->Create(&where, mostPeers, error);
}

bool UdpHost::Connect(const std::string& host, std::uint16_t port, std::string* error) {
    if (!StartEnet(error)) return false;
    ENetAddress where{};
    if (enet_address_set_host(&where, host.c_str()) != 0) {
        if (error) *error = "cannot find the machine " + host;
        return false;
    }
    where.port = port;
    if (!state->Create(nullptr, 1, error)) return false;
    ENetPeer* peer = enet_host_connect(state->host, &where, kChannels, 0);
    if (!peer) {
        if (error) *error = "cannot connect to " + host;
        return false;
    }
    enet_peer_timeout(peer, 0, kPeerTimeoutMs, kPeerTimeoutMs);
    return true;
}

bool UdpHost::Service(Event* event, std::uint32_t timeoutMs) {
    if (!state->host) return false;
    ENetEvent raw;
    for (;;) {
        const int got = enet_host_service(state->host, &raw, timeoutMs);
        if (got <= 0) return false;
        event->peer = state->Slot(raw.peer);
        switch (raw.type) {
        case ENET_EVENT_TYPE_CONNECT:
            enet_peer_timeout(raw.peer, 0, kPeerTimeoutMs, kPeerTimeoutMs);
            KeepControlsFlowing(raw.peer);
            event->kind = Event::Kind::Connected;
            event->data.clear();
            return true;
        case ENET_EVENT_TYPE_DISCONNECT:
            event->kind = Event::Kind::Disconnected;
            event->data.clear();
            return true;
        case ENET_EVENT_TYPE_RECEIVE:
            event->kind = Event::Kind::Received;
            event->channel = raw.channelID == 0 ? Channel::Reliable : Channel::Inputs;
            event->data.assign(reinterpret_cast<const char*>(raw.packet->data), raw.packet->dataLength);
            enet_packet_destroy(raw.packet);
            return true;
        case ENET_EVENT_TYPE_NONE: return false;
        }
        timeoutMs = 0;
    }
}

void UdpHost::Send(std::uint32_t peer, Channel channel, const std::string& bytes) {
    ENetPeer* to = state->Peer(peer);
    if (!to || to->state != ENET_PEER_STATE_CONNECTED || bytes.size() > kMostPacket) return;
    const enet_uint32 flags = channel == Channel::Reliable ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (packet && enet_peer_send(to, static_cast<enet_uint8>(channel), packet) != 0) enet_packet_destroy(packet);
}

void UdpHost::Flush() {
    if (state->host) enet_host_flush(state->host);
}

void UdpHost::Disconnect(std::uint32_t peer) {
    // Later: what is already queued for the peer (a refusal's reason) still goes out first.
    if (ENetPeer* to = state->Peer(peer)) enet_peer_disconnect_later(to, 0);
}

void UdpHost::DisconnectNow(std::uint32_t peer) {
    if (ENetPeer* to = state->Peer(peer)) enet_peer_disconnect_now(to, 0);
}

std::uint32_t UdpHost::RoundTripMs(std::uint32_t peer) const {
    const ENetPeer* to = state->Peer(peer);
    return to ? to->roundTripTime : 0;
}

std::uint16_t UdpHost::Port() const {
    if (!state->host) return 0;
    ENetAddress bound{};
    if (enet_socket_get_address(state->host->socket, &bound) != 0) return state->host->address.port;
    return bound.port;
}

std::uint64_t UdpHost::BytesSent() const {
    if (!state->host) return state->sent;
    state->sent += state->host->totalSentData;
    state->host->totalSentData = 0;
    return state->sent;
}

} // namespace platform::net
