#include "platform/key_codes.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

class KeyCodesTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("SDL_VIDEODRIVER", "dummy", 1); }
};

TEST_F(KeyCodesTest, KeysTheGameReliesOn)
{
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_ESCAPE), 0x1Bu);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_SPACE), 0x20u);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_LEFT), 0x25u);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_UP), 0x26u);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_RIGHT), 0x27u);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_DOWN), 0x28u);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_a), unsigned('A'));
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_s), unsigned('S'));

    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_LEFT), 0xCBu);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_RIGHT), 0xCDu);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_A), 0x1Eu);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_S), 0x1Fu);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_ESCAPE), 0x01u);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_SPACE), 0x39u);
}

TEST_F(KeyCodesTest, VirtualKeysFollowTheMeaning)
{
    for (int i = 0; i < 26; ++i) EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_a + i), unsigned('A' + i));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_0 + i), unsigned('0' + i));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_F1 + i), VK_F1 + i);
    const SDL_Keycode keypad[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                  SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(VirtualKeyFromSdlKeycode(keypad[i]), VK_NUMPAD0 + i);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_LSHIFT), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_RSHIFT), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromSdlKeycode(SDLK_KP_ENTER), VK_RETURN);
}

TEST_F(KeyCodesTest, DirectInputCodesFollowThePlace)
{
    // The letter rows run in keyboard order, not alphabetically.
    const SDL_Scancode top[] = {SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R, SDL_SCANCODE_T,
                                SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I, SDL_SCANCODE_O, SDL_SCANCODE_P};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(DikFromSdlScancode(top[i]), DIK_Q + i);
    const SDL_Scancode bottom[] = {SDL_SCANCODE_Z, SDL_SCANCODE_X, SDL_SCANCODE_C, SDL_SCANCODE_V,
                                   SDL_SCANCODE_B, SDL_SCANCODE_N, SDL_SCANCODE_M};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(DikFromSdlScancode(bottom[i]), DIK_Z + i);
    // Keys that exist twice differ in their place: the right-hand or extended one has bit 7 set.
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_RETURN), 0x1Cu);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_KP_ENTER), 0x9Cu);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_LCTRL), 0x1Du);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_RCTRL), 0x9Du);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_KP_8), 0x48u);
    EXPECT_EQ(DikFromSdlScancode(SDL_SCANCODE_UP), 0xC8u);
}

TEST_F(KeyCodesTest, EveryMappedScancodeHasItsOwnCode)
{
    std::map<unsigned, int> seen;
    int mapped = 0;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const unsigned dik = DikFromSdlScancode(scancode);
        if (dik == 0) continue;
        ++mapped;
        EXPECT_LT(dik, 256u) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        auto [it, inserted] = seen.emplace(dik, scancode);
        EXPECT_TRUE(inserted) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)) << " and "
                              << SDL_GetScancodeName(static_cast<SDL_Scancode>(it->second)) << " share 0x"
                              << std::hex << dik;
    }
    EXPECT_GE(mapped, 104);   // at least a full-size PC keyboard
}

TEST_F(KeyCodesTest, UnknownCodesGiveZero)
{
    for (int code : {0, -1, -2147483647 - 1, 2147483647, int(SDL_NUM_SCANCODES), 0x12345,
                     int(SDL_SCANCODE_NONUSHASH), int(SDL_SCANCODE_LANG9)})
        EXPECT_EQ(DikFromSdlScancode(code), 0u) << code;
    for (int code : {int(SDLK_UNKNOWN), -1, -2147483647 - 1, 2147483647, int(SDLK_AUDIOMUTE), int(SDLK_UNDO),
                     0xE9 /* a non-ASCII character of another layout */})
        EXPECT_EQ(VirtualKeyFromSdlKeycode(code), 0u) << code;
}

}  // namespace
