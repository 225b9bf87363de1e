#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/app_harness.h"
#include "tests/support/bmp_file.h"
#include "tests/support/display_fixture.h"

namespace {

constexpr std::uint16_t kBlue = 0x001F;

struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    int changed = 0;
};

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::UseHeadlessPlatform();
        ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
        surface = test::NewSurface(device, 200, 100);
        test::FillRaw(surface, kBlue);
        font = CreateFontA(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           PROOF_QUALITY, DEFAULT_PITCH, "Verdena");
        ASSERT_NE(font, nullptr);
    }
    void TearDown() override
    {
        DeleteObject(font);
        surface->Release();
        device->Release();
    }
    void Draw(const char* text, RECT rect, UINT format)
    {
        HDC dc = nullptr;
        ASSERT_EQ(surface->GetDC(&dc), DD_OK);
        SelectObject(dc, font);
        SetBkColor(dc, RGB(0, 0, 0));
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, text, static_cast<int>(std::strlen(text)), &rect, format);
        surface->ReleaseDC(dc);
    }
    // The area the text changed, and the area of its white strokes.
    Box Changed(std::uint16_t than = kBlue)
    {
        Box box;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                if (test::RawPixel(surface, x, y) != than) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                    ++box.changed;
                }
        return box;
    }
    int Count(std::uint16_t value)
    {
        int n = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) n += test::RawPixel(surface, x, y) == value;
        return n;
    }

    std::vector<std::uint16_t> Pixels()
    {
        std::vector<std::uint16_t> all;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) all.push_back(test::RawPixel(surface, x, y));
        return all;
    }

    IDirectDraw* device = nullptr;
    IDirectDrawSurface* surface = nullptr;
    HFONT font = nullptr;
};

TEST_F(GdiTest, CentredTextWithoutSingleLineStandsAtTheTopOnAnOpaqueBox)
{
    Draw("20", RECT{60, 10, 140, 90}, DT_CENTER | DT_VCENTER);
    Box box = Changed();
    ASSERT_GT(box.changed, 0);
    EXPECT_EQ(box.top, 10);
    EXPECT_LT(box.bottom, 40);
    EXPECT_LE(std::abs((box.left - 60) - (140 - box.right)), 1);
    EXPECT_GT(Count(0xFFFF), 10);  // white strokes
    EXPECT_GT(Count(0x0000), 10);  // on black, not on the blue beneath
}

// Rendered lines are kept for the next frame: a changed text is never an older one.
TEST_F(GdiTest, EachTextShowsItselfThoughLinesAreKeptBetweenFrames)
{
    Draw("18", RECT{0, 0, 200, 100}, DT_CENTER);
    const std::vector<std::uint16_t> eighteen = Pixels();
    test::FillRaw(surface, kBlue);
    Draw("1", RECT{0, 0, 200, 100}, DT_CENTER);
    EXPECT_NE(Pixels(), eighteen);
    test::FillRaw(surface, kBlue);
    Draw("18", RECT{0, 0, 200, 100}, DT_CENTER);
    EXPECT_EQ(Pixels(), eighteen);
}

TEST_F(GdiTest, TextIsClippedToItsRectangleAndTheSurface)
{
    Draw("123456789", RECT{10, 80, 30, 300}, DT_CENTER);
    Box box = Changed();
    EXPECT_GE(box.left, 10);
    EXPECT_LE(box.right, 30);
    EXPECT_LE(box.bottom, 100);
    Draw("x", RECT{-500, -500, -400, -400}, DT_CENTER);
    Draw("", RECT{0, 0, 10, 10}, DT_CENTER);
}

// Copies at the picture's size go straight into the target, clipped at its edges; stretched ones
// take just their source region. Each source pixel has its own colour, to see which one landed.
TEST_F(GdiTest, CopiesAreClippedToTheTargetAndTakeOnlyTheirSourceRegion)
{
    std::vector<COLORREF> palette;
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < 16; ++i) {
        palette.push_back(RGB(i * 16, 255 - i * 16, i * 8));  // 5-6-5 keeps them apart
        indices.push_back(static_cast<std::uint8_t>(i));
    }
    test::TempFolder folder;
    test::WriteFile(folder.File("grid.bmp"), test::MakeBmp8(4, 4, palette, indices));
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, folder.File("grid.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, bitmap);
    HDC target = nullptr;
    ASSERT_EQ(surface->GetDC(&target), DD_OK);
    EXPECT_TRUE(StretchBlt(target, -1, -2, 4, 4, memory, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(StretchBlt(target, 198, 98, 4, 4, memory, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(StretchBlt(target, 100, 50, 4, 4, memory, 2, 2, 2, 2, SRCCOPY));  // doubled
    surface->ReleaseDC(target);
    const auto pixelOf = [&](int x, int y) { return test::RawPixel(surface, x, y); };
    const auto sourcePixel = [&](int x, int y) {
        const COLORREF c = palette[static_cast<size_t>(y * 4 + x)];
        return static_cast<std::uint16_t>(((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) |
                                          (GetBValue(c) >> 3));
    };
    EXPECT_EQ(pixelOf(0, 0), sourcePixel(1, 2));
    EXPECT_EQ(pixelOf(2, 1), sourcePixel(3, 3));
    EXPECT_EQ(pixelOf(3, 0), kBlue);
    EXPECT_EQ(pixelOf(0, 2), kBlue);
    EXPECT_EQ(pixelOf(199, 99), sourcePixel(1, 1));
    EXPECT_EQ(pixelOf(197, 99), kBlue);
    EXPECT_EQ(pixelOf(100, 50), sourcePixel(2, 2));
    EXPECT_EQ(pixelOf(103, 53), sourcePixel(3, 3));
    EXPECT_EQ(pixelOf(104, 50), kBlue);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, PicturesAreLoadedOnlyFromTheRightPlace)
{
    EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "IDB_NOPE", IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, "IDB_HRA", IMAGE_BITMAP, 0, 0, 0), nullptr);  // no module, no file flag
}

}  // namespace
