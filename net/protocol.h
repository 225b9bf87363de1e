#pragma once

// The messages of an online game (docs/online.md), read and written strictly: a message that is
// not exactly one of them is refused whole, so nothing from the network reaches the game half read.

#include <cstddef>
#include <cstdint>

namespace net {

constexpr std::size_t kMaxMessage = 64;
constexpr std::size_t kIdLength = 12;
constexpr std::uint32_t kMaxTick = 2147483647u;
constexpr std::uint32_t kMaxDelay = 25;
constexpr std::uint32_t kProtocolVersion = 1;

enum class Kind : std::uint8_t {
    // before pairing, to the relay
    Host,
    Join,
    // from the relay
    Game,
    Paired,
    Gone,
    Error,
    // player to player
    Hello,
    Ping,
    Pong,
    Ask,
    Start,
    Keys,
    Hash,
    Menu,
    Bye,
};

enum class Why : std::uint8_t { None, Exit, Desync, Timeout, Unknown, Full, Expired, Idle, Taken };

// The key bits of a keys message.
constexpr std::uint8_t kLeftBit = 1;
constexpr std::uint8_t kRightBit = 2;
constexpr std::uint8_t kSpaceBit = 4;
constexpr std::uint8_t kEscBit = 8;

struct Message {
    Kind kind = Kind::Menu;
    // version, N, MODE, TICK; then SEED or BITS; then LEVEL; then DELAY, in the order the message has them
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::uint32_t c = 0;
    std::uint32_t d = 0;
    std::uint64_t hash = 0;
    Why why = Why::None;          // error WHAT, bye REASON
    char id[kIdLength + 1] = {};  // game ID, join ID
};

// False, with *out unspecified, for anything but one well-formed message.
bool Parse(const char* text, std::size_t length, Message* out);
// The message's text and its length; 0 when the message has values it may not have.
std::size_t Format(const Message& message, char* out, std::size_t size);

// The ID of a link http(s)://HOST:PORT/?join=ID, or the bare ID; false when there is none.
bool IdOfLink(const char* link, char id[kIdLength + 1]);

}  // namespace net
