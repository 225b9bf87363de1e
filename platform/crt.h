#pragma once

// The C runtime's random generator as the game was written against it. glibc's rand()
// reaches 2^31 - 1, which would put items millions of pixels off the field; this one has
// that runtime's range, 0..32767, and its seeding.
namespace crt {

constexpr int kRandMax = 32767;

void srand(unsigned seed);
int rand();
// The generator's state, which the online game's check compares between two sides.
unsigned state();

}  // namespace crt
