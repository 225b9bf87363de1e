#include "platform/icon_file.h"

#include "platform/embedded_file.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}

void Put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// One icon image as a test describes it: top-down pixels and mask, converted to the file's layout.
struct TestImage {
    int width;
    int height;
    int bits;                        // 8 or 32
    std::vector<uint32_t> palette;   // 0x00RRGGBB, for 8-bit
    std::vector<uint32_t> pixels;    // palette index (8-bit) or 0xAARRGGBB (32-bit), top-down
    std::vector<bool> transparent;   // top-down; empty = all opaque
};

Bytes EncodeImage(const TestImage& img)
{
    const size_t xorStride = (img.width * img.bits + 31) / 32 * 4;
    const size_t andStride = (img.width + 31) / 32 * 4;
    const size_t paletteBytes = img.palette.size() * 4;
    Bytes b(40 + paletteBytes + (xorStride + andStride) * img.height, 0);
    Put32(b, 0, 40);
    Put32(b, 4, img.width);
    Put32(b, 8, img.height * 2);
    Put16(b, 12, 1);
    Put16(b, 14, img.bits);
    Put32(b, 32, static_cast<uint32_t>(img.palette.size()));
    for (size_t i = 0; i < img.palette.size(); ++i) Put32(b, 40 + i * 4, img.palette[i]);
    const size_t xorStart = 40 + paletteBytes;
    const size_t andStart = xorStart + xorStride * img.height;
    for (int y = 0; y < img.height; ++y) {
        const int row = img.height - 1 - y;   // bottom-up in the file
        for (int x = 0; x < img.width; ++x) {
            const uint32_t p = img.pixels[y * img.width + x];
            if (img.bits == 8) b[xorStart + row * xorStride + x] = static_cast<uint8_t>(p);
            else Put32(b, xorStart + row * xorStride + x * 4, p);
            if (!img.transparent.empty() && img.transparent[y * img.width + x])
                b[andStart + row * andStride + x / 8] |= 0x80 >> (x % 8);
        }
    }
    return b;
}

Bytes EncodeIcon(const std::vector<TestImage>& images)
{
    Bytes file(6 + 16 * images.size(), 0);
    Put16(file, 2, 1);
    Put16(file, 4, static_cast<uint16_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        Bytes data = EncodeImage(images[i]);
        const size_t entry = 6 + 16 * i;
        file[entry] = images[i].width == 256 ? 0 : images[i].width;
        file[entry + 1] = images[i].height == 256 ? 0 : images[i].height;
        Put16(file, entry + 4, 1);
        Put16(file, entry + 6, images[i].bits);
        Put32(file, entry + 8, static_cast<uint32_t>(data.size()));
        Put32(file, entry + 12, static_cast<uint32_t>(file.size()));
        file.insert(file.end(), data.begin(), data.end());
    }
    return file;
}

// An 8-bit image whose pixel colours encode the position, with a transparent diagonal.
TestImage PalettedImage(int size)
{
    TestImage img{size, size, 8, {}, {}, {}};
    for (int i = 0; i < 256; ++i) img.palette.push_back(static_cast<uint32_t>(i * 0x010203) & 0xFFFFFF);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            img.pixels.push_back(static_cast<uint32_t>((y * size + x) % 256));
            img.transparent.push_back(x == y);
        }
    return img;
}

uint32_t PixelAt(SDL_Surface* s, int x, int y)
{
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch)[x];
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

SurfacePtr Decode(const Bytes& file, int preferred)
{
    return SurfacePtr(DecodeIconFile(file.data(), file.size(), preferred));
}

class IconFileTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("SDL_VIDEODRIVER", "dummy", 1); }
};

TEST_F(IconFileTest, ChoosesTheClosestSizeAndTheLargerOnATie)
{
    const Bytes file = EncodeIcon({PalettedImage(5), PalettedImage(15)});
    const struct {
        int preferred;
        int expected;
    } cases[] = {{15, 15}, {5, 5}, {0, 5}, {9, 5}, {10, 15}, {11, 15}, {10000, 15}, {-5, 5}};
    for (const auto& c : cases) {
        SurfacePtr s = Decode(file, c.preferred);
        ASSERT_TRUE(s) << "preferred " << c.preferred;
        EXPECT_EQ(s->w, c.expected) << "preferred " << c.preferred;
        EXPECT_EQ(s->h, c.expected) << "preferred " << c.preferred;
    }
}

TEST_F(IconFileTest, DecodesPalettedPixelsTopDownWithTheMask)
{
    // 5 pixels a row exercises the padding of both the colour rows and the mask rows.
    for (int size : {5, 16}) {
        const TestImage img = PalettedImage(size);
        SurfacePtr s = Decode(EncodeIcon({img}), size);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->format->format, SDL_PIXELFORMAT_ARGB8888);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint32_t rgb = img.palette[img.pixels[y * size + x]];
                const uint32_t alpha = x == y ? 0x00 : 0xFF;
                ASSERT_EQ(PixelAt(s.get(), x, y), (alpha << 24) | rgb) << size << ": " << x << "," << y;
            }
    }
}

TEST_F(IconFileTest, Decodes32BitPixelsKeepingTheirAlpha)
{
    TestImage img{3, 2, 32, {}, {0x80FF0000, 0xFF00FF00, 0x400000FF, 0xFF123456, 0xFFABCDEF, 0x01020304},
                  {false, true, false, false, false, false}};
    SurfacePtr s = Decode(EncodeIcon({img}), 32);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->w, 3);
    ASSERT_EQ(s->h, 2);
    EXPECT_EQ(PixelAt(s.get(), 0, 0), 0x80FF0000u);
    EXPECT_EQ(PixelAt(s.get(), 1, 0), 0x0000FF00u);   // masked out
    EXPECT_EQ(PixelAt(s.get(), 2, 0), 0x400000FFu);
    EXPECT_EQ(PixelAt(s.get(), 0, 1), 0xFF123456u);
    EXPECT_EQ(PixelAt(s.get(), 2, 1), 0x01020304u);
}

TEST_F(IconFileTest, Old32BitIconsWithoutAlphaUseTheMask)
{
    TestImage img{2, 1, 32, {}, {0x00112233, 0x00445566}, {true, false}};
    SurfacePtr s = Decode(EncodeIcon({img}), 2);
    ASSERT_TRUE(s);
    EXPECT_EQ(PixelAt(s.get(), 0, 0), 0x00112233u);
    EXPECT_EQ(PixelAt(s.get(), 1, 0), 0xFF445566u);
}

TEST_F(IconFileTest, PrefersThe32BitImageAmongEqualSizes)
{
    TestImage deep{4, 4, 32, {}, std::vector<uint32_t>(16, 0xFF0000FF), {}};
    TestImage shallow = PalettedImage(4);
    for (const auto& order : {std::vector<TestImage>{shallow, deep}, std::vector<TestImage>{deep, shallow}}) {
        SurfacePtr s = Decode(EncodeIcon(order), 4);
        ASSERT_TRUE(s);
        EXPECT_EQ(PixelAt(s.get(), 1, 2), 0xFF0000FFu);
    }
}

TEST_F(IconFileTest, EveryTruncationIsRejected)
{
    const Bytes file = EncodeIcon({PalettedImage(5), TestImage{2, 2, 32, {}, {1, 2, 3, 4}, {}}});
    ASSERT_TRUE(Decode(file, 5));
    for (size_t length = 0; length < file.size(); ++length) {
        Bytes cut(file.begin(), file.begin() + length);
        EXPECT_FALSE(Decode(cut, 5)) << "length " << length;
        EXPECT_FALSE(Decode(cut, 2)) << "length " << length;
    }
    EXPECT_EQ(DecodeIconFile(nullptr, 100, 16), nullptr);
}

TEST_F(IconFileTest, MalformedHeadersAreRejected)
{
    const Bytes good = EncodeIcon({PalettedImage(5)});
    const size_t image = 6 + 16;
    ASSERT_TRUE(Decode(good, 5));
    struct Damage {
        const char* what;
        void (*apply)(Bytes&);
    };
    const Damage damages[] = {
        {"cursor type", [](Bytes& b) { Put16(b, 2, 2); }},
        {"no images", [](Bytes& b) { Put16(b, 4, 0); }},
        {"huge count", [](Bytes& b) { Put16(b, 4, 0xFFFF); }},
        {"offset past the end", [](Bytes& b) { Put32(b, 6 + 12, static_cast<uint32_t>(b.size())); }},
        {"offset overflowing", [](Bytes& b) { Put32(b, 6 + 12, 0xFFFFFFF0u); }},
        {"length past the end", [](Bytes& b) { Put32(b, 6 + 8, 0xFFFFFFFFu); }},
        {"length below a header", [](Bytes& b) { Put32(b, 6 + 8, 39); }},
        {"offset into the directory", [](Bytes& b) { Put32(b, 6 + 12, 0); }},
        {"header size huge", [](Bytes& b) { Put32(b, image, 0x7FFFFFFF); }},
        {"header size small", [](Bytes& b) { Put32(b, image, 12); }},
        {"width 0", [](Bytes& b) { Put32(b, image + 4, 0); }},
        {"width negative", [](Bytes& b) { Put32(b, image + 4, 0xFFFFFFFBu); }},
        {"width 257", [](Bytes& b) { Put32(b, image + 4, 257); }},
        {"height 0", [](Bytes& b) { Put32(b, image + 8, 0); }},
        {"height odd", [](Bytes& b) { Put32(b, image + 8, 9); }},
        {"height top-down", [](Bytes& b) { Put32(b, image + 8, 0xFFFFFFF6u); }},
        {"height 600", [](Bytes& b) { Put32(b, image + 8, 600); }},
        {"width larger than the data", [](Bytes& b) { Put32(b, image + 4, 200); }},
        {"4 bits", [](Bytes& b) { Put16(b, image + 14, 4); }},
        {"24 bits", [](Bytes& b) { Put16(b, image + 14, 24); }},
        {"compressed", [](Bytes& b) { Put32(b, image + 16, 1); }},
        {"palette over 256", [](Bytes& b) { Put32(b, image + 32, 257); }},
        {"index past the palette", [](Bytes& b) { Put32(b, image + 32, 3); }},
        {"PNG", [](Bytes& b) {
             const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
             std::copy(png, png + 8, b.begin() + 6 + 16);
         }},
    };
    for (const Damage& d : damages) {
        Bytes bad = good;
        d.apply(bad);
        EXPECT_FALSE(Decode(bad, 5)) << d.what;
    }
}

TEST_F(IconFileTest, RandomDamageNeverCrashes)
{
    const Bytes good = EncodeIcon({PalettedImage(5), PalettedImage(16),
                                   TestImage{3, 3, 32, {}, std::vector<uint32_t>(9, 0xFF00FF00), {}}});
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = good;
        const int hits = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < hits; ++i) {
            // Mostly the headers, where a wrong byte matters most.
            const size_t at = random() % 2 ? random() % 130 : random() % bad.size();
            bad[at] = static_cast<uint8_t>(random());
        }
        SurfacePtr s = Decode(bad, static_cast<int>(random() % 40));
        if (s) {
            EXPECT_GE(s->w, 1);
            EXPECT_LE(s->w, 256);
            EXPECT_GE(s->h, 1);
            EXPECT_LE(s->h, 256);
        }
    }
}

}  // namespace

TEST(ProgramIconTest, DecodesAtEverySize)
{
    const EmbeddedFile* icon = FindEmbeddedFile(kResources, kResourcesCount, "128");
    ASSERT_NE(icon, nullptr);
    for (int size : {16, 32, 48, 64}) {
        SDL_Surface* s = DecodeIconFile(icon->begin, icon->size(), size);
        ASSERT_NE(s, nullptr) << size;
        EXPECT_EQ(s->w, size);
        EXPECT_EQ(s->h, size);
        SDL_FreeSurface(s);
    }
}
