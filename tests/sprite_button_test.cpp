// The sprite button on its own: its four states under the mouse, and its keyed draw.

#include "gfx/sprite_button.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "gfx/bitmap_surface.h"
#include "gfx/display.h"
#include "tests/support/platform_hooks.h"
#include "tests/support/display_fixture.h"

namespace {

// A button where the menu's first one sits: 245..394 x 145..174.
CSpriteButton MenuButton()
{
    return CSpriteButton(0, 480, 150, 30, RECT{245, 145, 395, 175});
}

constexpr int kInX = 300, kInY = 160;
constexpr int kOutX = 300, kOutY = 300;

struct Look {
    int state;
    int savedState;
    bool pressed;
    bool tracking;
    bool operator==(const Look& o) const
    {
        return state == o.state && savedState == o.savedState && pressed == o.pressed && tracking == o.tracking;
    }
};

Look LookOf(const CSpriteButton& b)
{
    return Look{b.state, b.savedState, b.pressed, b.tracking};
}

std::ostream& operator<<(std::ostream& out, const Look& l)
{
    return out << "{state " << l.state << ", saved " << l.savedState << ", pressed " << l.pressed << ", tracking "
               << l.tracking << "}";
}

TEST(SpriteButtonTest, SourceRectIsTheFrameOfTheState)
{
    CSpriteButton b(7, 480, 150, 30, RECT{245, 145, 395, 175});
    const int lefts[] = {7, 157, 307, 457};
    for (int state = 0; state < 4; ++state) {
        b.state = state;
        const RECT r = b.GetSourceRect();
        EXPECT_EQ(r.left, lefts[state]);
        EXPECT_EQ(r.top, 480);
        EXPECT_EQ(r.right, lefts[state] + 150);
        EXPECT_EQ(r.bottom, 510);
    }
}

TEST(SpriteButtonTest, HoverFollowsTheMouseInBothPairs)
{
    CSpriteButton b = MenuButton();
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 1);
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 1);
    b.OnMouseMove(kOutX, kOutY);
    EXPECT_EQ(b.state, 0);

    b.state = 2;
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 3);
    b.OnMouseMove(kOutX, kOutY);
    EXPECT_EQ(b.state, 2);
    EXPECT_EQ(b.savedState, 0);  // hover alone remembers nothing
}

TEST(SpriteButtonTest, PointsOnTheRightAndBottomEdgesAreOutside)
{
    CSpriteButton b = MenuButton();
    const POINT inside[] = {{245, 145}, {394, 145}, {245, 174}, {394, 174}};
    const POINT outside[] = {{244, 160}, {395, 160}, {300, 144}, {300, 175}, {395, 175}, {-300, -160}};
    for (POINT p : inside) {
        b.OnMouseMove(p.x, p.y);
        EXPECT_EQ(b.state, 1) << p.x << "," << p.y;
        b.OnMouseMove(kOutX, kOutY);
    }
    for (POINT p : outside) {
        b.OnMouseMove(p.x, p.y);
        EXPECT_EQ(b.state, 0) << p.x << "," << p.y;
        b.OnLButtonDown(p.x, p.y);
        EXPECT_FALSE(b.pressed) << p.x << "," << p.y;
        b.OnLButtonUp(p.x, p.y);
    }
}

TEST(SpriteButtonTest, PressDragOutAndBackThenReleaseOutsideOrInside)
{
    CSpriteButton b = MenuButton();
    b.OnMouseMove(kInX, kInY);
    b.OnLButtonDown(kInX, kInY);
    EXPECT_EQ(LookOf(b), (Look{2, 1, true, true}));
    b.OnMouseMove(kOutX, kOutY);
    EXPECT_EQ(b.state, 0);  // away, the old look
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 2);  // back over it, what a release would leave
    b.OnMouseMove(kOutX, kOutY);
    EXPECT_FALSE(b.OnLButtonUp(kOutX, kOutY));
    EXPECT_EQ(LookOf(b), (Look{0, 0, false, true}));

    b.OnLButtonDown(kInX, kInY);
    b.OnMouseMove(kOutX, kOutY);
    b.OnMouseMove(kInX + 1, kInY + 1);
    EXPECT_TRUE(b.OnLButtonUp(kInX + 1, kInY + 1));
    EXPECT_EQ(LookOf(b), (Look{2, 2, false, true}));
}

TEST(SpriteButtonTest, PressOutsideThenAcrossAndReleaseOnItNeitherHoversNorClicks)
{
    CSpriteButton b = MenuButton();
    b.OnLButtonDown(kOutX, kOutY);
    EXPECT_EQ(LookOf(b), (Look{0, 0, false, false}));
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 0);
    EXPECT_FALSE(b.OnLButtonUp(kInX, kInY));
    EXPECT_EQ(LookOf(b), (Look{0, 0, false, true}));
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 1);  // hover is back after the release

    // The same for a button that is on: no hover look while another press is held.
    b.state = b.savedState = 2;
    b.OnLButtonDown(kOutX, kOutY);
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 2);
    EXPECT_FALSE(b.OnLButtonUp(kInX, kInY));
    EXPECT_EQ(LookOf(b), (Look{2, 2, false, true}));
}

TEST(SpriteButtonTest, ClickOnAnOnButtonIsReportedAndTurnsItOff)
{
    for (int on : {2, 3}) {
        CSpriteButton b = MenuButton();
        b.state = b.savedState = on;
        b.OnLButtonDown(kInX, kInY);
        EXPECT_EQ(LookOf(b), (Look{0, on, true, true})) << on;
        b.OnMouseMove(kOutX, kOutY);
        EXPECT_EQ(b.state, 2) << on;  // away, the on look it had
        b.OnMouseMove(kInX, kInY);
        EXPECT_EQ(b.state, 0) << on;
        EXPECT_TRUE(b.OnLButtonUp(kInX, kInY)) << on;
        EXPECT_EQ(LookOf(b), (Look{0, 0, false, true})) << on;
    }
}

TEST(SpriteButtonTest, DisabledButtonIgnoresEverythingAndNeverClicks)
{
    CSpriteButton b = MenuButton();
    b.OnMouseMove(kInX, kInY);
    b.OnLButtonDown(kInX, kInY);  // a press inside is pending when the button is switched off
    b.enabled = false;
    const Look before = LookOf(b);
    for (POINT p : {POINT{kInX, kInY}, POINT{kOutX, kOutY}}) {
        b.OnMouseMove(p.x, p.y);
        b.OnLButtonDown(p.x, p.y);
        EXPECT_FALSE(b.OnLButtonUp(p.x, p.y));
        EXPECT_EQ(LookOf(b), before);
    }
    b.OnLButtonDown(kOutX, kOutY);
    EXPECT_TRUE(b.tracking);
}

TEST(SpriteButtonTest, ResetDropsAPressHeldWhileItsScreenWasAway)
{
    CSpriteButton b = MenuButton();
    b.OnLButtonDown(kInX, kInY);
    b.Reset();
    EXPECT_EQ(LookOf(b), (Look{0, 0, false, true}));
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 1);  // hover, not the pressed look
    b.OnLButtonDown(kOutX, kOutY);
    EXPECT_FALSE(b.OnLButtonUp(kInX, kInY));

    // A press that began elsewhere no longer holds the hover back either.
    b.OnLButtonDown(kOutX, kOutY);
    b.Reset();
    b.OnMouseMove(kInX, kInY);
    EXPECT_EQ(b.state, 1);
}

// Drawing: a 600 x 30 strip of four frames, each its own colour, with a magenta hole.
class SpriteButtonDrawTest : public ::testing::Test {
protected:
    static constexpr std::uint16_t kFrameColour[4] = {0x1111, 0x2222, 0x3333, 0xF81F};
    static constexpr std::uint16_t kBackground = 0x0841;

    void SetUp() override
    {
        platform_test::ResetFaults();
        ASSERT_NE(display.back, nullptr);
        gBackSurface = display.back;
        strip = test::NewSurface(display.device, 600, 30);
        ASSERT_NE(strip, nullptr);
        for (int x = 0; x < 600; ++x)
            for (int y = 0; y < 30; ++y) test::SetRawPixel(strip, x, y, kFrameColour[x / 150]);
        test::SetRawPixel(strip, 0, 0, 0xF81F);
        SetSurfaceColorKey(strip, kTransparentColor);
        test::FillRaw(display.back, kBackground);
    }
    void TearDown() override
    {
        gBackSurface = nullptr;
        if (strip != nullptr) strip->Release();
        platform_test::ResetFaults();
    }

    test::Display display;
    IDirectDrawSurface* strip = nullptr;
    CSpriteButton button{0, 0, 150, 30, RECT{245, 145, 395, 175}};
};

TEST_F(SpriteButtonDrawTest, DrawsTheStateFrameKeyedAtTheRectangle)
{
    for (int state = 0; state < 4; ++state) {
        test::FillRaw(display.back, kBackground);
        button.state = state;
        EXPECT_EQ(button.Draw(strip), DD_OK);
        if (state == 3) {
            EXPECT_EQ(test::RawPixel(display.back, 300, 160), kBackground);  // an all-magenta frame hides it
            continue;
        }
        EXPECT_EQ(test::RawPixel(display.back, 246, 145), kFrameColour[state]) << state;
        EXPECT_EQ(test::RawPixel(display.back, 394, 174), kFrameColour[state]) << state;
        EXPECT_EQ(test::RawPixel(display.back, 395, 174), kBackground) << state;
        EXPECT_EQ(test::RawPixel(display.back, 394, 175), kBackground) << state;
    }
    test::FillRaw(display.back, kBackground);
    button.state = 0;
    button.Draw(strip);
    EXPECT_EQ(test::RawPixel(display.back, 245, 145), kBackground);  // the magenta corner of frame 0
}

TEST_F(SpriteButtonDrawTest, BusyDeviceIsAskedAgainAndALostSourceIsLeftToTheOwner)
{
    platform_test::SetSurfaceBusy(strip, 3);
    EXPECT_EQ(button.Draw(strip), DD_OK);
    EXPECT_EQ(test::RawPixel(display.back, 300, 160), kFrameColour[0]);

    test::FillRaw(display.back, kBackground);
    platform_test::MarkSurfaceLost(strip);
    EXPECT_EQ(button.Draw(strip), DDERR_SURFACELOST);
    EXPECT_EQ(test::LostState(strip), DDERR_SURFACELOST);  // no restore behind the owner's back
    EXPECT_EQ(test::RawPixel(display.back, 300, 160), kBackground);
}

}  // namespace
