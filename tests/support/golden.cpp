#include "tests/support/golden.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace test {

namespace {

constexpr std::uint32_t kColour = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

std::string PathOf(const std::string& name)
{
    return std::string(LORVEX_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

// ARGB pixels of any surface, of its top rows when a height is given.
Picture PictureOf(SDL_Surface* s, int height = 0)
{
    height = height > 0 ? height : s->h;
    Picture p{s->w, height, std::vector<std::uint32_t>(static_cast<size_t>(s->w) * height)};
    SDL_ConvertPixels(s->w, height, s->format->format, s->pixels, s->pitch, SDL_PIXELFORMAT_ARGB8888, p.pixels.data(),
                      s->w * 4);
    if (s->format->Amask == 0)
        for (std::uint32_t& px : p.pixels) px |= kOpaque;
    return p;
}

bool Save(const Picture& p, const std::string& path, bool withAlpha)
{
    SurfacePtr s(
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(p.pixels.data()), p.width, p.height, 32,
                                           p.width * 4, withAlpha ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888),
        SDL_FreeSurface);
    return s != nullptr && IMG_SavePNG(s.get(), path.c_str()) == 0;
}

}  // namespace

Picture FromFrame(const platform_test::Frame& frame)
{
    Picture p{frame.width, frame.height, std::vector<std::uint32_t>(frame.pixels.size())};
    SDL_ConvertPixels(frame.width, frame.height, SDL_PIXELFORMAT_RGB565, frame.pixels.data(), frame.width * 2,
                      SDL_PIXELFORMAT_RGB888, p.pixels.data(), frame.width * 4);
    return p;
}

Picture Enlarged(const Picture& p, int factor)
{
    Picture big{p.width * factor, p.height * factor, {}};
    big.pixels.resize(static_cast<size_t>(big.width) * big.height);
    for (int y = 0; y < big.height; ++y)
        for (int x = 0; x < big.width; ++x)
            big.pixels[static_cast<size_t>(y) * big.width + x] =
                p.pixels[static_cast<size_t>(y / factor) * p.width + x / factor];
    return big;
}

Picture ScreenPictureOf(const std::string& name)
{
    SurfacePtr bmp(SDL_LoadBMP((std::string(LORVEX_SOURCE_DIR) + "/res/" + name + ".bmp").c_str()), SDL_FreeSurface);
    if (bmp == nullptr || bmp->w != 640 || bmp->h < 480) return {};
    SurfacePtr display(SDL_ConvertSurfaceFormat(bmp.get(), SDL_PIXELFORMAT_RGB565, 0), SDL_FreeSurface);
    if (display == nullptr) return {};
    Picture p = PictureOf(display.get(), 480);  // the button strips lie below
    for (std::uint32_t& px : p.pixels) px &= kColour;
    return p;
}

Picture ReadPng(const std::string& path)
{
    SurfacePtr png(IMG_Load(path.c_str()), SDL_FreeSurface);
    return png == nullptr ? Picture{} : PictureOf(png.get());
}

Picture Golden(const std::string& name, const Picture* behind)
{
    Picture p = ReadPng(PathOf(name));
    const bool fill = behind != nullptr && behind->width == p.width && behind->height == p.height;
    for (size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = (p.pixels[i] & kOpaque) == 0 && fill ? behind->pixels[i] : p.pixels[i] & kColour;
    return p;
}

::testing::AssertionResult Matches(const Picture& seen, const Picture& expected, const std::string& name)
{
    if (seen.width == 0) return ::testing::AssertionFailure() << name << ": nothing was seen";
    const bool sameSize = seen.width == expected.width && seen.height == expected.height;
    Picture diff = seen;
    int differ = 0;
    size_t first = 0;
    for (size_t i = 0; i < seen.pixels.size(); ++i) {
        const std::uint32_t want = sameSize ? expected.pixels[i] & kColour : 0;
        const bool same = sameSize && (seen.pixels[i] & kColour) == want;
        if (!same && differ++ == 0) first = i;
        const std::uint32_t grey = (((want >> 16 & 255) + (want >> 8 & 255) + (want & 255)) / 9) * 0x010101;
        diff.pixels[i] = same ? grey : 0xFF0000;
    }
    if (differ == 0) return ::testing::AssertionSuccess();
    const std::string stem = std::string(LORVEX_SOURCE_DIR) + "/tests/golden/" + name;
    Save(seen, stem + ".seen.png", false);
    Save(diff, stem + ".diff.png", false);
    auto failure = ::testing::AssertionFailure() << name << ": " << differ << " pixels differ";
    if (sameSize) {
        char at[80];
        std::snprintf(at, sizeof at, ", the first at (%zu, %zu): seen #%06X, expected #%06X", first % seen.width,
                      first / seen.width, seen.pixels[first] & kColour, expected.pixels[first] & kColour);
        failure << at;
    } else {
        failure << " (" << seen.width << " x " << seen.height << " seen, another size expected)";
    }
    return failure << "\n  seen:       " << stem << ".seen.png\n  difference: " << stem << ".diff.png";
}

::testing::AssertionResult MatchesGolden(const Picture& seen, const std::string& name, const Picture* behind)
{
    const char* update = std::getenv("LORVEX_UPDATE_GOLDEN");
    if (update != nullptr && std::strcmp(update, "1") == 0) {
        Picture kept = seen;
        const bool clear = behind != nullptr && behind->width == seen.width && behind->height == seen.height;
        for (size_t i = 0; i < kept.pixels.size(); ++i)
            kept.pixels[i] = clear && (seen.pixels[i] & kColour) == (behind->pixels[i] & kColour)
                                 ? 0
                                 : (seen.pixels[i] & kColour) | kOpaque;
        if (!Save(kept, PathOf(name), clear)) return ::testing::AssertionFailure() << "cannot write " << PathOf(name);
        return ::testing::AssertionSuccess();
    }
    const Picture expected = Golden(name, behind);
    if (expected.width == 0)
        return ::testing::AssertionFailure() << PathOf(name) << " cannot be read; LORVEX_UPDATE_GOLDEN=1 writes it";
    return Matches(seen, expected, name);
}

}  // namespace test
