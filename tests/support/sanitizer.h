#pragma once

namespace test {

// The address sanitizer keeps a heap of its own, with shadow memory and a quarantine, so
// figures of the heap or of resident memory mean nothing in its build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapIsMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kHeapIsMeasurable = false;
#else
constexpr bool kHeapIsMeasurable = true;
#endif
#else
constexpr bool kHeapIsMeasurable = true;
#endif

}  // namespace test
