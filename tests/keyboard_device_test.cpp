#include "game/keyboard_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "tests/support/app_harness.h"
#include "tests/support/display_fixture.h"

namespace {

using platform_test::Fault;

class KeyboardDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_test::ResetFaults();
        ASSERT_NE(display.window, nullptr);
        ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &input, nullptr), DI_OK);
    }
    void TearDown() override
    {
        input->Release();
        platform_test::ResetFaults();
    }
    void Press(SDL_Scancode key, bool down)
    {
        platform_test::PushKey(key, down);
        display.Pump();
    }

    test::Display display;
    IDirectInputA* input = nullptr;
};

TEST_F(KeyboardDeviceTest, PollReadsTheKeysDownNow)
{
    CKeyboardDevice keyboard;
    keyboard.Create(&input, display.window);
    ASSERT_NE(keyboard.device, nullptr);
    ASSERT_EQ(keyboard.acquired, 1);
    Press(SDL_SCANCODE_LEFT, true);
    Press(SDL_SCANCODE_A, true);
    EXPECT_FALSE(keyboard.IsDown(0xCB));  // nothing is seen before the poll
    keyboard.Poll();
    EXPECT_TRUE(keyboard.IsDown(0xCB));
    EXPECT_TRUE(keyboard.IsDown(0x1E));
    EXPECT_FALSE(keyboard.IsDown(0xCD));
    Press(SDL_SCANCODE_LEFT, false);
    keyboard.Poll();
    EXPECT_FALSE(keyboard.IsDown(0xCB));
    Press(SDL_SCANCODE_A, false);
}

TEST_F(KeyboardDeviceTest, WithoutAnInputObjectOrADeviceNothingIsEverRead)
{
    IDirectInputA* none = nullptr;
    CKeyboardDevice noInput;
    noInput.Create(&none, display.window);
    EXPECT_EQ(noInput.device, nullptr);

    platform_test::FailNext(Fault::CreateDevice);
    CKeyboardDevice noDevice;
    noDevice.Create(&input, display.window);
    EXPECT_EQ(noDevice.device, nullptr);
    EXPECT_EQ(noDevice.acquired, 0);

    Press(SDL_SCANCODE_RIGHT, true);
    noInput.Poll();
    noDevice.Poll();
    for (int code = 0; code < 256; ++code) {
        EXPECT_FALSE(noInput.IsDown(code));
        EXPECT_FALSE(noDevice.IsDown(code));
    }
    noDevice.Shutdown();
    noDevice.Shutdown();
    Press(SDL_SCANCODE_RIGHT, false);
}

TEST_F(KeyboardDeviceTest, AFailedFirstAcquisitionIsNeverRetried)
{
    platform_test::FailNext(Fault::Acquire);
    CKeyboardDevice keyboard;
    keyboard.Create(&input, display.window);
    EXPECT_NE(keyboard.device, nullptr);  // held, and released at the end
    EXPECT_EQ(keyboard.acquired, 0);
    Press(SDL_SCANCODE_S, true);
    keyboard.Poll();
    EXPECT_FALSE(keyboard.IsDown(0x1F));
    Press(SDL_SCANCODE_S, false);
}

TEST_F(KeyboardDeviceTest, LostInputIsAskedForAgainOncePerPoll)
{
    CKeyboardDevice keyboard;
    keyboard.Create(&input, display.window);
    ASSERT_EQ(keyboard.acquired, 1);
    Press(SDL_SCANCODE_RIGHT, true);
    keyboard.Poll();
    ASSERT_TRUE(keyboard.IsDown(0xCD));

    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    display.Pump();
    keyboard.Poll();  // lost: no key counts as held, and the device is asked for again
    EXPECT_FALSE(keyboard.IsDown(0xCD));
    keyboard.Poll();
    EXPECT_FALSE(keyboard.IsDown(0xCD));
    EXPECT_EQ(keyboard.acquired, 1);

    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    display.Pump();
    keyboard.Poll();  // acquired again, not yet read
    keyboard.Poll();
    EXPECT_FALSE(keyboard.IsDown(0xCD));  // released when the focus went
    Press(SDL_SCANCODE_LEFT, true);
    keyboard.Poll();
    EXPECT_TRUE(keyboard.IsDown(0xCB));
    Press(SDL_SCANCODE_LEFT, false);
}

}  // namespace
