#include "net/state_hash.h"

#include <cstring>

#include "game/game_screen.h"

namespace net {

namespace {

class Fnv {
public:
    void Bytes(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001b3ull;
    }
    void Int(std::int32_t value) { Bytes(&value, sizeof value); }
    // The double's exact bits: two sides that differ in the last bit of a head do differ.
    void Real(double value)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Bytes(&bits, sizeof bits);
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace

std::uint64_t StateHash(CGameScreen& game, std::uint32_t randomState)
{
    Fnv h;
    h.Int(game.wormCount);
    h.Int(game.running ? 1 : 0);
    h.Int(game.matchMode ? 1 : 0);
    h.Int(game.growthPerFood);
    h.Int(game.foodX);
    h.Int(game.foodY);
    h.Int(game.bonusX);
    h.Int(game.bonusY);
    h.Int(game.bonusKind);
    h.Int(game.bonusTimer);
    for (WormRecord& worm : game.worms) {
        h.Real(worm.headX);
        h.Real(worm.headY);
        h.Real(worm.dx);
        h.Real(worm.dy);
        h.Int(worm.spriteRow);
        h.Int(worm.direction);
        h.Int(worm.turn);
        h.Int(worm.score);
        h.Int(worm.wins);
        h.Int(worm.speed);
        h.Int(worm.crashTicks);
        const std::int32_t count = worm.body.GetCount();
        h.Int(count);
        for (std::int32_t k = 0; k < count; ++k) {
            const Segment s = worm.body.CycleHeadToTail();
            h.Int(s.x);
            h.Int(s.y);
            h.Int(s.prevX);
            h.Int(s.prevY);
        }
    }
    h.Bytes(&randomState, sizeof randomState);
    return h.Value();
}

}  // namespace net
