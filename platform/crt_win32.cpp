#include <cstdlib>

#include "platform/crt.h"

// On Windows the game's generator is the C runtime's own, whose range crt.h names.
static_assert(RAND_MAX == crt::kRandMax, "the runtime's rand() reaches 32767");

namespace crt {

void srand(unsigned seed)
{
    std::srand(seed);
}

int rand()
{
    return std::rand();
}

}  // namespace crt
