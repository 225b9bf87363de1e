#pragma once

// The keys of both players tick by tick: a tick runs only when both players' keys for it are
// known, never on a guess. Keys for tick T are sent at tick T - delay, so both sides start with
// `delay` ticks of no keys. The clock is the caller's (milliseconds, wrapping), so the waiting
// rules are stepped without waiting.

#include <cstdint>

namespace net {

// The input delay for a measured round trip: half of it in 40 ms ticks, rounded up, and one more.
std::uint32_t DelayFor(std::uint32_t roundTripMs);

// The seed of a round from the online game's seed and the count of rounds begun, which both sides
// count alike: a mode's start is round 0, and every Space or Esc carried by the keys one more.
std::uint32_t RoundSeed(std::uint32_t seed, std::uint32_t round);

class Lockstep {
public:
    static constexpr std::uint32_t kNoticeMs = 1000;  // then the player is told the round waits
    static constexpr std::uint32_t kGiveUpMs = 15000;
    static constexpr std::uint32_t kHashEvery = 25;

    enum class Go { Run, Wait, WaitNoticed, GiveUp };
    enum class Check { Pending, Match, Mismatch };

    void Start(std::uint32_t delay);
    std::uint32_t Delay() const { return delay_; }
    // The tick to run next.
    std::uint32_t Tick() const { return tick_; }

    // This side's keys, taken as the next tick runs: they are for Tick() + Delay(), the tick
    // returned, which is what goes to the other side.
    std::uint32_t KeepOwn(std::uint8_t bits);
    // The other side's keys for a tick; false when they are not the next ones it owes.
    bool TakeTheirs(std::uint32_t tick, std::uint8_t bits);
    // Whether the next tick may run: Run when both keys are known and nothing holds it back.
    // While it cannot, the wait counts from the first refusal on the caller's clock.
    Go Decide(std::uint32_t nowMs, bool heldBack = false);
    std::uint8_t Own() const { return own_[tick_ % kRing]; }
    std::uint8_t Theirs() const { return theirs_[tick_ % kRing]; }
    void Advance() { ++tick_; }

    // The state hashes after every kHashEvery-th tick, compared as both arrive.
    static bool IsHashTick(std::uint32_t tick) { return tick % kHashEvery == kHashEvery - 1; }
    Check OwnHash(std::uint32_t tick, std::uint64_t hash) { return Add(own, theirs, tick, hash); }
    Check TheirHash(std::uint32_t tick, std::uint64_t hash) { return Add(theirs, own, tick, hash); }

private:
    // Twice the largest delay and the tick running: the other side is at most one delay ahead
    // of this one and sends one delay ahead of itself.
    static constexpr std::uint32_t kRing = 64;
    static constexpr std::uint32_t kHashSlots = 4;
    struct Hashes {
        std::uint32_t tick[kHashSlots];
        std::uint64_t hash[kHashSlots];
        bool known[kHashSlots];
    };
    Check Add(Hashes& mine, Hashes& other, std::uint32_t tick, std::uint64_t hash);

    std::uint32_t delay_ = 1;
    std::uint32_t tick_ = 0;
    std::uint32_t theirsKnownTo_ = 0;  // their keys are known for every tick below this
    std::uint8_t own_[kRing] = {};
    std::uint8_t theirs_[kRing] = {};
    bool waiting_ = false;
    std::uint32_t waitingSince_ = 0;
    Hashes own{};
    Hashes theirs{};
};

}  // namespace net
