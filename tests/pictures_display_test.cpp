// The four pictures as the screens get them: loaded through the game's own path onto
// the 640 x 480 x 16 display, keyed with magenta, and blitted as the screens blit them.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/bitmap_surface.h"
#include "tests/support/platform_hooks.h"
#include "tests/support/display_fixture.h"

namespace {

using platform_test::Frame;
using test::kKey565;
using test::Read;

class PictureDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_test::ResetFaults();
        ASSERT_NE(display.back, nullptr);
        ground = LoadBitmapSurface(display.device, "IDB_GROUND", 0, 0);
        sprites = LoadKeyed("IDB_HRA");
        menu = LoadKeyed("IDB_MENU");
        about = LoadKeyed("IDB_ABOUT");
        ASSERT_TRUE(ground && sprites && menu && about);
    }
    void TearDown() override
    {
        for (IDirectDrawSurface* s : {ground, sprites, menu, about})
            if (s != nullptr) s->Release();
    }
    IDirectDrawSurface* LoadKeyed(const char* name)
    {
        IDirectDrawSurface* s = LoadBitmapSurface(display.device, name, 0, 0);
        if (s != nullptr) {
            EXPECT_EQ(SetSurfaceColorKey(s, kTransparentColor), DD_OK) << name;
        }
        return s;
    }
    // The field, as every game tick starts its frame.
    Frame DrawField()
    {
        EXPECT_EQ(display.back->BltFast(0, 0, ground, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
        return Read(display.back);
    }

    test::Display display;
    IDirectDrawSurface* ground = nullptr;
    IDirectDrawSurface* sprites = nullptr;
    IDirectDrawSurface* menu = nullptr;
    IDirectDrawSurface* about = nullptr;
};

TEST_F(PictureDisplayTest, LoadAtTheirSizesWithMagentaAsTheKey)
{
    struct Expected {
        IDirectDrawSurface* surface;
        DWORD width, height;
    };
    for (const Expected& e : {Expected{ground, 640, 480}, Expected{sprites, 63, 173}, Expected{menu, 640, 630},
                              Expected{about, 640, 510}}) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(e.surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.dwWidth, e.width);
        EXPECT_EQ(desc.dwHeight, e.height);
    }
    for (IDirectDrawSurface* s : {sprites, menu, about}) EXPECT_EQ(MatchSurfaceColor(s, kTransparentColor), kKey565);
    // The magenta of the pictures themselves lands on exactly that value.
    EXPECT_EQ(test::RawPixel(sprites, 0, 0), kKey565);
    EXPECT_EQ(test::RawPixel(sprites, 62, 172), kKey565);
    EXPECT_EQ(test::RawPixel(menu, 620, 615), kKey565);
    EXPECT_EQ(test::RawPixel(about, 500, 495), kKey565);
}

TEST_F(PictureDisplayTest, HiddenButtonFramesAndTheStripEndsDrawNothing)
{
    const Frame field = DrawField();
    struct Strip {
        IDirectDrawSurface* surface;
        LONG top;
    };
    for (const Strip& s : {Strip{menu, 480}, Strip{menu, 510}, Strip{menu, 540}, Strip{menu, 570}, Strip{menu, 600},
                           Strip{about, 480}}) {
        SCOPED_TRACE(testing::Message() << (s.surface == menu ? "menu" : "about") << " strip at y " << s.top);
        RECT hidden{450, s.top, 600, s.top + 30};
        RECT end{600, s.top, 640, s.top + 30};
        ASSERT_EQ(display.back->BltFast(245, 225, s.surface, &hidden, DDBLTFAST_SRCCOLORKEY), DD_OK);
        ASSERT_EQ(display.back->BltFast(300, 300, s.surface, &end, DDBLTFAST_SRCCOLORKEY), DD_OK);
        EXPECT_TRUE(Read(display.back).pixels == field.pixels);

        // The plain frame at the same place does draw: the strip is where it is looked for.
        RECT plain{0, s.top, 150, s.top + 30};
        ASSERT_EQ(display.back->BltFast(245, 225, s.surface, &plain, DDBLTFAST_SRCCOLORKEY), DD_OK);
        EXPECT_FALSE(Read(display.back).pixels == field.pixels);
        DrawField();
    }
}

TEST_F(PictureDisplayTest, KeyedScreenPicturesCoverTheWholeFrame)
{
    for (IDirectDrawSurface* picture : {menu, about}) {
        DrawField();
        RECT top{0, 0, 640, 480};
        ASSERT_EQ(display.back->BltFast(0, 0, picture, &top, DDBLTFAST_SRCCOLORKEY), DD_OK);
        const Frame drawn = Read(display.back);
        const Frame source = Read(picture);
        int differing = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) differing += drawn.At(x, y) != source.At(x, y);
        EXPECT_EQ(differing, 0) << (picture == menu ? "menu" : "about");
    }
}

}  // namespace
