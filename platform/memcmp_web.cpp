// The browser's C library compares memory a byte at a time; the frame's comparison with the one
// on the screen, 600 KB at every tick, was then the largest part of an idle menu's cost. This one
// compares eight bytes at a time where both sides are aligned alike, for the whole program.
// Built with -fno-builtin (cmake/Web.cmake), so that its loops are not made calls to itself.
#include <cstddef>
#include <cstdint>

namespace {

std::uint64_t Word(const unsigned char* at)
{
    std::uint64_t word;
    __builtin_memcpy(&word, at, sizeof word);
    return word;
}

}  // namespace

extern "C" int memcmp(const void* left, const void* right, std::size_t n)
{
    auto a = static_cast<const unsigned char*>(left);
    auto b = static_cast<const unsigned char*>(right);
    if ((reinterpret_cast<std::uintptr_t>(a) & 7) == (reinterpret_cast<std::uintptr_t>(b) & 7)) {
        for (; n > 0 && (reinterpret_cast<std::uintptr_t>(a) & 7) != 0; --n, ++a, ++b)
            if (*a != *b) return *a - *b;
        for (; n >= 8 && Word(a) == Word(b); n -= 8, a += 8, b += 8) {
        }
    }
    for (; n > 0; --n, ++a, ++b)
        if (*a != *b) return *a - *b;
    return 0;
}
