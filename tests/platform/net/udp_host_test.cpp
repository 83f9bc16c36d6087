// Two ends on 127.0.0.1: a connection is made, both channels carry bytes unchanged, a goodbye is
// heard, a packet over the size limit never leaves, and datagrams replayed from the start of a
// connection change nothing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "platform/net/udp_host.h"

namespace {

using platform::net::Channel;
using platform::net::Event;
using platform::net::UdpHost;

// Services both ends until `want` turns up at `at` (or two seconds pass); the other end's events
// are dropped, except that its connection is noted.
bool Await(UdpHost& at, UdpHost& other, Event::Kind want, Event* got, bool* otherConnected = nullptr) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < until) {
        Event seen;
        while (other.Service(&seen, 0))
            if (otherConnected && seen.kind == Event::Kind::Connected) *otherConnected = true;
        if (at.Service(got, 5) && got->kind == want) return true;
    }
    return false;
}

TEST(UdpHost, CarriesBothChannelsAndHearsTheGoodbye) {
    UdpHost server, client;
    std::string error;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0, 8, &error)) << error;
    ASSERT_NE(server.Port(), 0);
    ASSERT_TRUE(client.Connect("127.0.0.1", server.Port(), &error)) << error;
    Event event;
    bool clientConnected = false;
    ASSERT_TRUE(Await(server, client, Event::Kind::Connected, &event, &clientConnected));
    const std::uint32_t peer = event.peer;
    if (!clientConnected) { ASSERT_TRUE(Await(client, server, Event::Kind::Connected, &event)); }

    const std::string binary("a\0b\xff", 4);
    client.Send(0, Channel::Reliable, binary);
    client.Send(0, Channel::Inputs, "inputs");
    client.Send(0, Channel::Inputs, std::string(platform::net::kMostPacket + 1, 'x'));
    client.Flush();
    ASSERT_TRUE(Await(server, client, Event::Kind::Received, &event));
    EXPECT_EQ(event.data, binary);
    EXPECT_EQ(event.channel, Channel::Reliable);
    ASSERT_TRUE(Await(server, client, Event::Kind::Received, &event));
    EXPECT_EQ(event.data, "inputs");
    EXPECT_EQ(event.channel, Channel::Inputs);
    EXPECT_FALSE(Await(server, client, Event::Kind::Received, &event)) << "the oversized packet was sent";
    EXPECT_GT(client.BytesSent(), 0u);

    server.Disconnect(peer);
    EXPECT_TRUE(Await(client, server, Event::Kind::Disconnected, &event));
}

// A UDP forwarder on 127.0.0.1 that keeps everything the joining end sends, to play it again later;
// while `losing`, every third datagram that way is lost (so its replay is its first arrival).
class Recorder {
public:
    explicit Recorder(std::uint16_t serverPort) : front(Open()), back(Open()) { server = Local(serverPort); }
    ~Recorder() {
        close(front);
        close(back);
    }
    std::uint16_t Port() const {
        sockaddr_in bound{};
        socklen_t size = sizeof bound;
        getsockname(front, reinterpret_cast<sockaddr*>(&bound), &size);
        return ntohs(bound.sin_port);
    }
    void Forward() {
        char buffer[65536];
        for (pollfd fd : {pollfd{front, POLLIN, 0}, pollfd{back, POLLIN, 0}}) {
            while (poll(&fd, 1, 0) > 0) {
                sockaddr_in from{};
                socklen_t size = sizeof from;
                const ssize_t n = recvfrom(fd.fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
                if (n < 0) break;
                if (fd.fd == front) {
                    client = from;
                    sent.emplace_back(buffer, static_cast<std::size_t>(n));
                    if (!losing || sent.size() % 3 != 0) To(back, server, sent.back());
                } else {
                    To(front, client, std::string(buffer, static_cast<std::size_t>(n)));
                }
            }
        }
    }
    bool losing = true;
    void Replay() const {
        for (const std::string& datagram : sent) To(back, server, datagram);
    }

private:
    static sockaddr_in Local(std::uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
    static int Open() {
        const int s = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a = Local(0);
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return s;
    }
    static void To(int socket, const sockaddr_in& where, const std::string& bytes) {
        sendto(socket, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    }
    int front, back;
    sockaddr_in server{}, client{};
    std::vector<std::string> sent;
};

// Services both ends through the recorder for `ms`, collecting what the server hears.
std::vector<Event> Exchange(UdpHost& server, UdpHost& client, Recorder& recorder, int ms) {
    std::vector<Event> heard;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        Event event;
        recorder.Forward();
        while (server.Service(&event, 0)) heard.push_back(event);
        while (client.Service(&event, 0)) {}
        recorder.Forward();
        usleep(2000);
    }
    return heard;
}

// Old acknowledgements played again (or first heard seconds late) once told ENet the round trip was
// seconds long, on both ends, and so slowed every resend until a lost one cut the link; a replayed
// connect or hello must not be heard either.
TEST(UdpHost, DatagramsReplayedFromTheStartChangeNothing) {
    UdpHost server, client;
    std::string error;
    ASSERT_TRUE(server.Listen("127.0.0.1", 0, 8, &error)) << error;
    Recorder recorder(server.Port());
    ASSERT_TRUE(client.Connect("127.0.0.1", recorder.Port(), &error)) << error;
    std::vector<Event> heard = Exchange(server, client, recorder, 300);
    ASSERT_FALSE(heard.empty());
    ASSERT_EQ(heard[0].kind, Event::Kind::Connected);
    const std::uint32_t peer = heard[0].peer;
    client.Send(0, Channel::Reliable, "hello");
    for (int i = 0; i < 5; ++i) server.Send(peer, Channel::Reliable, "welcome");
    Exchange(server, client, recorder, 300);
    recorder.losing = false;
    Exchange(server, client, recorder, 3200); // what is played again now is over three seconds old

    for (int i = 0; i < 4; ++i) {
        recorder.Replay();
        heard = Exchange(server, client, recorder, 50);
        for (const Event& event : heard) EXPECT_EQ(event.kind, Event::Kind::Received) << "a replay was heard";
        for (const Event& event : heard) EXPECT_NE(event.data, "hello") << "a replayed hello was heard";
    }
    EXPECT_LT(server.RoundTripMs(peer), 500u) << "replayed acknowledgements stretched the round trip";
    EXPECT_LT(client.RoundTripMs(0), 500u) << "old send times echoed back stretched the round trip";
    client.Send(0, Channel::Reliable, "still here");
    heard = Exchange(server, client, recorder, 300);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].data, "still here");
}

} // namespace
