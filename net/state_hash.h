#pragma once

// One number for the game's state after a tick, so two sides running the same rules can tell
// at once when they no longer agree: FNV-1a 64 over every field the rules read or write.

#include <cstdint>

class CGameScreen;

namespace net {

// The bodies are walked and left as they were; nothing is allocated.
std::uint64_t StateHash(CGameScreen& game, std::uint32_t randomState);

}  // namespace net
