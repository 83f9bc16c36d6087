// The message reader: every kind comes back as written, and damaged or hostile bytes are refused
// whole, with the field named.
#include <gtest/gtest.h>

#include "net/messages.h"

namespace {

net::Inputs SomeInputs() {
    net::Inputs inputs;
    inputs.ack = 41;
    net::SeatInputs seat;
    seat.seat = 2;
    seat.reached = 50;
    seat.first = 40;
    seat.runs = {{3, net::ToWire(race::Controls{true, false, -1.0f, 0.5f, false, false})},
                 {1, net::ToWire(race::Controls{false, true, 0.0f, 0.0f, true, true})}};
    inputs.seats.push_back(seat);
    return inputs;
}

TEST(NetMessages, EveryKindComesBackAsWritten) {
    const std::vector<net::Message> messages = {
        net::Hello{net::kProtocolVersion, "1.0.0", "Ada", 77, {{"map2", 5}, {"map3", 6}}},
        net::Welcome{3},
        net::Refuse{"the race is full"},
        net::Start{"map2", 2, 1234567890123ull, {"Ada", "Bo", "Cy"}},
        SomeInputs(),
        net::HashCheck{90, 0xDEADBEEFCAFEull},
        net::SeatLeft{1, 700},
        net::DesyncState{30, std::string("\0\1\2\x1f", 4)},
        net::Roster{{{"Ada", 0}, {"Bo", 153}}},
    };
    for (const net::Message& message : messages) {
        const std::string bytes = net::Encode(message);
        std::string error;
        const auto back = net::Decode(bytes, &error);
        ASSERT_TRUE(back) << error;
        EXPECT_EQ(net::Encode(*back), bytes);
        EXPECT_EQ(back->index(), message.index());
        // Any cut of a message is refused, never read past its end.
        for (std::size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(net::Decode(bytes.substr(0, cut)));
    }
    const auto inputs = std::get<net::Inputs>(*net::Decode(net::Encode(SomeInputs())));
    EXPECT_EQ(inputs.seats[0].Total(), 4u);
    EXPECT_EQ(net::FromWire(inputs.seats[0].runs[0].controls).turn, -1.0f);
    EXPECT_EQ(net::FromWire(inputs.seats[0].runs[0].controls).pitch,
              net::FromWire(net::ToWire({false, false, 0.0f, 0.5f, false, false})).pitch);
}

TEST(NetMessages, HostileFieldsAreRefusedByName) {
    auto refused = [](std::string bytes, std::size_t at, char value) {
        bytes[at] = value;
        std::string error;
        EXPECT_FALSE(net::Decode(bytes, &error));
        return error;
    };
    const std::string inputs = net::Encode(SomeInputs());
    // head 4, ack 1, seat count 1, then the seat: seat 1, first 1, reached 1, runs 1; the first run:
    // its head, length, turn and pitch; the second: its head, turn and pitch
    EXPECT_EQ(refused(inputs, 0, 'X'), "head is not this game's");
    EXPECT_EQ(refused(inputs, 2, 9), "version is another protocol's");
    EXPECT_EQ(refused(inputs, 5, 6), "seats too many");
    EXPECT_EQ(refused(inputs, 6, net::kMostPeople), "seat no such seat");
    EXPECT_EQ(refused(inputs, 7, 0), "first update is zero");
    EXPECT_EQ(refused(inputs, 11, 1), "run length is not over one");
    EXPECT_EQ(refused(inputs, 11, 65), "runs cover too many updates");
    EXPECT_EQ(refused(inputs, 10, '\xF1'), "run has unknown bits");
    EXPECT_EQ(refused(inputs, 12, '\x80'), "controls out of range");
    EXPECT_EQ(refused(inputs, 15, '\x81'), "turn unchanged");
    // One number, one writing: a longer one would not write back the same bytes.
    std::string longer = inputs;
    longer.replace(4, 1, std::string("\xA9\x00", 2));
    std::string why;
    EXPECT_FALSE(net::Decode(longer, &why));
    EXPECT_EQ(why, "ack not written shortest");
    net::Inputs far = SomeInputs();
    far.seats[0].first = net::kMostUpdate + 1;
    EXPECT_FALSE(net::Decode(net::Encode(far), &why));
    EXPECT_EQ(why, "first update beyond any race");
    std::string error;
    EXPECT_FALSE(net::Decode(inputs + "x", &error));
    EXPECT_EQ(error, "message has bytes left over");
    net::Inputs twice = SomeInputs();
    twice.seats.push_back(twice.seats[0]);
    EXPECT_FALSE(net::Decode(net::Encode(twice), &error));
    EXPECT_EQ(error, "seat given twice");
    // A name with a control character could rewrite a terminal's line.
    EXPECT_FALSE(net::Decode(net::Encode(net::Welcome{9}), &error));
    EXPECT_FALSE(net::Decode(net::Encode(net::Refuse{"line\nbreak"}), &error));
    // Another protocol's hello is read for its version only, so the host can say why not.
    std::string hello = net::Encode(net::Hello{});
    hello[2] = 9;
    const auto other = net::Decode(hello, &error);
    ASSERT_TRUE(other);
    EXPECT_EQ(std::get<net::Hello>(*other).protocol, 9);
}

} // namespace
