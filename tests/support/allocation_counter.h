#pragma once

#include <cstddef>

namespace test {

// How many times the program's C++ code has asked for heap memory so far.
std::size_t AllocationCount();

}  // namespace test
