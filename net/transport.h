#pragma once

// One WebSocket to the relay, text messages both ways, worked from the game's own loop: nothing
// blocks and nothing runs on another thread. Messages wait in fixed rings, so a tick that sends
// or reads allocates nothing.

#include <cstddef>
#include <memory>

#include "net/protocol.h"

namespace net {

// Where the relay is: from HOST:PORT, ws(s)://HOST:PORT[/...] or a link http(s)://HOST:PORT/?join=ID.
struct Relay {
    bool tls = false;
    char host[128] = {};
    int port = 0;
    char game[kIdLength + 1] = {};  // the online game's ID, in the socket's path for a load balancer
};
bool RelayOf(const char* address, Relay* out);
// The socket's path at the relay: /relay?game=ID, or /relay without an ID.
void PathOf(const Relay& relay, char* out, std::size_t size);
// A new online game's ID, from the system's cryptographic source; false when it has none.
bool DrawGameId(char id[kIdLength + 1]);
// The link a friend opens: http(s)://HOST:PORT/?join=ID.
void LinkOf(const Relay& relay, const char* id, char* out, std::size_t size);

class Transport {
public:
    enum class State { Connecting, Open, Closed };
    virtual ~Transport() = default;
    // Starts connecting to the relay's PathOf(relay); false at once when it cannot even begin.
    virtual bool Open(const Relay& relay) = 0;
    // Queued until the connection takes it; false when the queue is full or the socket closed.
    virtual bool Send(const char* text, std::size_t length) = 0;
    // Reads and writes what the network has ready, without waiting.
    virtual void Service() = 0;
    // The next message received, at most kMaxMessage bytes; a longer or binary frame comes as a
    // length of kMaxMessage + 1, which no message has. False when none waits.
    virtual bool Receive(char* out, std::size_t* length) = 0;
    virtual State GetState() const = 0;
    // Sends what is queued as far as the network takes it at once, then closes.
    virtual void Close() = 0;
};

std::unique_ptr<Transport> MakeTransport();

// What the player is told: the link to send, a round that waits, the end of the online game.
// A null or empty line takes the last one away.
void ShowLink(const char* link);
void TellPlayer(const char* line);
// The online game has ended: the page offers to make another (the desktop's command line made it).
void OfferAnotherGame();

// A fixed ring of messages, one per slot.
class MessageRing {
public:
    static constexpr std::size_t kSlots = 256;
    bool Push(const char* text, std::size_t length);
    bool Pop(char* out, std::size_t* length);
    const char* Front(std::size_t* length) const;
    void Drop();
    bool Empty() const { return count_ == 0; }
    void Clear() { head_ = count_ = 0; }

private:
    char text_[kSlots][kMaxMessage + 1] = {};
    std::size_t length_[kSlots] = {};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace net
