#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include "gfx/display.h"
#include "tests/support/app_harness.h"
#include "tests/support/display_fixture.h"

namespace {

using platform_test::Fault;
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

TEST_F(DisplayDeviceTest, FlipPresentsTheBackBuffer)
{
    test::FillRaw(display.back, 0x07E0);
    test::SetRawPixel(display.back, 639, 479, 0xF800);
    const int before = platform_test::PresentCount();
    ASSERT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(platform_test::PresentCount(), before + 1);

    platform_test::Frame frame = platform_test::PresentedFrame();
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);
    EXPECT_EQ(frame.At(0, 0), 0x07E0);
    EXPECT_EQ(frame.At(639, 479), 0xF800);
    EXPECT_EQ(platform_test::PixelToColor(frame.At(0, 0)), RGB(0, 255, 0));
}

TEST_F(DisplayDeviceTest, BlitsStayInsideBothSurfaces)
{
    RECT inside{0, 0, 20, 20};
    EXPECT_EQ(display.back->BltFast(620, 460, sprite, &inside, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(display.back->BltFast(621, 0, sprite, &inside, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDRECT);
    EXPECT_EQ(display.back->BltFast(0, 461, sprite, &inside, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDRECT);
    EXPECT_EQ(display.back->BltFast(0xFFFFFFF6u, 0, sprite, &inside, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDRECT);
    RECT outside{10, 10, 21, 20};
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, &outside, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDRECT);
    RECT empty{5, 5, 5, 10};
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, &empty, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDRECT);
    EXPECT_EQ(display.back->BltFast(0, 0, nullptr, &inside, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDPARAMS);
}

TEST_F(DisplayDeviceTest, LostSurfaceFailsUntilRestoredAndComesBackBlank)
{
    test::FillRaw(sprite, 0x1234);
    platform_test::MarkSurfaceLost(sprite);
    EXPECT_EQ(sprite->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACELOST);
    EXPECT_EQ(sprite->BltFast(0, 0, display.back, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(sprite->GetDC(&dc), DDERR_SURFACELOST);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);

    EXPECT_EQ(sprite->Restore(), DD_OK);
    EXPECT_EQ(sprite->IsLost(), DD_OK);
    EXPECT_EQ(RawPixel(sprite, 5, 5), 0x0000);  // its owner must fill it again
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
}

TEST_F(DisplayDeviceTest, RenderDeviceResetLosesEverySurfaceAndThePrimaryRestoresItsBackBuffer)
{
    platform_test::SimulateRenderDeviceReset();
    display.Pump();
    EXPECT_EQ(sprite->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(display.back->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DDERR_SURFACELOST);

    EXPECT_EQ(display.primary->Restore(), DD_OK);
    EXPECT_EQ(display.back->IsLost(), DD_OK);
    EXPECT_EQ(sprite->IsLost(), DDERR_SURFACELOST);
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

TEST_F(DisplayDeviceTest, ContextAndLockExcludeEachOther)
{
    HDC dc = nullptr;
    ASSERT_EQ(sprite->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(sprite->GetDC(&second), DDERR_DCALREADYCREATED);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(display.back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACEBUSY);
    EXPECT_EQ(sprite->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(sprite->ReleaseDC(dc), DDERR_INVALIDPARAMS);

    ASSERT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    EXPECT_EQ(sprite->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(sprite->Unlock(nullptr), DD_OK);
    EXPECT_EQ(sprite->Unlock(nullptr), DDERR_NOTLOCKED);

    platform_test::FailNext(Fault::GetDC);
    EXPECT_EQ(sprite->GetDC(&dc), DDERR_CANTCREATEDC);
    EXPECT_EQ(dc, nullptr);
}

TEST(DisplayStartTest, StepsOutOfOrderAreRefused)
{
    test::UseHeadlessPlatform();
    IDirectDraw* device = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
    EXPECT_EQ(device->SetDisplayMode(640, 480, 16), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface* primary = nullptr;
    EXPECT_NE(device->CreateSurface(&desc, &primary, nullptr), DD_OK);
    EXPECT_EQ(primary, nullptr);

    DDSURFACEDESC wrongSize = desc;
    wrongSize.dwSize = 100;
    EXPECT_EQ(device->CreateSurface(&wrongSize, &primary, nullptr), DDERR_INVALIDPARAMS);

    DDSURFACEDESC huge{};
    huge.dwSize = sizeof(huge);
    huge.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    huge.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    huge.dwWidth = 100000;
    huge.dwHeight = 100000;
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(device->CreateSurface(&huge, &surface, nullptr), DDERR_INVALIDPARAMS);
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
