// UdpHost: one end of the game's network link, over ENet: a reliable ordered channel for the
// handshake and everything that must arrive, and an unreliable sequenced channel for the controls,
// where a late packet is worth nothing and the next one says it again.
//
// Stands in for: enet_host_create, enet_host_service, enet_peer_send and their kin. Peers are
// named by a small number (their slot), never by pointer. Datagrams carry a CRC32, so damaged or
// foreign packets are dropped before anything reads them; a packet bigger than kMostPacket is refused.
// Does not: encrypt, or cross NATs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::net {

enum class Channel : std::uint8_t { Reliable = 0, Inputs = 1 };

inline constexpr std::size_t kMostPacket = 32 * 1024;

struct Event {
    enum class Kind { Connected, Disconnected, Received };
    Kind kind = Kind::Received;
    std::uint32_t peer = 0;
    Channel channel = Channel::Reliable;
    std::string data;
};

class UdpHost {
public:
    UdpHost();
    ~UdpHost();
    UdpHost(const UdpHost&) = delete;
    UdpHost& operator=(const UdpHost&) = delete;

    // Listens on `port` (0: any free one) of `address` ("" for every address) for at most `mostPeers`
    // machines; a further machine is turned away by ENet itself.
    bool Listen(const std::string& address, std::uint16_t port, std::size_t mostPeers, std::string* error);
    // One connection to host:port; its outcome comes as a Connected or Disconnected event.
    bool Connect(const std::string& host, std::uint16_t port, std::string* error);
    // Waits at most `timeoutMs` for one event; false when none came.
    bool Service(Event* event, std::uint32_t timeoutMs);
    void Send(std::uint32_t peer, Channel channel, const std::string& bytes);
    // Sends what is queued now, without waiting for the next Service.
    void Flush();
    // Says goodbye (the peer hears it as a Disconnected event) or drops the peer at once.
    void Disconnect(std::uint32_t peer);
    void DisconnectNow(std::uint32_t peer);
    // The smoothed round trip to a peer, in milliseconds.
    std::uint32_t RoundTripMs(std::uint32_t peer) const;
    // The port this end is bound to (a Listen on port 0 learns it here).
    std::uint16_t Port() const;
    // Bytes handed to the network since the start, ENet's headers included.
    std::uint64_t BytesSent() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace platform::net
