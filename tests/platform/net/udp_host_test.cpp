// Two ends on 127.0.0.1: a connection is made, both channels carry bytes unchanged, a goodbye is
// heard, and a packet over the size limit never leaves.
#include <gtest/gtest.h>

#include <chrono>

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

} // namespace
