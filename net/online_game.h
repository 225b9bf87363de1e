#pragma once

// The online game: two players in two places, paired by the relay, play the two-player modes in
// lockstep. Only keys travel; the friend's keys reach the key table under the online holder, the
// window's timer runs a tick only when both players' keys for it are known, and every 25 ticks
// both sides compare a hash of the game's state. One-player, about and exit stay each player's own.

#include <cstdint>
#include <memory>

#include "net/lockstep.h"
#include "net/protocol.h"
#include "net/transport.h"
#include "platform/windows.h"

namespace net {

class OnlineGame {
public:
    OnlineGame();
    ~OnlineGame();

    // The platform's hooks (platform/online.h).
    bool Gate(DWORD nowMs, bool due, bool shown);
    bool Filter(UINT message, WPARAM wParam);

private:
    enum class Phase { Idle, Connecting, Pairing, Paired };

    void Begin(const char* address, bool host, DWORD now);
    void Service(DWORD now);
    void Handle(const Message& m, DWORD now);
    void HandlePaired(const Message& m, DWORD now);
    void Send(const Message& m);
    void Ping(DWORD now);

    void StartAsHost(std::uint32_t mode);
    void ApplyStart(const Message& start);
    void BeginMode(std::uint32_t mode, std::uint32_t seed, std::uint32_t delay);
    void EndMode();
    void ServeWaitingStart();
    void RunTick();
    void AfterTick();
    void Deliver(UINT message, WPARAM wParam);
    // Ends the online game: says why to the other side when `why` is set, tells the player.
    void End(const char* line, Why why = Why::None);

    std::unique_ptr<Transport> transport_;
    Phase phase_ = Phase::Idle;
    bool host_ = false;
    Relay relay_;
    char id_[kIdLength + 1] = {};

    Lockstep lockstep_;
    bool inMode_ = false;
    std::uint32_t seed_ = 0;
    std::uint32_t round_ = 0;
    std::uint32_t modesStarted_ = 0;
    std::uint32_t theirMenus_ = 0;  // modes the other side has ended
    bool tickRan_ = false;
    std::uint8_t pressed_ = 0;  // Space and Esc pressed here since the last tick
    bool delivering_ = false;
    bool noticed_ = false;

    // The host's answer to an ask that came while its own mode was still ending, and the
    // friend's start that came while its mode was: each waits for the menu.
    std::uint32_t pendingAsk_ = 0;
    bool startPending_ = false;
    Message pendingStart_;

    std::uint32_t pings_ = 0;
    std::uint32_t roundTrip_ = 0;
    std::uint32_t delay_ = 4;  // until a round trip is measured
    DWORD now_ = 0;
    DWORD lastSent_ = 0;
    DWORD lastPing_ = 0;

    // The friend plays at the host's level and keeps its own for every other game.
    bool levelHeld_ = false;
    int ownLevel_ = 1;
};

}  // namespace net
