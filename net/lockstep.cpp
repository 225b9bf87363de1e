#include "net/lockstep.h"

#include "net/protocol.h"

namespace net {

namespace {
constexpr std::uint32_t kTickMs = 40;
}  // namespace

std::uint32_t DelayFor(std::uint32_t roundTripMs)
{
    const std::uint32_t half = roundTripMs / 2 + roundTripMs % 2;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(half) + kTickMs - 1) / kTickMs + 1;
    return ticks > kMaxDelay ? kMaxDelay : static_cast<std::uint32_t>(ticks);
}

std::uint32_t RoundSeed(std::uint32_t seed, std::uint32_t round)
{
    std::uint32_t x = seed + round * 0x9E3779B9u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x;
}

void Lockstep::Start(std::uint32_t delay)
{
    *this = Lockstep{};
    delay_ = delay < 1 ? 1 : (delay > kMaxDelay ? kMaxDelay : delay);
    theirsKnownTo_ = delay_;  // the first ticks have no keys on either side
}

std::uint32_t Lockstep::KeepOwn(std::uint8_t bits)
{
    const std::uint32_t tick = tick_ + delay_;
    own_[tick % kRing] = bits;
    return tick;
}

bool Lockstep::TakeTheirs(std::uint32_t tick, std::uint8_t bits)
{
    // In order, one each, and never so far ahead that the ring would overwrite an unread tick.
    if (tick != theirsKnownTo_ || tick >= tick_ + kRing) return false;
    theirs_[tick % kRing] = bits;
    ++theirsKnownTo_;
    return true;
}

Lockstep::Go Lockstep::Decide(std::uint32_t nowMs, bool heldBack)
{
    if (tick_ < theirsKnownTo_ && !heldBack) {
        waiting_ = false;
        return Go::Run;
    }
    if (!waiting_) {
        waiting_ = true;
        waitingSince_ = nowMs;
    }
    const std::uint32_t waited = nowMs - waitingSince_;
    if (waited >= kGiveUpMs) return Go::GiveUp;
    return waited >= kNoticeMs ? Go::WaitNoticed : Go::Wait;
}

Lockstep::Check Lockstep::Add(Hashes& mine, Hashes& other, std::uint32_t tick, std::uint64_t hash)
{
    // Either side is at most one delay, so less than one hash period, ahead of the other.
    if (!IsHashTick(tick) || tick + kHashEvery * 2 < tick_ || tick > tick_ + kHashEvery * 2) return Check::Mismatch;
    const std::uint32_t slot = tick / kHashEvery % kHashSlots;
    if (other.known[slot] && other.tick[slot] == tick) {
        other.known[slot] = false;
        return other.hash[slot] == hash ? Check::Match : Check::Mismatch;
    }
    if (mine.known[slot] && mine.tick[slot] == tick) return Check::Mismatch;  // sent twice
    mine.tick[slot] = tick;
    mine.hash[slot] = hash;
    mine.known[slot] = true;
    return Check::Pending;
}

}  // namespace net
