#include "platform/crt.h"

namespace {
unsigned gSeed = 1;
}  // namespace

namespace crt {

void srand(unsigned seed)
{
    gSeed = seed;
}

int rand()
{
    // The runtime's linear congruential generator; bits 16..30 of the state are the result.
    gSeed = gSeed * 214013u + 2531011u;
    return static_cast<int>((gSeed >> 16) & kRandMax);
}

unsigned state()
{
    return gSeed;
}

}  // namespace crt
