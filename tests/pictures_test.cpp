// The committed pictures: they must be exactly what the generator draws, and
// every region the screens rely on must hold the right colours.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/embedded_file.h"
#include "tests/support/files.h"
#include "tests/support/golden.h"
#include "tests/support/process.h"

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kDeepPink{255, 0, 128};
constexpr Rgb kBlack{0, 0, 0};

// A colour that is not the key but that a 5-6-5 or 5-5-5 display would turn
// into the key's 16-bit value.
bool NearMagenta(const Rgb& c)
{
    if (c == kMagenta) return false;
    bool rb = (c.r >> 3) == 31 && (c.b >> 3) == 31;
    return rb && ((c.g >> 2) == 0 || (c.g >> 3) == 0);
}

// The pixels of an 8-bit palettised DIB: a BITMAPINFOHEADER, 256 palette
// entries, then the rows. `height` in the header may be doubled (icons).
struct Picture {
    int width = 0, height = 0, headerHeight = 0, bits = 0, compression = -1;
    Rgb palette[256] = {};
    std::vector<uint8_t> index;  // top-down
    Rgb At(int x, int y) const { return palette[index[size_t(y) * width + x]]; }
};

// Reads a DIB starting at its info header; rows = pixel rows to read.
bool ReadDib(const std::vector<uint8_t>& d, size_t info, size_t pixels, int rows, Picture* p)
{
    if (info + 40 + 1024 > d.size() || test::GetLe(d, info, 4) != 40) return false;
    p->width = static_cast<int32_t>(test::GetLe(d, info + 4, 4));
    p->headerHeight = static_cast<int32_t>(test::GetLe(d, info + 8, 4));
    p->bits = static_cast<int>(test::GetLe(d, info + 14, 2));
    p->compression = static_cast<int>(test::GetLe(d, info + 16, 4));
    if (p->bits != 8 || p->width <= 0 || p->width > 4096 || rows <= 0 || rows > 4096) return false;
    p->height = rows;
    for (int i = 0; i < 256; ++i) {
        size_t e = info + 40 + 4 * i;
        p->palette[i] = Rgb{d[e + 2], d[e + 1], d[e]};
    }
    size_t stride = (size_t(p->width) + 3) / 4 * 4;
    if (pixels + stride * rows > d.size()) return false;
    p->index.assign(size_t(p->width) * rows, 0);
    for (int y = 0; y < rows; ++y)  // stored bottom-up
        for (int x = 0; x < p->width; ++x) p->index[size_t(y) * p->width + x] = d[pixels + stride * (rows - 1 - y) + x];
    return true;
}

bool ParseBmp(const std::vector<uint8_t>& d, Picture* p)
{
    if (d.size() < 14 + 40 || d[0] != 'B' || d[1] != 'M' || test::GetLe(d, 2, 4) != d.size()) return false;
    int32_t h = static_cast<int32_t>(test::GetLe(d, 22, 4));
    return ReadDib(d, 14, test::GetLe(d, 10, 4), h, p);
}

std::vector<uint8_t> Embedded(const char* name)
{
    const EmbeddedFile* f = FindEmbeddedFile(kResources, kResourcesCount, name);
    if (!f) return {};
    return std::vector<uint8_t>(f->begin, f->end);
}

Picture LoadPicture(const char* name)
{
    Picture p;
    EXPECT_TRUE(ParseBmp(Embedded(name), &p)) << name << " is not an 8-bit BMP";
    return p;
}

// Counts pixels in [x0, x1) x [y0, y1) for which pred holds.
template <typename Pred>
int Count(const Picture& p, int x0, int y0, int x1, int y1, Pred pred)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += pred(p.At(x, y)) ? 1 : 0;
    return n;
}
bool IsMagenta(const Rgb& c)
{
    return c == kMagenta;
}
bool NotMagenta(const Rgb& c)
{
    return !(c == kMagenta);
}
bool IsRed(const Rgb& c)
{
    return c.r > 170 && c.g < 100 && c.b < 100;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    const std::string bytes = test::ReadFile(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Runs the generator; its standard output and error go to the file named.
int RunGenerator(const std::vector<std::string>& args, const std::string& outputPath)
{
    test::Command command{{PICTURE_MAKER_PATH}};
    command.argv.insert(command.argv.end(), args.begin(), args.end());
    command.output = outputPath;
    return test::RunProgram(command).status;
}

const char* const kOutputs[] = {"IDB_GROUND.bmp", "IDB_HRA.bmp",    "IDB_MENU.bmp",   "IDB_ABOUT.bmp", "lorvex.ico",
                                "lorvex-64.bmp",  "lorvex-16.png",  "lorvex-32.png",  "lorvex-48.png", "lorvex-64.png",
                                "lorvex-128.png", "lorvex-192.png", "lorvex-256.png", "lorvex-512.png"};

TEST(PictureGenerator, RedrawsTheCommittedFilesByteForByte)
{
    test::TempFolder tmp;
    ASSERT_EQ(RunGenerator({tmp.Path()}, tmp.Path() + "/stderr.txt"), 0);
    for (const char* f : kOutputs) {
        const std::string drawn = test::ReadFile(tmp.File(f));
        const std::string committed = test::ReadFile(std::string(LORVEX_SOURCE_DIR) + "/res/" + f);
        ASSERT_FALSE(drawn.empty()) << f;
        EXPECT_TRUE(drawn == committed) << f << " differs from res/: run picture_maker res";
    }
}

TEST(PictureGenerator, FailsClearlyWithoutAUsableFolder)
{
    test::TempFolder tmp;
    const std::string err = tmp.Path() + "/stderr.txt";
    EXPECT_NE(RunGenerator({}, err), 0);
    EXPECT_NE(test::ReadFile(err), "") << "no usage message";
    EXPECT_NE(RunGenerator({tmp.Path() + "/missing/deeper"}, err), 0);
    EXPECT_NE(test::ReadFile(err).find("missing"), std::string::npos);
    // A plain file where the folder should be.
    EXPECT_NE(RunGenerator({err}, err), 0);
    EXPECT_NE(test::ReadFile(err).find("not a folder"), std::string::npos);
}

TEST(Pictures, HaveTheirSizesAsUncompressedEightBitBottomUpBitmaps)
{
    struct Want {
        const char* name;
        int w, h;
    } wants[] = {{"IDB_GROUND", 640, 480}, {"IDB_HRA", 63, 173}, {"IDB_MENU", 640, 630}, {"IDB_ABOUT", 640, 510}};
    for (const Want& w : wants) {
        Picture p = LoadPicture(w.name);
        EXPECT_EQ(p.width, w.w) << w.name;
        EXPECT_EQ(p.headerHeight, w.h) << w.name << " (positive height: bottom-up rows)";
        EXPECT_EQ(p.bits, 8) << w.name;
        EXPECT_EQ(p.compression, 0) << w.name;
    }
}

TEST(Pictures, HoldNoColourThatSixteenBitDisplaysWouldTurnIntoTheKey)
{
    for (const char* name : {"IDB_GROUND", "IDB_HRA", "IDB_MENU", "IDB_ABOUT"}) {
        Picture p = LoadPicture(name);
        ASSERT_FALSE(p.index.empty()) << name;
        EXPECT_EQ(Count(p, 0, 0, p.width, p.height, NearMagenta), 0) << name;
    }
}

TEST(Pictures, NearMagentaRuleCatchesTheNeighboursOfTheKey)
{
    EXPECT_TRUE(NearMagenta(Rgb{248, 0, 248}));
    EXPECT_TRUE(NearMagenta(Rgb{255, 3, 255}));
    EXPECT_TRUE(NearMagenta(Rgb{250, 7, 252}));  // 5-5-5 only
    EXPECT_FALSE(NearMagenta(kMagenta));
    EXPECT_FALSE(NearMagenta(Rgb{255, 8, 255}));
    EXPECT_FALSE(NearMagenta(Rgb{247, 0, 255}));
    EXPECT_FALSE(NearMagenta(kDeepPink));
}

TEST(Ground, IsAnOpenFieldInsideABlackFrameWithAReddishBrownInnerLine)
{
    Picture p = LoadPicture("IDB_GROUND");
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 480);
    EXPECT_EQ(Count(p, 0, 0, 640, 480, IsMagenta), 0);
    auto black = [](const Rgb& c) { return c == kBlack; };
    EXPECT_EQ(Count(p, 0, 0, 640, 18, black), 640 * 18);
    EXPECT_EQ(Count(p, 0, 462, 640, 480, black), 640 * 18);
    EXPECT_EQ(Count(p, 0, 18, 18, 462, black), 18 * 444);
    EXPECT_EQ(Count(p, 622, 18, 640, 462, black), 18 * 444);
    auto reddishBrown = [](const Rgb& c) { return c.r >= 90 && c.r > c.g + 30 && c.g >= c.b; };
    // The line that borders the field: x 19 and 620, y 19 and 460.
    EXPECT_EQ(Count(p, 19, 19, 621, 20, reddishBrown), 602);
    EXPECT_EQ(Count(p, 19, 460, 621, 461, reddishBrown), 602);
    EXPECT_EQ(Count(p, 19, 19, 20, 461, reddishBrown), 442);
    EXPECT_EQ(Count(p, 620, 19, 621, 461, reddishBrown), 442);
    // The field itself is sand: warm and never black.
    auto sand = [](const Rgb& c) { return c.r > c.b + 20 && c.r > 100; };
    EXPECT_EQ(Count(p, 20, 20, 620, 460, sand), 600 * 440);
}

TEST(SpriteSheet, SeparatorsAreDeepPinkAndTheBottomRowsMagenta)
{
    Picture p = LoadPicture("IDB_HRA");
    ASSERT_EQ(p.width, 63);
    ASSERT_EQ(p.height, 173);
    auto pink = [](const Rgb& c) { return c == kDeepPink; };
    for (int x : {20, 41, 62}) EXPECT_EQ(Count(p, x, 0, x + 1, 168, pink), 168) << "column " << x;
    for (int r = 0; r < 8; ++r) EXPECT_EQ(Count(p, 0, 21 * r + 20, 63, 21 * r + 21, pink), 63) << "row " << r;
    EXPECT_EQ(Count(p, 0, 168, 63, 173, IsMagenta), 63 * 5);
    // Pink belongs to the separators only: never inside a cell.
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(Count(p, 21 * c, 21 * r, 21 * c + 20, 21 * r + 20, pink), 0);
}

TEST(SpriteSheet, EveryCellHasMagentaCornersAndTheLivingCellsAreWholeDiscs)
{
    Picture p = LoadPicture("IDB_HRA");
    ASSERT_EQ(p.height, 173);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 3; ++c) {
            int x0 = 21 * c, y0 = 21 * r;
            // A 3-pixel triangle at each corner lies outside any disc of diameter 20.
            for (int cx : {0, 19})
                for (int cy : {0, 19}) {
                    int sx = cx ? -1 : 1, sy = cy ? -1 : 1;
                    EXPECT_TRUE(p.At(x0 + cx, y0 + cy) == kMagenta) << "cell " << c << "," << r;
                    EXPECT_TRUE(p.At(x0 + cx + sx, y0 + cy) == kMagenta) << "cell " << c << "," << r;
                    EXPECT_TRUE(p.At(x0 + cx, y0 + cy + sy) == kMagenta) << "cell " << c << "," << r;
                }
            if (r >= 5) continue;  // rows 5..7 are breaking up
            // Rows 0..4 are whole discs: opaque from edge to edge through the centre.
            EXPECT_EQ(Count(p, x0, y0 + 9, x0 + 20, y0 + 11, NotMagenta), 40) << "cell " << c << "," << r;
            EXPECT_EQ(Count(p, x0 + 9, y0, x0 + 11, y0 + 20, NotMagenta), 40) << "cell " << c << "," << r;
        }
}

TEST(SpriteSheet, CrashFramesTurnRedAndThenBreakUp)
{
    Picture p = LoadPicture("IDB_HRA");
    ASSERT_EQ(p.height, 173);
    for (int c = 0; c < 3; ++c) {
        int red[8], opaque[8];
        for (int r = 0; r < 8; ++r) {
            red[r] = Count(p, 21 * c, 21 * r, 21 * c + 20, 21 * r + 20, IsRed);
            opaque[r] = Count(p, 21 * c, 21 * r, 21 * c + 20, 21 * r + 20, NotMagenta);
        }
        for (int r = 0; r < 3; ++r) EXPECT_EQ(red[r], 0) << "living cell " << c << "," << r << " shows red";
        EXPECT_GT(red[3], 0) << "column " << c;
        EXPECT_GT(red[4], red[3]) << "column " << c;
        EXPECT_EQ(opaque[3], opaque[0]) << "column " << c;
        EXPECT_LT(opaque[5], opaque[4]) << "column " << c;
        EXPECT_LT(opaque[6], opaque[5]) << "column " << c;
        EXPECT_LT(opaque[7], opaque[6]) << "column " << c;
        EXPECT_GT(opaque[7], 0) << "column " << c;
    }
}

// Checks one 640 x 30 strip of button frames starting at row top.
void CheckStrip(const Picture& p, int top, const std::string& what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(Count(p, 450, top, 640, top + 30, IsMagenta), 190 * 30) << "frame 3 and x 600..639";
    auto white = [](const Rgb& c) { return c.r > 235 && c.g > 235 && c.b > 235; };
    int box[3][4];  // bounds of the red label in frames 1 and 2
    for (int f = 0; f < 3; ++f) {
        int x0 = 150 * f;
        // Only the rounded corners may be keyed.
        EXPECT_EQ(Count(p, x0 + 3, top, x0 + 147, top + 30, IsMagenta), 0) << "frame " << f;
        EXPECT_EQ(Count(p, x0, top + 3, x0 + 150, top + 27, IsMagenta), 0) << "frame " << f;
        int reds = Count(p, x0, top, x0 + 150, top + 30, IsRed);
        int whites = Count(p, x0, top, x0 + 150, top + 30, white);
        if (f == 0) {
            EXPECT_GT(whites, 20) << "white label";
            EXPECT_EQ(reds, 0);
        } else {
            EXPECT_GT(reds, 20) << "red label in frame " << f;
        }
        box[f][0] = box[f][1] = 1000;
        box[f][2] = box[f][3] = -1;
        for (int y = top; y < top + 30; ++y)
            for (int x = x0; x < x0 + 150; ++x)
                if (IsRed(p.At(x, y))) {
                    box[f][0] = std::min(box[f][0], x - x0);
                    box[f][1] = std::min(box[f][1], y - top);
                    box[f][2] = std::max(box[f][2], x - x0);
                    box[f][3] = std::max(box[f][3], y - top);
                }
    }
    // Pressed: the same label, moved 1 or 2 pixels right and down.
    for (int k = 0; k < 4; ++k) {
        int shift = box[2][k] - box[1][k];
        EXPECT_GE(shift, 1) << "edge " << k;
        EXPECT_LE(shift, 2) << "edge " << k;
    }
}

TEST(MenuPicture, HasNoKeyInThePictureAndFiveStripsBelowIt)
{
    Picture p = LoadPicture("IDB_MENU");
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 630);
    EXPECT_EQ(Count(p, 0, 0, 640, 480, IsMagenta), 0);
    for (int i = 0; i < 5; ++i) CheckStrip(p, 480 + 30 * i, "strip " + std::to_string(i));
}

TEST(MenuPicture, LevelBoxIsBlack)
{
    Picture p = LoadPicture("IDB_MENU");
    ASSERT_EQ(p.height, 630);
    EXPECT_EQ(Count(p, 300, 110, 340, 130, [](const Rgb& c) { return c == kBlack; }), 40 * 20);
    // It is a box, not a black patch of background: its surround is lighter.
    EXPECT_LT(Count(p, 296, 106, 344, 109, [](const Rgb& c) { return c == kBlack; }), 10);
}

TEST(AboutPicture, IsBlackWithWhiteCreditsAndOneStrip)
{
    Picture p = LoadPicture("IDB_ABOUT");
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 510);
    EXPECT_EQ(Count(p, 0, 0, 640, 480, IsMagenta), 0);
    auto white = [](const Rgb& c) { return c.r == 255 && c.g == 255 && c.b == 255; };
    auto grey = [](const Rgb& c) { return c.r == c.g && c.g == c.b; };
    EXPECT_EQ(Count(p, 0, 0, 640, 480, grey), 640 * 480) << "only black, white and their blends";
    // Two lines of text, each centred: the white ink is balanced about x 320.
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < 480; ++y) {
        bool ink = Count(p, 0, y, 640, y + 1, white) > 0;
        if (ink && !inLine) ++lines;
        inLine = ink;
    }
    EXPECT_EQ(lines, 2);
    int left = 640, right = -1;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (!(p.At(x, y) == kBlack)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_LE(std::abs((left + right) - 639), 4) << "text spans " << left << ".." << right;
    CheckStrip(p, 480, "OK strip");
}

TEST(Icon, HoldsFourSquareEightBitImagesWithMasks)
{
    std::vector<uint8_t> d = ReadBytes(std::string(LORVEX_SOURCE_DIR) + "/res/lorvex.ico");
    ASSERT_GE(d.size(), 6u + 4 * 16);
    EXPECT_EQ(test::GetLe(d, 0, 2), 0u);
    EXPECT_EQ(test::GetLe(d, 2, 2), 1u);
    ASSERT_EQ(test::GetLe(d, 4, 2), 4u);
    int sizes[] = {16, 32, 48, 64};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(sizes[i]);
        size_t e = 6 + 16 * i;
        EXPECT_EQ(d[e], sizes[i]);
        EXPECT_EQ(d[e + 1], sizes[i]);
        EXPECT_EQ(test::GetLe(d, e + 6, 2), 8u);
        size_t bytes = test::GetLe(d, e + 8, 4), at = test::GetLe(d, e + 12, 4);
        int n = sizes[i];
        size_t andStride = ((n + 31) / 32) * 4;
        ASSERT_EQ(bytes, 40u + 1024 + size_t(n) * n + andStride * n);
        ASSERT_LE(at + bytes, d.size());
        Picture p;
        ASSERT_TRUE(ReadDib(d, at, at + 40 + 1024, n, &p));
        EXPECT_EQ(p.width, n);
        EXPECT_EQ(p.headerHeight, 2 * n);
        size_t mask = at + 40 + 1024 + size_t(n) * n;
        int transparent = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                bool clear = (d[mask + andStride * (n - 1 - y) + x / 8] >> (7 - x % 8)) & 1;
                transparent += clear;
                // Clear pixels must add nothing to the screen: colour black.
                if (clear) EXPECT_TRUE(p.At(x, y) == kBlack) << x << "," << y;
                else EXPECT_FALSE(NearMagenta(p.At(x, y)));
            }
        // A shape, not an empty or solid square.
        EXPECT_GT(transparent, n * n / 10);
        EXPECT_LT(transparent, n * n * 9 / 10);
    }
}

// ---- the icon as PNG files for desktops

// The desktop icon of `size` pixels, as SDL_image reads it.
test::Picture LoadIconPng(int size)
{
    const std::string path = std::string(LORVEX_SOURCE_DIR) + "/res/lorvex-" + std::to_string(size) + ".png";
    // The header's bit depth and colour type: 8 bits, RGBA, as icon themes take them.
    EXPECT_EQ(test::ReadFile(path).substr(24, 2), std::string("\x08\x06", 2)) << path << " is not 8-bit RGBA";
    return test::ReadPng(path);
}

int Alpha(uint32_t pixel)
{
    return int(pixel >> 24);
}

struct Coverage {
    int clear = 0, soft = 0, solid = 0;
    double Share() const { return double(soft + solid) / (clear + soft + solid); }
};

Coverage CoverageOf(const test::Picture& png)
{
    Coverage c;
    for (uint32_t pixel : png.pixels) (Alpha(pixel) == 0 ? c.clear : Alpha(pixel) == 255 ? c.solid : c.soft)++;
    return c;
}

TEST(IconPng, EachSizeIsASquareWormWithSoftEdgesOnAClearGround)
{
    for (int size : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const test::Picture png = LoadIconPng(size);
        ASSERT_EQ(png.width, size);
        ASSERT_EQ(png.height, size);
        for (int x : {0, size - 1})
            for (int y : {0, size - 1}) EXPECT_EQ(Alpha(png.pixels[y * size + x]), 0) << "corner " << x << "," << y;
        Coverage c = CoverageOf(png);
        EXPECT_GT(c.Share(), 0.1);
        EXPECT_LT(c.Share(), 0.9);
        EXPECT_GT(c.soft, size) << "edges are smoothed, not cut by a one-bit mask";
        // Clear pixels must be clear in every byte, for viewers that ignore alpha.
        EXPECT_EQ(std::count_if(png.pixels.begin(), png.pixels.end(),
                                [](uint32_t pixel) { return Alpha(pixel) == 0 && pixel != 0; }),
                  0);
    }
}

TEST(IconPng, LargeSizesAreDrawnAtTheirSizeNotScaledUp)
{
    const Coverage coverage64 = CoverageOf(LoadIconPng(64));
    for (int size : {128, 256}) {
        SCOPED_TRACE(size);
        const test::Picture png = LoadIconPng(size);
        ASSERT_EQ(png.width, size);
        Coverage c = CoverageOf(png);
        // The same worm: it covers the same share of the square.
        EXPECT_NEAR(c.Share(), coverage64.Share(), 0.03);
        // Sharp: the soft rim stays about a pixel wide, as at 64 pixels, not blurred.
        EXPECT_LT(double(c.soft) / size, 2.0 * coverage64.soft / 64);
        // Fine: colour changes fall anywhere, not only on the edges of blocks of
        // size / 64 pixels, as they would in a picture enlarged from 64 pixels
        // (drawn: (block - 1) / block of them fall inside blocks; enlarged: none).
        const int block = size / 64;
        int changes = 0, insideBlocks = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 1; x < size; ++x)
                if (png.pixels[y * size + x] != png.pixels[y * size + x - 1]) {
                    ++changes;
                    insideBlocks += x % block != 0;
                }
        EXPECT_GT(insideBlocks * 4, changes);
    }
}

// The window's icon, as SDL reads the built-in file: the 64 pixel desktop icon, alpha and all.
TEST(IconPng, TheWindowIconIsTheSixtyFourPixelOneAsSdlReadsIt)
{
    const std::vector<uint8_t> bmp = Embedded("128");
    SDL_Surface* file = SDL_LoadBMP_RW(SDL_RWFromConstMem(bmp.data(), static_cast<int>(bmp.size())), 1);
    ASSERT_NE(file, nullptr) << SDL_GetError();
    test::Picture icon{file->w, file->h, std::vector<uint32_t>(size_t(file->w) * file->h)};
    SDL_ConvertPixels(file->w, file->h, file->format->format, file->pixels, file->pitch, SDL_PIXELFORMAT_ARGB8888,
                      icon.pixels.data(), file->w * 4);
    SDL_FreeSurface(file);
    const test::Picture png = LoadIconPng(64);
    EXPECT_EQ(icon.width, png.width);
    EXPECT_TRUE(icon.pixels == png.pixels) << "the window icon is not lorvex-64.png";
}

}  // namespace
