#include "platform/ddraw.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "gfx/display.h"
#include "platform/internal.h"
#include "tests/support/app_harness.h"
#include "tests/support/display_fixture.h"

namespace {

using platform_test::Fault;
using test::LostState;
using test::RawPixel;

class DisplayDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_test::ResetFaults();
        ASSERT_NE(display.primary, nullptr);
        ASSERT_NE(display.back, nullptr);
        sprite = test::NewSurface(display.device, 20, 20);
        ASSERT_NE(sprite, nullptr);
    }
    void TearDown() override
    {
        sprite->Release();
        platform_test::ResetFaults();
    }

    test::Display display;
    IDirectDrawSurface* sprite = nullptr;
};

TEST_F(DisplayDeviceTest, BlitsStayInsideBothSurfaces)
{
    RECT inside{0, 0, 20, 20};
    EXPECT_EQ(display.back->BltFast(620, 460, sprite, &inside, DDBLTFAST_NOCOLORKEY), DD_OK);
    // A sprite reaching past an edge, a worm's head beyond the wall, is not drawn at all.
    EXPECT_EQ(display.back->BltFast(621, 0, sprite, &inside, DDBLTFAST_NOCOLORKEY), E_FAIL);
    EXPECT_EQ(display.back->BltFast(0, 461, sprite, &inside, DDBLTFAST_NOCOLORKEY), E_FAIL);
    EXPECT_EQ(display.back->BltFast(0xFFFFFFF6u, 0, sprite, &inside, DDBLTFAST_NOCOLORKEY), E_FAIL);
    RECT outside{10, 10, 21, 20};
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, &outside, DDBLTFAST_NOCOLORKEY), E_FAIL);
    RECT empty{5, 5, 5, 10};
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, &empty, DDBLTFAST_NOCOLORKEY), E_FAIL);
}

TEST_F(DisplayDeviceTest, LostSurfaceFailsUntilRestoredAndComesBackBlank)
{
    test::FillRaw(sprite, 0x1234);
    platform_test::MarkSurfaceLost(sprite);
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACELOST);
    EXPECT_EQ(sprite->BltFast(0, 0, display.back, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(sprite->GetDC(&dc), DDERR_SURFACELOST);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);

    EXPECT_EQ(sprite->Restore(), DD_OK);
    EXPECT_EQ(RawPixel(sprite, 5, 5), 0x0000);  // its owner must fill it again
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
}

TEST_F(DisplayDeviceTest, RenderDeviceResetLosesEverySurfaceAndThePrimaryRestoresItsBackBuffer)
{
    platform_test::SimulateRenderDeviceReset();
    display.Pump();
    EXPECT_EQ(LostState(sprite), DDERR_SURFACELOST);
    EXPECT_EQ(LostState(display.back), DDERR_SURFACELOST);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DDERR_SURFACELOST);

    EXPECT_EQ(display.primary->Restore(), DD_OK);
    EXPECT_EQ(LostState(display.back), DD_OK);
    EXPECT_EQ(LostState(sprite), DDERR_SURFACELOST);
    const int before = platform_test::PresentCount();
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(platform_test::PresentCount(), before + 1);
}

TEST_F(DisplayDeviceTest, BusyDeviceSaysSoForTheGivenNumberOfCalls)
{
    platform_test::SetSurfaceBusy(display.back, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);

    platform_test::SetSurfaceBusy(display.back, 5);
    EXPECT_EQ(BltFastUntilDone(display.back, 0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);

    platform_test::SetSurfaceBusy(display.primary, 2);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
}

// On the offscreen driver, which draws: the dummy one shows nothing, so nothing reaches it.
TEST(DisplayScreenTest, AFrameReachesTheScreenOnlyWhenItChangesOrTheWindowSystemAsks)
{
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    test::Display display(true, "offscreen");
    display.Pump();  // what the window system said while the display was set up
    test::FillRaw(display.back, 0x1234);
    ASSERT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
    int shown = platform_test::ShownFrameCount();
    test::FillRaw(display.back, 0x1234);  // the same frame drawn again, as an idle menu does
    ASSERT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(platform_test::ShownFrameCount(), shown);

    test::SetRawPixel(display.back, 639, 479, 0x4321);
    ASSERT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(platform_test::ShownFrameCount(), ++shown);
    for (int event : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_RESTORED}) {
        platform_test::PushWindowEvent(event);
        display.Pump();
        EXPECT_EQ(platform_test::ShownFrameCount(), ++shown) << event;
    }
    EXPECT_EQ(platform_test::PresentedFrame().At(639, 479), 0x4321);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, nullptr);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, nullptr);
}

// At 1280 x 800 the picture is 1067 x 800 from x 106: 1.67 screen pixels to a picture pixel.
// A point lands on the picture pixel drawn under it, also where rounding the scale would not.
TEST_F(DisplayDeviceTest, MousePointsLandOnThePicturePixelDrawnThereAtANonIntegerScale)
{
    SDL_Window* sdl = platform::SdlWindowOf(display.window);
    SDL_SetWindowFullscreen(sdl, 0);
    SDL_SetWindowSize(sdl, 1280, 800);
    display.Pump();
    const struct {
        int windowX, windowY, x, y;
    } points[] = {{106, 0, 0, 0}, {108, 1, 1, 0}, {109, 3, 2, 2}, {1172, 799, 639, 479}, {700, 400, 356, 240}};
    for (const auto& p : points) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(sdl);
        e.motion.x = p.windowX;
        e.motion.y = p.windowY;
        SDL_PushEvent(&e);
        display.Pump();
        EXPECT_EQ(GET_X_LPARAM(display.last.lParam), p.x) << p.windowX;
        EXPECT_EQ(GET_Y_LPARAM(display.last.lParam), p.y) << p.windowY;
    }
}

// At 1440 x 1080 four picture rows make nine screen rows, at 1067 x 800 three make five. A frame
// scaled again only in the runs where it changed, at a run's start, inside and at its end, comes
// out as the frame scaled whole.
TEST(ScreenScalingTest, AFrameScaledOnlyWhereItChangedEqualsItScaledWhole)
{
    platform_test::Frame before{640, 480, std::vector<std::uint16_t>(640 * 480)};
    for (size_t i = 0; i < before.pixels.size(); ++i)
        before.pixels[i] = static_cast<std::uint16_t>(i * 2654435761u >> 7);
    platform_test::Frame after = before;
    for (int y : {99, 118, 303})
        for (int x = 200; x < 220; ++x) after.pixels[static_cast<size_t>(y) * 640 + x] ^= 0xFFFF;
    for (const SDL_Point size : {SDL_Point{1440, 1080}, SDL_Point{1067, 800}}) {
        const std::vector<std::uint32_t> whole = platform_test::ScaledFrames({after}, size.x, size.y);
        ASSERT_EQ(whole.size(), static_cast<size_t>(size.x) * size.y);
        EXPECT_TRUE(platform_test::ScaledFrames({before, after}, size.x, size.y) == whole) << size.x;
    }
}

TEST(DisplayStartTest, StepsOutOfOrderAndHugeSurfacesAreRefused)
{
    test::UseHeadlessPlatform();
    IDirectDraw* device = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
    EXPECT_NE(device->SetDisplayMode(640, 480, 16), DD_OK);  // no window yet

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface* primary = nullptr;
    EXPECT_NE(device->CreateSurface(&desc, &primary, nullptr), DD_OK);
    EXPECT_EQ(primary, nullptr);

    DDSURFACEDESC huge{};
    huge.dwSize = sizeof(huge);
    huge.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    huge.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    huge.dwWidth = 100000;
    huge.dwHeight = 100000;
    IDirectDrawSurface* surface = nullptr;
    EXPECT_NE(device->CreateSurface(&huge, &surface, nullptr), DD_OK);
    device->Release();
}

TEST(DisplayStartTest, SurfacesOutliveTheirDevice)
{
    test::UseHeadlessPlatform();
    IDirectDraw* device = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
    IDirectDrawSurface* a = test::NewSurface(device, 8, 8);
    IDirectDrawSurface* b = test::NewSurface(device, 8, 8);
    device->Release();
    EXPECT_EQ(a->BltFast(0, 0, b, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(a->Restore(), DD_OK);
    a->Release();
    b->Release();
}

}  // namespace
