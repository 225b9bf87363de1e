#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> gAllocations{0};
}

namespace test {

std::size_t AllocationCount()
{
    return gAllocations.load();
}

}  // namespace test

// Every allocation of the test program passes here and is counted.
void* operator new(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
