// Plays a recorded stream of both players' keys through the game's rules, with no display, and
// prints the state hash after every tick: the same stream must give the same hashes wherever the
// game runs, natively or as WebAssembly, or two online players would drift apart.
//
//   lorvex_replay FILE     FILE: "seed N", "mode 2|3", "level N", then "TICK HOST FRIEND" lines
//                          (key bits of docs/online.md; steering holds until the next line, Space
//                          and Esc act on their tick) and "end TICK".
//   lorvex_replay --record SEED MODE LEVEL TICKS   writes such a stream, each worm steering for the
//                          food and Space after each crash: the stream that FILE was made with.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "app/globals.h"
#include "game/game_screen.h"
#include "net/lockstep.h"
#include "net/protocol.h"
#include "net/state_hash.h"
#include "platform/crt.h"

// The program's input object, which the replay never makes: the keys come from the stream.
DirectInputHolder gDirectInput;

namespace {

struct Line {
    unsigned tick;
    unsigned host;
    unsigned friendKeys;
};

// One tick: Tick's steps in its order on these keys; drawing changes nothing of the state and
// needs a display.
void Step(CGameScreen& game, unsigned host, unsigned friendKeys)
{
    game.keyboard.keyState[DIK_LEFT] = (host & net::kLeftBit) != 0 ? 0x80 : 0;
    game.keyboard.keyState[DIK_RIGHT] = (host & net::kRightBit) != 0 ? 0x80 : 0;
    game.keyboard.keyState[DIK_A] = (friendKeys & net::kLeftBit) != 0 ? 0x80 : 0;
    game.keyboard.keyState[DIK_S] = (friendKeys & net::kRightBit) != 0 ? 0x80 : 0;
    if (game.running) {
        for (std::int32_t i = 0; i < game.wormCount; ++i) {
            game.Steer(i);
            game.UpdateVelocity(i);
        }
    }
    game.ReadTurnKeys();
    game.MoveWorms();
    if (game.running) game.EatItems();
    if (game.running) game.CheckCollisions();
}

// Left (1) or right (2) towards the food from the worm's heading, nothing when within a step.
unsigned TowardsFood(const CGameScreen& game, const WormRecord& worm)
{
    const double angle = std::atan2(game.foodX - worm.headX, worm.headY - game.foodY) * 12.0 / M_PI;
    double off = angle - worm.direction;
    while (off > 12.0) off -= 24.0;
    while (off < -12.0) off += 24.0;
    return off > 0.5 ? net::kRightBit : (off < -0.5 ? net::kLeftBit : 0);
}

int Record(unsigned seed, unsigned mode, unsigned level, unsigned ticks)
{
    std::printf("seed %u\nmode %u\nlevel %u\n", seed, mode, level);
    gLevel = static_cast<int>(level);
    CGameScreen game;
    std::uint32_t round = 0;
    crt::srand(net::RoundSeed(seed, round));
    game.StartRound(2, mode == 3);
    unsigned last[2] = {99, 99};
    for (unsigned tick = 0; tick < ticks; ++tick) {
        unsigned keys[2] = {TowardsFood(game, game.worms[0]), TowardsFood(game, game.worms[1])};
        const bool space = !game.running && game.worms[0].crashTicks + game.worms[1].crashTicks > 10;
        if (space) keys[tick % 2] |= net::kSpaceBit;
        if (keys[0] != last[0] || keys[1] != last[1] || space) std::printf("%u %u %u\n", tick, keys[0], keys[1]);
        last[0] = keys[0] & 3;
        last[1] = keys[1] & 3;
        if (space) {
            crt::srand(net::RoundSeed(seed, ++round));
            game.OnKeyDown(VK_SPACE);
        }
        Step(game, keys[0], keys[1]);
    }
    std::printf("end %u\n", ticks);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--record") == 0)
        return Record(static_cast<unsigned>(std::atol(argv[2])), static_cast<unsigned>(std::atol(argv[3])),
                      static_cast<unsigned>(std::atol(argv[4])), static_cast<unsigned>(std::atol(argv[5])));
    std::FILE* file = argc == 2 ? std::fopen(argv[1], "r") : nullptr;
    if (file == nullptr) {
        std::fprintf(stderr, "usage: lorvex_replay FILE (a stream of keys)\n");
        return 2;
    }
    static Line lines[100000];
    std::size_t count = 0;
    unsigned seed = 0, mode = 2, level = 1, end = 0;
    char text[128];
    while (std::fgets(text, sizeof text, file) != nullptr) {
        Line l{};
        if (text[0] == '#' || text[0] == '\n') continue;
        if (std::sscanf(text, "seed %u", &seed) == 1 || std::sscanf(text, "mode %u", &mode) == 1 ||
            std::sscanf(text, "level %u", &level) == 1 || std::sscanf(text, "end %u", &end) == 1)
            continue;
        if (std::sscanf(text, "%u %u %u", &l.tick, &l.host, &l.friendKeys) != 3 || count == 100000 ||
            (count > 0 && l.tick <= lines[count - 1].tick)) {
            std::fprintf(stderr, "lorvex_replay: cannot read: %s", text);
            return 2;
        }
        lines[count++] = l;
    }
    std::fclose(file);

    // Made as the online game makes it: the host's level, the mode's seed, then the first round.
    gLevel = static_cast<int>(level);
    CGameScreen game;
    std::uint32_t round = 0;
    crt::srand(net::RoundSeed(seed, round));
    game.StartRound(2, mode == 3);
    unsigned host = 0, friendKeys = 0;
    std::size_t next = 0;
    for (unsigned tick = 0; tick < end; ++tick) {
        unsigned pressed = 0;
        if (next < count && lines[next].tick == tick) {
            host = lines[next].host;
            friendKeys = lines[next].friendKeys;
            pressed = host | friendKeys;
            ++next;
        }
        for (const auto& [bit, key] :
             {std::pair<unsigned, UINT>{net::kSpaceBit, VK_SPACE}, {net::kEscBit, VK_ESCAPE}}) {
            if ((pressed & bit) == 0) continue;
            crt::srand(net::RoundSeed(seed, ++round));
            game.OnKeyDown(key);
        }
        Step(game, host, friendKeys);
        std::printf("%u %016llx\n", tick, static_cast<unsigned long long>(net::StateHash(game, crt::state())));
    }
    return 0;
}
