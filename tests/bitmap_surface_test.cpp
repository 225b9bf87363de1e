#include "gfx/bitmap_surface.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/bmp_check.h"
#include "platform/embedded_file.h"
#include "tests/support/platform_hooks.h"
#include "tests/support/bmp_file.h"
#include "tests/support/display_fixture.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/sanitizer.h"

namespace {

using platform_test::DebugOutput;
using platform_test::Fault;
using test::RawPixel;
using test::SetRawPixel;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kTeal = RGB(10, 120, 130);

class BitmapSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::UseHeadlessPlatform();
        platform_test::ResetFaults();
        ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
    }
    void TearDown() override
    {
        for (IDirectDrawSurface* s : made) s->Release();
        device->Release();
        platform_test::ResetFaults();
    }
    IDirectDrawSurface* Keep(IDirectDrawSurface* s)
    {
        if (s != nullptr) made.push_back(s);
        return s;
    }
    IDirectDrawSurface* Load(const std::string& name) { return Keep(LoadBitmapSurface(device, name.c_str(), 0, 0)); }
    std::string PictureFile(const std::string& name, const std::string& bytes)
    {
        std::string path = folder.File(name);
        EXPECT_TRUE(test::WriteFile(path, bytes));
        return path;
    }
    static DWORD Size(IDirectDrawSurface* s, bool width)
    {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        s->GetSurfaceDesc(&desc);
        return width ? desc.dwWidth : desc.dwHeight;
    }

    IDirectDraw* device = nullptr;
    std::vector<IDirectDrawSurface*> made;
    test::TempFolder folder;
};

TEST_F(BitmapSurfaceTest, MagentaKeyIsTheFirstPixelAlone)
{
    IDirectDrawSurface* s565 = Keep(test::NewSurface(device, 4, 2));
    // The word read holds the next pixel too; its bits never reach the key.
    SetRawPixel(s565, 1, 0, 0xFFFF);
    EXPECT_EQ(MatchSurfaceColor(s565, kTransparentColor), 0xF81Fu);
}

TEST_F(BitmapSurfaceTest, ProbingTheKeyLeavesTheFirstPixelAsItWas)
{
    IDirectDrawSurface* s = Keep(test::NewSurface(device, 3, 3));
    for (std::uint16_t original : {0x1234, 0x0000, 0xFFFF, 0x8410}) {
        SetRawPixel(s, 0, 0, original);
        EXPECT_EQ(SetSurfaceColorKey(s, kTransparentColor), DD_OK);
        EXPECT_EQ(RawPixel(s, 0, 0), original);
    }
}

TEST_F(BitmapSurfaceTest, NoColourReadsTheRawFirstPixelWithoutWriting)
{
    IDirectDrawSurface* s = Keep(test::NewSurface(device, 2, 2));
    SetRawPixel(s, 0, 0, 0xABCD);
    EXPECT_EQ(MatchSurfaceColor(s, CLR_INVALID), 0xABCDu);
    EXPECT_EQ(RawPixel(s, 0, 0), 0xABCD);
}

TEST_F(BitmapSurfaceTest, SurfaceThatCannotBeLockedHasNoKeyValue)
{
    IDirectDrawSurface* s = Keep(test::NewSurface(device, 2, 2));
    SetRawPixel(s, 0, 0, 0x0001);
    platform_test::FailNext(Fault::Lock);
    EXPECT_EQ(MatchSurfaceColor(s, kTransparentColor), 0xFFFFFFFFu);
    EXPECT_EQ(RawPixel(s, 0, 0), 0x0001);  // the probe was still put back
}

TEST_F(BitmapSurfaceTest, KeyedBlitLeavesMagentaOutAndCopiesTheRestExactly)
{
    // One row: magenta, red, teal, magenta, white.
    std::string bmp = test::MakeBmp8(5, 1, {kMagenta, kRed, kTeal, RGB(255, 255, 255)}, {0, 1, 2, 0, 3});
    IDirectDrawSurface* sprite = Load(PictureFile("sprite.bmp", bmp));
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(SetSurfaceColorKey(sprite, kTransparentColor), DD_OK);

    IDirectDrawSurface* target = Keep(test::NewSurface(device, 5, 1));
    test::FillRaw(target, 0x0841);
    ASSERT_EQ(target->BltFast(0, 0, sprite, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(RawPixel(target, 0, 0), 0x0841);
    EXPECT_EQ(RawPixel(target, 1, 0), 0xF800);
    EXPECT_EQ(RawPixel(target, 2, 0), RawPixel(sprite, 2, 0));
    EXPECT_EQ(RawPixel(target, 3, 0), 0x0841);
    EXPECT_EQ(RawPixel(target, 4, 0), 0xFFFF);

    ASSERT_EQ(target->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(RawPixel(target, 0, 0), 0xF81F);
}

TEST_F(BitmapSurfaceTest, ResourceWinsOverAFileOfTheSameName)
{
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    PictureFile("IDB_GROUND", test::MakeSolidBmp8(2, 2, kRed));
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
    IDirectDrawSurface* ground = Load("IDB_GROUND");
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(Size(ground, true), 640u);
    EXPECT_EQ(Size(ground, false), 480u);
}

TEST_F(BitmapSurfaceTest, FileAloneLoadsExactlyLikeTheResource)
{
    const EmbeddedFile* hra = FindEmbeddedFile(kResources, kResourcesCount, "IDB_HRA");
    ASSERT_NE(hra, nullptr);
    IDirectDrawSurface* fromResource = Load("IDB_HRA");
    IDirectDrawSurface* fromFile =
        Load(PictureFile("sprites.bmp", std::string(reinterpret_cast<const char*>(hra->begin), hra->size())));
    ASSERT_NE(fromResource, nullptr);
    ASSERT_NE(fromFile, nullptr);
    ASSERT_EQ(Size(fromFile, true), 63u);
    ASSERT_EQ(Size(fromFile, false), 173u);
    for (int y = 0; y < 173; ++y)
        for (int x = 0; x < 63; ++x) ASSERT_EQ(RawPixel(fromFile, x, y), RawPixel(fromResource, x, y)) << x << "," << y;
}

TEST_F(BitmapSurfaceTest, ReloadStretchesAnotherSizeIntoTheSurface)
{
    const std::string path = PictureFile("picture.bmp", test::MakeSolidBmp8(4, 4, kTeal));
    IDirectDrawSurface* s = Load(path);
    ASSERT_NE(s, nullptr);
    // The file changes to 2 x 1: red on the left, white on the right.
    PictureFile("picture.bmp", test::MakeBmp8(2, 1, {kRed, RGB(255, 255, 255)}, {0, 1}));
    EXPECT_EQ(ReloadBitmapSurface(s, path.c_str()), DD_OK);
    EXPECT_EQ(Size(s, true), 4u);
    EXPECT_EQ(Size(s, false), 4u);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(RawPixel(s, 0, y), 0xF800);
        EXPECT_EQ(RawPixel(s, 1, y), 0xF800);
        EXPECT_EQ(RawPixel(s, 2, y), 0xFFFF);
        EXPECT_EQ(RawPixel(s, 3, y), 0xFFFF);
    }
}

TEST_F(BitmapSurfaceTest, MissingNameGivesNullAndSaysSo)
{
    EXPECT_EQ(Load("no_such_picture"), nullptr);
    EXPECT_NE(DebugOutput().find("handle is null\n"), std::string::npos);

    platform_test::ResetFaults();
    IDirectDrawSurface* s = Keep(test::NewSurface(device, 2, 2));
    SetRawPixel(s, 1, 1, 0x1111);
    EXPECT_EQ(ReloadBitmapSurface(s, "no_such_picture"), E_FAIL);
    EXPECT_EQ(DebugOutput(), "handle is null\n");
    EXPECT_EQ(RawPixel(s, 1, 1), 0x1111);
}

TEST_F(BitmapSurfaceTest, CopyFailuresAreReported)
{
    const std::string path = PictureFile("red.bmp", test::MakeSolidBmp8(2, 2, kRed));
    IDirectDrawSurface* s = Keep(test::NewSurface(device, 2, 2));

    // No surface context: the surface stays as it was and the copy reports it.
    platform_test::FailNext(Fault::GetDC);
    EXPECT_EQ(ReloadBitmapSurface(s, path.c_str()), E_FAIL);
    EXPECT_EQ(DebugOutput(), "ddcopybitmap failed\n");
    EXPECT_EQ(RawPixel(s, 0, 0), 0x0000);

    // No memory context: only reported, and the result is still that of GetDC.
    platform_test::ResetFaults();
    platform_test::FailNext(Fault::CreateCompatibleDC);
    EXPECT_EQ(ReloadBitmapSurface(s, path.c_str()), DD_OK);
    EXPECT_EQ(DebugOutput(), "createcompatible dc failed\n");

    EXPECT_EQ(CopyBitmapToSurface(nullptr, nullptr, 0, 0, 0, 0), E_FAIL);
}

TEST_F(BitmapSurfaceTest, SurfaceThatCannotBeMadeGivesNull)
{
    platform_test::FailNext(Fault::CreateOffscreenSurface);
    EXPECT_EQ(Load("IDB_HRA"), nullptr);
    EXPECT_NE(Load("IDB_HRA"), nullptr);
}

// Pictures that must give null and a message, never a crash or a huge allocation.
struct BadPicture {
    const char* what;
    std::string bytes;
};

std::vector<BadPicture> BadPictures()
{
    const std::string good = test::MakeSolidBmp8(8, 8, kRed);
    std::vector<BadPicture> bad;
    bad.push_back({"empty", ""});
    bad.push_back({"not a bitmap", "this is not a picture at all, just words"});
    bad.push_back({"header only", good.substr(0, 54)});
    bad.push_back({"truncated pixels", good.substr(0, good.size() - 9)});
    std::string b = good;
    test::PutLe(b, 18, 100000, 4);  // width past any picture
    bad.push_back({"too wide", b});
    b = good;
    test::PutLe(b, 22, 0x80000000u, 4);  // height INT_MIN
    bad.push_back({"height INT_MIN", b});
    b = good;
    test::PutLe(b, 18, 60000, 4);
    test::PutLe(b, 22, 60000, 4);  // billions of pixels in a small file
    bad.push_back({"billions of pixels", b});
    b = good;
    test::PutLe(b, 46, 1000, 4);  // more colours than 8 bits hold
    bad.push_back({"palette too long", b});
    b = good.substr(0, 54 + 100);  // palette runs past the end
    bad.push_back({"palette past the end", b});
    b = good;
    test::PutLe(b, 10, 0x7FFFFFF0u, 4);  // pixels beyond the file
    bad.push_back({"pixel offset past the end", b});
    b = good;
    test::PutLe(b, 28, 7, 2);
    bad.push_back({"seven bits per pixel", b});
    b = good;
    test::PutLe(b, 30, 1, 4);  // run-length compressed
    bad.push_back({"compressed", b});
    b = good;
    test::PutLe(b, 14, 0xFFFFFFF0u, 4);  // info header larger than the file
    bad.push_back({"huge info header", b});
    b = good;
    test::PutLe(b, 18, 0, 4);
    bad.push_back({"zero width", b});
    return bad;
}

TEST_F(BitmapSurfaceTest, DamagedPicturesGiveNullAndAMessage)
{
    for (const BadPicture& picture : BadPictures()) {
        platform_test::ResetFaults();
        const std::string path = PictureFile("bad.bmp", picture.bytes);
        EXPECT_EQ(Load(path), nullptr) << picture.what;
        EXPECT_FALSE(DebugOutput().empty()) << picture.what;
        IDirectDrawSurface* s = Keep(test::NewSurface(device, 2, 2));
        EXPECT_EQ(ReloadBitmapSurface(s, path.c_str()), E_FAIL) << picture.what;
    }
}

TEST_F(BitmapSurfaceTest, AFolderOrOversizedFileIsNoPicture)
{
    EXPECT_EQ(Load(folder.Path()), nullptr);
    const std::string big = folder.File("big.bmp");
    ASSERT_EQ(truncate(PictureFile("big.bmp", "BM").c_str(), 200L * 1024 * 1024), 0);  // sparse, 200 MiB
    EXPECT_EQ(Load(big), nullptr);
}

// Peak resident memory, in MiB, of a child that loads the picture file as the program does (a
// surface of the picture's size, then its colour key); -1 when the load failed.
double PeakMiBLoading(const std::string& path)
{
    const test::Ending loaded = test::Child([&path] {
                                    IDirectDraw* device = nullptr;
                                    if (DirectDrawCreate(nullptr, &device, nullptr) != DD_OK) return 2;
                                    IDirectDrawSurface* surface = LoadBitmapSurface(device, path.c_str(), 0, 0);
                                    if (surface == nullptr) return 1;
                                    SetSurfaceColorKey(surface, kTransparentColor);
                                    return 0;
                                }).Wait();
    return loaded.status == 0 ? loaded.peakKiB / 1024.0 : -1;
}

// The largest picture a file may hold, at its most memory-hungry depths (a 1-bit file decodes to
// a byte per pixel, a 32-bit one is the largest file), loads in at most 9 bytes per pixel over a
// tiny one. A 1-bit 16384 x 16384 file once took 1280 MiB. One row more, and it is refused.
TEST_F(BitmapSurfaceTest, TheLargestAcceptedPictureLoadsWithinBoundedMemory)
{
    if (!test::kHeapIsMeasurable) GTEST_SKIP() << "resident memory is the sanitizer's here";
    const double base = PeakMiBLoading(PictureFile("tiny.bmp", test::MakeBlankBmp(8, 8, 8)));
    ASSERT_GT(base, 0);
    const int side = 4096;
    ASSERT_EQ(static_cast<long>(side) * side, kMaxPicturePixels);
    for (int bits : {1, 32}) {
        const std::string path = PictureFile("largest.bmp", test::MakeBlankBmp(side, side, bits));
        const double peak = PeakMiBLoading(path);
        EXPECT_GT(peak, 0) << bits << "-bit picture not loaded";
        EXPECT_LT(peak - base, 9.0 * kMaxPicturePixels / (1024 * 1024)) << bits << "-bit";
        std::printf("%d-bit %d x %d: %.0f MiB over a tiny picture\n", bits, side, side, peak - base);
        EXPECT_EQ(PeakMiBLoading(PictureFile("largest.bmp", test::MakeBlankBmp(side, side + 1, bits))), -1)
            << bits << "-bit";
        std::remove(path.c_str());
    }
    EXPECT_GT(PeakMiBLoading(PictureFile("strip.bmp", test::MakeBlankBmp(16384, 1024, 1))), 0);
    EXPECT_EQ(PeakMiBLoading(PictureFile("strip.bmp", test::MakeBlankBmp(16385, 1, 1))), -1);
}

}  // namespace
