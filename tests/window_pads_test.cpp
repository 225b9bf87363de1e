// A window on request, game controllers and touch: what the stand-ins add beside the keyboard
// and the full screen, driven through the whole program.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "game/game_screen.h"
#include "platform/internal.h"
#include "screens/menu_screen.h"
#include "tests/support/app_harness.h"

namespace {

// A pad of SDL's own making: no hardware needed.
class VirtualPad {
public:
    explicit VirtualPad(SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER)
        : joystick_(
              SDL_JoystickOpen(SDL_JoystickAttachVirtual(type, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0)))
    {
    }
    ~VirtualPad() { Unplug(); }
    void Press(SDL_GameControllerButton button, bool down) { SDL_JoystickSetVirtualButton(joystick_, button, down); }
    void Stick(Sint16 x) { SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTX, x); }
    void Unplug()
    {
        if (joystick_ == nullptr) return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(std::exchange(joystick_, nullptr));
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }

private:
    SDL_Joystick* joystick_;
};

TEST(PadsTest, TwoPadsSteerARoundAndAPadPulledOutLetsGoAtOnce)
{
    test::AppHarness app;
    ASSERT_TRUE(app.Start());
    VirtualPad green;
    VirtualPad blue;
    testing::internal::CaptureStderr();
    VirtualPad unknown(SDL_JOYSTICK_TYPE_UNKNOWN);
    app.Pump();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lorvex_tests: the controller \"Virtual Joystick\" has no known button layout and is not used\n");
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 2, 0);
    green.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    blue.Stick(30000);
    app.Ticks(2);
    const WormRecord* worms = app.Frame()->gameScreen->worms;
    EXPECT_EQ(worms[0].turn, -1);
    EXPECT_EQ(worms[1].turn, 1);

    green.Unplug();  // with its button held
    blue.Stick(0);
    blue.Press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    app.Ticks(2);
    EXPECT_EQ(worms[0].turn, 0);
    EXPECT_EQ(worms[1].turn, -1);

    // Of many pads the first two steer; a place let go goes to the first that waits.
    std::vector<std::unique_ptr<VirtualPad>> more;
    for (int i = 0; i < 6; ++i) more.push_back(std::make_unique<VirtualPad>());
    for (auto& pad : more) pad->Press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    more[5]->Press(SDL_CONTROLLER_BUTTON_BACK, true);  // waits, so Esc is not pressed
    app.Ticks(2);
    EXPECT_EQ(worms[0].turn, 1);
    EXPECT_EQ(worms[1].turn, -1);
    EXPECT_EQ(app.Frame()->currentScreen, app.Frame()->gameScreen);
    blue.Press(SDL_CONTROLLER_BUTTON_BACK, true);  // Esc: the round ends
    app.Ticks(1);
    EXPECT_EQ(app.Frame()->currentScreen, app.Frame()->menuScreen);
}

TEST(TouchTest, FingersSteerOneWormByHalvesTwoByQuartersAndATapOnceTheCrashStandsStillIsSpace)
{
    using platform_test::PushFinger;
    test::AppHarness app;
    char* options[] = {const_cast<char*>("lorvex"), const_cast<char*>("--window")};
    ASSERT_EQ(AfxReadOptions(2, options), -1);
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    SDL_SetWindowSize(platform::SdlWindowOf(frame->m_hWnd), 1000, 500);  // bars beside the picture
    platform_test::PushMouseMove(320, 160);
    PushFinger(0, 320, 160, SDL_FINGERDOWN);
    PushFinger(0, 320, 160, SDL_FINGERUP);
    app.Ticks(1);
    EXPECT_EQ(frame->menuScreen->singleButton->state, 0);  // no hover left under a lifted finger

    PostMessageA(frame->m_hWnd, UM_START_GAME, 1, 0);
    const WormRecord* worms = frame->gameScreen->worms;
    std::vector<int> turns;
    const auto step = [&](int finger, int x, Uint32 type) {
        PushFinger(finger, x, 240, type);
        app.Ticks(1);
        turns.push_back(worms[0].turn * 10 + worms[1].turn);
    };
    step(0, 100, SDL_FINGERDOWN);
    step(0, 540, SDL_FINGERMOTION);
    step(0, -20, SDL_FINGERMOTION);  // off the picture
    step(0, 540, SDL_FINGERMOTION);
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    app.Ticks(1);
    step(0, 540, SDL_FINGERMOTION);  // still down, but let go with the focus

    PostMessageA(frame->m_hWnd, UM_START_GAME, 2, 0);
    step(1, 240, SDL_FINGERDOWN);
    step(2, 560, SDL_FINGERDOWN);
    step(3, 80, SDL_FINGERDOWN);
    step(4, 400, SDL_FINGERDOWN);
    step(5, 80, SDL_FINGERDOWN);  // a fifth holds nothing
    PushFinger(3, 80, 240, SDL_FINGERUP);
    step(4, 400, SDL_FINGERUP);
    EXPECT_EQ(turns, (std::vector<int>{-10, 10, 0, 10, 0, 1, 11, 9, -11, -11, 11}));

    for (int finger : {0, 1, 2, 5}) PushFinger(finger, 0, 0, SDL_FINGERUP);
    for (int i = 0; i < 200 && frame->gameScreen->running; ++i) app.Ticks(1);
    const auto tap = [&] {
        PushFinger(6, 320, 240, SDL_FINGERDOWN);
        app.Pump();
        app.Advance(200);
        PushFinger(6, 320, 240, SDL_FINGERUP);
        app.Pump();
    };
    tap();  // the crash still plays
    EXPECT_EQ(frame->currentScreen, frame->gameScreen);
    app.Ticks(8);
    tap();
    EXPECT_EQ(frame->currentScreen, frame->menuScreen);
    ASSERT_EQ(AfxReadOptions(1, options), -1);  // the next start as the last
}

void PushAltEnter()
{
    SDL_Event e{};
    e.key.keysym.scancode = SDL_SCANCODE_RETURN;
    e.key.keysym.mod = KMOD_LALT;
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        e.type = type;
        SDL_PushEvent(&e);
    }
}

TEST(WindowTest, AltEnterSwitchesAtOnceKeepingHeldKeysAndTheChoiceHoldsForTheNextStart)
{
    test::AppHarness app;
    char* options[] = {const_cast<char*>("lorvex"), const_cast<char*>("--window")};
    ASSERT_EQ(AfxReadOptions(2, options), -1);
    ASSERT_TRUE(app.Start());
    SDL_Window* sdl = platform::SdlWindowOf(app.Frame()->m_hWnd);
    const auto fullScreen = [&] { return (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; };
    EXPECT_FALSE(fullScreen());
    int w = 0, h = 0;
    SDL_GetWindowMinimumSize(sdl, &w, &h);
    EXPECT_EQ(w * 10000 + h, 640 * 10000 + 480);

    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 1, 0);
    platform_test::PushKey(SDL_SCANCODE_LEFT, true);
    for (int i = 0; i < 51; ++i) {
        PushAltEnter();
        app.Ticks(1);
    }
    EXPECT_TRUE(fullScreen());
    EXPECT_EQ(app.Frame()->gameScreen->worms[0].turn, -1);  // still held
    // Written as it is made: a kill from here on loses nothing.
    EXPECT_NE(test::ReadFile(app.SettingsFile()).find("[Display]\nwindow=0\n"), std::string::npos);
    PushAltEnter();
    platform_test::PushKey(SDL_SCANCODE_LEFT, false);
    app.Ticks(2);
    EXPECT_FALSE(fullScreen());
    EXPECT_EQ(app.Frame()->gameScreen->worms[0].turn, 0);

    // The mouse maps to the picture in the window's largest 4:3 rectangle, at any size.
    SDL_SetWindowSize(sdl, 1000, 500);
    app.RecordMessages();
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.windowID = SDL_GetWindowID(sdl);
    click.button.button = SDL_BUTTON_LEFT;
    click.button.clicks = 1;
    click.button.x = 500;  // picture point (320, 200) at 1000 x 500
    click.button.y = 208;
    SDL_PushEvent(&click);
    app.Pump();
    ASSERT_FALSE(app.Dispatched().empty());
    EXPECT_EQ(GET_X_LPARAM(app.Dispatched().back().lParam), 320);
    EXPECT_EQ(GET_Y_LPARAM(app.Dispatched().back().lParam), 200);

    app.Stop();
    const std::string settings = test::ReadFile(app.SettingsFile());
    EXPECT_NE(settings.find("[Display]\nwindow=1\n"), std::string::npos) << settings;
    test::AppHarness next;
    next.WriteSettings(settings);
    ASSERT_EQ(AfxReadOptions(1, options), -1);
    ASSERT_TRUE(next.Start());
    EXPECT_EQ(SDL_GetWindowFlags(platform::SdlWindowOf(next.Frame()->m_hWnd)) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
}

}  // namespace
