#include "platform/winuser.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/dinput.h"
#include "platform/internal.h"
#include "tests/support/app_harness.h"
#include "tests/support/display_fixture.h"

namespace {

constexpr UINT kOwn = 0x0400;  // the first message number of a window's own

// Records every message its window receives.
class Recorder : public test::Display {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(MSG{window, message, wParam, lParam});
        return 0;
    }
    std::vector<UINT> Kinds() const
    {
        std::vector<UINT> kinds;
        for (const MSG& m : messages) kinds.push_back(m.message);
        return kinds;
    }
    std::vector<MSG> messages;
};

class WindowMessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_test::ResetFaults();
        ASSERT_NE(window.primary, nullptr);
        window.Pump();
        window.messages.clear();
    }
    void Flush()
    {
        window.messages.clear();
        window.Pump();
    }
    // Moves the clock on, dispatches what came due and counts the timer's ticks among it.
    int TicksAfter(DWORD ms)
    {
        platform_test::AdvanceClock(ms);
        Flush();
        int ticks = 0;
        for (const MSG& m : window.messages) ticks += m.message == WM_TIMER && m.wParam == 5;
        return ticks;
    }
    Recorder window;
};

TEST_F(WindowMessagesTest, PostedMessagesQueueInOrderAndSentOnesRunAtOnce)
{
    PostMessageA(window.window, kOwn + 1, 1, 0);
    PostMessageA(window.window, kOwn + 2, 2, 0);
    EXPECT_EQ(SendMessageA(window.window, kOwn + 3, 3, 0), 0);
    ASSERT_EQ(window.Kinds(), (std::vector<UINT>{kOwn + 3}));
    window.Pump();
    EXPECT_EQ(window.Kinds(), (std::vector<UINT>{kOwn + 3, kOwn + 1, kOwn + 2}));
    EXPECT_EQ(PostMessageA(nullptr, kOwn, 0, 0), FALSE);
    EXPECT_EQ(SendMessageA(nullptr, kOwn, 0, 0), 0);
}

TEST_F(WindowMessagesTest, AFullQueueRefusesMorePostsInsteadOfGrowing)
{
    int accepted = 0;
    for (int i = 0; i < 5000; ++i) accepted += PostMessageA(window.window, kOwn, 0, 0);
    EXPECT_GT(accepted, 100);
    EXPECT_LT(accepted, 5000);
    Flush();
    EXPECT_EQ(window.messages.size(), static_cast<size_t>(accepted));
}

TEST_F(WindowMessagesTest, TimerTicksOncePerPeriodAndNeverQueuesMissedTicks)
{
    ASSERT_EQ(SetTimer(window.window, 5, 40, nullptr), 5u);
    EXPECT_EQ(TicksAfter(39), 0);
    EXPECT_EQ(TicksAfter(1), 1);
    EXPECT_EQ(TicksAfter(40), 1);
    EXPECT_EQ(TicksAfter(400), 1);  // ten periods late: one tick
    EXPECT_EQ(TicksAfter(39), 0);
    EXPECT_EQ(TicksAfter(1), 1);
    EXPECT_EQ(TicksAfter(15), 0);
    EXPECT_EQ(TicksAfter(25), 1);  // a little late: the cadence holds
}

// Pumped at uneven moments (1 to 11 ms apart), the k-th tick comes at the first pump at or after
// k x 40 ms, for 10,000 ticks: lateness never adds up. A stall then gives one tick, not the 25
// it missed, and the cadence starts again from that tick.
TEST_F(WindowMessagesTest, TimerHoldsFortyMillisecondsWithoutDriftAndDropsTicksMissedInAStall)
{
    ASSERT_EQ(SetTimer(window.window, 5, 40, nullptr), 5u);
    auto runFor = [&](DWORD total) {
        DWORD elapsed = 0, step = 1;
        int ticks = 0, firstMismatchAt = -1;
        while (elapsed < total) {
            step = (step * 7 + 3) % 11 + 1;
            step = std::min(step, total - elapsed);
            elapsed += step;
            ticks += TicksAfter(step);
            if (firstMismatchAt < 0 && ticks != static_cast<int>(elapsed / 40))
                firstMismatchAt = static_cast<int>(elapsed);
        }
        EXPECT_EQ(firstMismatchAt, -1) << "ticks fell off the 40 ms grid at " << firstMismatchAt << " ms";
        return ticks;
    };
    EXPECT_EQ(runFor(400000), 10000);

    EXPECT_EQ(TicksAfter(1000), 1);
    EXPECT_EQ(TicksAfter(39), 0);
    EXPECT_EQ(TicksAfter(1), 1);
    EXPECT_EQ(runFor(4000), 100);
}

TEST_F(WindowMessagesTest, KeysBecomeVirtualKeyMessages)
{
    platform_test::PushKey(SDL_SCANCODE_SPACE, true);
    platform_test::PushKey(SDL_SCANCODE_SPACE, true, true);
    platform_test::PushKey(SDL_SCANCODE_SPACE, false);
    platform_test::PushKey(SDL_SCANCODE_ESCAPE, true);
    Flush();
    ASSERT_EQ(window.Kinds(), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP, WM_KEYDOWN}));
    EXPECT_EQ(window.messages[0].wParam, VK_SPACE);
    EXPECT_EQ(window.messages[1].wParam, VK_SPACE);  // autorepeat: more key-downs
    EXPECT_EQ(window.messages[2].wParam, VK_SPACE);
    EXPECT_EQ(window.messages[3].wParam, VK_ESCAPE);
}

TEST_F(WindowMessagesTest, EverySecondPressIsADoubleClick)
{
    for (int clicks = 1; clicks <= 4; ++clicks) platform_test::PushMouseButton(10, 10, true, true, clicks);
    platform_test::PushMouseButton(10, 10, true, false);
    platform_test::PushMouseButton(10, 10, false, true, 2);
    platform_test::PushMouseButton(10, 10, false, false);
    Flush();
    EXPECT_EQ(window.Kinds(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK,
                                                 WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}));
}

TEST_F(WindowMessagesTest, MousePointsArePictureCoordinatesClampedIntoThePicture)
{
    platform_test::PushMouseMove(123, 456);
    platform_test::PushMouseButton(639, 0, true, true);
    Flush();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(GET_X_LPARAM(window.messages[0].lParam), 123);
    EXPECT_EQ(GET_Y_LPARAM(window.messages[0].lParam), 456);
    EXPECT_EQ(GET_X_LPARAM(window.messages[1].lParam), 639);
    EXPECT_EQ(GET_Y_LPARAM(window.messages[1].lParam), 0);

    // Points on the bars around the picture land on its nearest edge.
    SDL_Window* sdl = platform::SdlWindowOf(window.window);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    for (auto [wx, wy, px, py] : {std::tuple{0, 0, 0, 0}, std::tuple{w - 1, h - 1, 639, 479}}) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(sdl);
        e.motion.x = wx;
        e.motion.y = wy;
        SDL_PushEvent(&e);
        Flush();
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(GET_X_LPARAM(window.messages[0].lParam), px) << w << "x" << h;
        EXPECT_EQ(GET_Y_LPARAM(window.messages[0].lParam), py);
    }
}

TEST_F(WindowMessagesTest, QuitClosesAndMinimisingStopsPainting)
{
    platform_test::PushQuit();
    Flush();
    EXPECT_EQ(window.Kinds(), (std::vector<UINT>{WM_CLOSE}));

    platform_test::PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    Flush();
    EXPECT_EQ(IsIconic(window.window), TRUE);
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    Flush();
    EXPECT_TRUE(window.messages.empty());
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    Flush();
    EXPECT_EQ(IsIconic(window.window), FALSE);
    EXPECT_EQ(window.Kinds(), (std::vector<UINT>{WM_PAINT}));
}

TEST_F(WindowMessagesTest, CursorCountTracksShowAndHide)
{
    const int start = platform_test::CursorDisplayCount();
    EXPECT_EQ(ShowCursor(FALSE), start - 1);
    EXPECT_EQ(ShowCursor(FALSE), start - 2);
    EXPECT_EQ(ShowCursor(TRUE), start - 1);
    EXPECT_EQ(ShowCursor(TRUE), start);
}

class KeyboardInputTest : public WindowMessagesTest {
protected:
    void SetUp() override
    {
        WindowMessagesTest::SetUp();
        ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &input, nullptr), DI_OK);
        IDirectInputDeviceA* first = nullptr;
        ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &first, nullptr), DI_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&device)), DI_OK);
        first->Release();
        ASSERT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        ASSERT_EQ(device->SetCooperativeLevel(window.window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    }
    void TearDown() override
    {
        device->Unacquire();
        device->Release();
        input->Release();
        platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
        Flush();
    }
    HRESULT Read() { return device->GetDeviceState(sizeof state, state); }

    IDirectInputA* input = nullptr;
    IDirectInputDevice2A* device = nullptr;
    BYTE state[256] = {};
};

TEST_F(KeyboardInputTest, StateFollowsKeyEventsByDirectInputCode)
{
    EXPECT_NE(Read(), DI_OK) << "not acquired";
    ASSERT_EQ(device->Acquire(), DI_OK);
    platform_test::PushKey(SDL_SCANCODE_LEFT, true);
    platform_test::PushKey(SDL_SCANCODE_S, true);
    Flush();
    ASSERT_EQ(Read(), DI_OK);
    EXPECT_EQ(state[0xCB], 0x80);
    EXPECT_EQ(state[0x1F], 0x80);
    EXPECT_EQ(state[0xCD], 0x00);
    platform_test::PushKey(SDL_SCANCODE_LEFT, false);
    Flush();
    ASSERT_EQ(Read(), DI_OK);
    EXPECT_EQ(state[0xCB], 0x00);
    EXPECT_EQ(state[0x1F], 0x80);
    EXPECT_NE(device->GetDeviceState(100, state), DI_OK) << "not the keyboard's size";
}

TEST_F(KeyboardInputTest, LosingTheFocusLosesTheInputUntilAcquiredInTheForeground)
{
    ASSERT_EQ(device->Acquire(), DI_OK);
    platform_test::PushKey(SDL_SCANCODE_A, true);
    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Flush();
    EXPECT_EQ(Read(), DIERR_INPUTLOST);
    EXPECT_EQ(Read(), DIERR_INPUTLOST);  // every poll is told, so every poll may try again
    EXPECT_NE(device->Acquire(), DI_OK);
    EXPECT_EQ(Read(), DIERR_INPUTLOST);

    platform_test::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Flush();
    EXPECT_EQ(device->Acquire(), DI_OK);
    ASSERT_EQ(Read(), DI_OK);
    EXPECT_EQ(state[0x1E], 0x00);  // a key held while the focus went is not stuck down
}

}  // namespace
