// The online game's rules without a network: its messages and its lockstep.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/lockstep.h"
#include "net/protocol.h"
#include "net/transport.h"

namespace {

bool Reads(const std::string& text, net::Message* m = nullptr)
{
    net::Message scratch;
    return net::Parse(text.data(), text.size(), m != nullptr ? m : &scratch);
}

std::string Written(const net::Message& m)
{
    char text[net::kMaxMessage + 1];
    const std::size_t length = net::Format(m, text, sizeof text);
    return std::string(text, length);
}

TEST(OnlineMessages, EveryMessageReadsBackAsWritten)
{
    for (const char* text : {"host", "join abcdefghij23", "game zz7654aaaaaa", "paired", "gone", "error full",
                             "hello 1", "ping 0", "pong 4294967295", "ask 3", "start 2 4294967295 20 25",
                             "keys 2147483647 15", "hash 24 0123456789abcdef", "menu", "bye desync"}) {
        net::Message m;
        ASSERT_TRUE(Reads(text, &m)) << text;
        EXPECT_EQ(Written(m), text);
    }
    net::Message start;
    ASSERT_TRUE(Reads("start 3 17 9 4", &start));
    EXPECT_EQ(start.kind, net::Kind::Start);
    EXPECT_EQ(start.a * 1000 + start.b * 100 + start.c * 10 + start.d, 3000u + 1700 + 90 + 4);
}

TEST(OnlineMessages, AnythingElseIsRefused)
{
    for (const char* text : {"",
                             " host",
                             "host ",
                             "ping  1",
                             "ping 01",
                             "ping -1",
                             "ping +1",
                             "ping 4294967296",
                             "ping 99999999999",
                             "ping",
                             "ping 1 2",
                             "ask 1",
                             "ask 4",
                             "start 2 1 0 1",
                             "start 2 1 21 1",
                             "start 2 1 1 26",
                             "start 2 1 1 0",
                             "keys 2147483648 0",
                             "keys 1 16",
                             "hash 1 0123456789ABCDEF",
                             "hash 1 0123456789abcde",
                             "bye later",
                             "error exit",
                             "bye unknown",
                             "join abcdefghij1!",
                             "join abcdefghij18",
                             "join ABCDEFGHIJKL",
                             "Host",
                             "hello\t1",
                             "ping 1\n",
                             "menu menu"}) {
        EXPECT_FALSE(Reads(text)) << text;
    }
    EXPECT_FALSE(Reads(std::string("ping 1\0", 7)));
    EXPECT_FALSE(Reads("ask 2" + std::string(60, ' ')));
    EXPECT_FALSE(Reads("\xc3\xa9"));
    // What the game would write out of range is not written at all.
    net::Message keys;
    keys.kind = net::Kind::Keys;
    keys.b = 16;
    EXPECT_EQ(Written(keys), "");
}

TEST(OnlineMessages, LinksAndRelayAddresses)
{
    char id[net::kIdLength + 1];
    ASSERT_TRUE(net::IdOfLink("https://play.example:8443/?join=abcdefghij23", id));
    EXPECT_STREQ(id, "abcdefghij23");
    EXPECT_FALSE(net::IdOfLink("http://h:1/?join=abcdefghij2", id));
    net::Relay relay;
    ASSERT_TRUE(net::RelayOf("https://play.example:8443/?join=abcdefghij23", &relay));
    EXPECT_TRUE(relay.tls);
    EXPECT_EQ(std::string(relay.host) + ":" + std::to_string(relay.port), "play.example:8443");
    ASSERT_TRUE(net::RelayOf("10.0.0.2:8000", &relay));
    EXPECT_FALSE(relay.tls);
    char link[128];
    net::LinkOf(relay, "abcdefghij23", link, sizeof link);
    EXPECT_STREQ(link, "http://10.0.0.2:8000/?join=abcdefghij23");
    for (const char* bad : {"", "ftp://h:1", "h:0", "h:70000", "h:8x", ":80"}) EXPECT_FALSE(net::RelayOf(bad, &relay));
}

TEST(Lockstep, DelayIsHalfTheRoundTripInTicksAndOneMore)
{
    EXPECT_EQ(net::DelayFor(0), 1u);
    EXPECT_EQ(net::DelayFor(80), 2u);
    EXPECT_EQ(net::DelayFor(82), 3u);
    EXPECT_EQ(net::DelayFor(120), 3u);
    EXPECT_EQ(net::DelayFor(4000000000u), 25u);
}

TEST(Lockstep, RunsOnlyOnBothPlayersKeysAndNeverGuesses)
{
    net::Lockstep l;
    l.Start(2);
    // The first ticks, one delay of them, have no keys from anyone.
    for (std::uint32_t t = 0; t < 2; ++t) {
        ASSERT_EQ(l.Decide(1000), net::Lockstep::Go::Run);
        EXPECT_EQ(l.KeepOwn(static_cast<std::uint8_t>(t + 1)), t + 2);
        EXPECT_EQ(l.Own() | l.Theirs(), 0);
        l.Advance();
    }
    EXPECT_EQ(l.Decide(1000), net::Lockstep::Go::Wait);
    EXPECT_FALSE(l.TakeTheirs(3, 5));  // out of order
    ASSERT_TRUE(l.TakeTheirs(2, 5));
    EXPECT_FALSE(l.TakeTheirs(2, 6));  // twice
    ASSERT_EQ(l.Decide(1001), net::Lockstep::Go::Run);
    EXPECT_EQ(l.Own(), 1);
    EXPECT_EQ(l.Theirs(), 5);
    // A window that may not tick holds the round as late keys do.
    EXPECT_EQ(l.Decide(1002, true), net::Lockstep::Go::Wait);
}

TEST(Lockstep, WaitingIsToldAfterASecondAndGivenUpAfterFifteen)
{
    net::Lockstep l;
    l.Start(1);
    l.Advance();
    const std::uint32_t start = 0xFFFFF000u;  // the clock wraps meanwhile
    EXPECT_EQ(l.Decide(start), net::Lockstep::Go::Wait);
    EXPECT_EQ(l.Decide(start + 999), net::Lockstep::Go::Wait);
    EXPECT_EQ(l.Decide(start + 1000), net::Lockstep::Go::WaitNoticed);
    EXPECT_EQ(l.Decide(start + 14999), net::Lockstep::Go::WaitNoticed);
    EXPECT_EQ(l.Decide(start + 15000), net::Lockstep::Go::GiveUp);
    // Keys that come in time end the wait; the next wait counts afresh.
    ASSERT_TRUE(l.TakeTheirs(1, 0));
    EXPECT_EQ(l.Decide(start + 15001), net::Lockstep::Go::Run);
    l.Advance();
    EXPECT_EQ(l.Decide(start + 20000), net::Lockstep::Go::Wait);
    EXPECT_EQ(l.Decide(start + 20999), net::Lockstep::Go::Wait);
}

TEST(Lockstep, HashesAreComparedWhicheverComesFirst)
{
    using Check = net::Lockstep::Check;
    net::Lockstep l;
    l.Start(3);
    EXPECT_EQ(l.OwnHash(24, 7), Check::Pending);
    EXPECT_EQ(l.TheirHash(24, 7), Check::Match);
    EXPECT_EQ(l.TheirHash(49, 8), Check::Pending);
    EXPECT_EQ(l.OwnHash(49, 9), Check::Mismatch);
    EXPECT_EQ(l.TheirHash(25, 1), Check::Mismatch);  // no hash tick
    EXPECT_EQ(l.TheirHash(49, 1), Check::Pending);
    EXPECT_EQ(l.TheirHash(49, 1), Check::Mismatch);      // sent twice
    EXPECT_EQ(l.TheirHash(999999, 1), Check::Mismatch);  // far beyond any tick running
}

TEST(OnlineMessages, RingKeepsOrderAndMarksFramesTooLong)
{
    net::MessageRing ring;
    ASSERT_TRUE(ring.Push("menu", 4));
    ASSERT_TRUE(ring.Push(std::string(100, 'x').c_str(), 100));
    char out[net::kMaxMessage + 1];
    std::size_t length = 0;
    ASSERT_TRUE(ring.Pop(out, &length));
    EXPECT_STREQ(out, "menu");
    ASSERT_TRUE(ring.Pop(out, &length));
    EXPECT_EQ(length, net::kMaxMessage + 1);
    EXPECT_FALSE(net::Parse(out, length, nullptr));
    for (std::size_t i = 0; i < net::MessageRing::kSlots; ++i) ASSERT_TRUE(ring.Push("menu", 4));
    EXPECT_FALSE(ring.Push("menu", 4));
}

}  // namespace
