#pragma once

// Shared between the stand-ins of platform/ only; game code never includes this.

#include <SDL.h>

#include "platform/test_hooks.h"
#include "platform/windows.h"

namespace platform {

// The hooks that tests drive (platform/test_hooks.cpp) exist only in the build that tests and
// benchmarks link; in the shipped game they are constants the compiler folds away.
#ifdef LORVEX_TEST_HOOKS
// Time in milliseconds from the real or the test's clock.
DWORD NowMs();
// Waits for an SDL event up to timeoutMs (returns at once under the test clock).
void WaitForEvent(DWORD timeoutMs);

// True when the next call of that step is to fail (consumes one injected fault).
bool ShouldFail(platform_test::Fault fault);
void TraceCall(const char* what);
// The next value a test scripted for crt::rand, if any is left.
bool NextScriptedRandom(int* value);
void CaptureDebugOutput(const char* text);
#else
// Always inlined, so that not even an unoptimised build keeps a copy of them.
[[gnu::always_inline]] inline DWORD NowMs()
{
    return static_cast<DWORD>(SDL_GetTicks64());
}
[[gnu::always_inline]] inline void WaitForEvent(DWORD timeoutMs)
{
    SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs));
}
[[gnu::always_inline]] inline bool ShouldFail(platform_test::Fault)
{
    return false;
}
[[gnu::always_inline]] inline void TraceCall(const char*) {}
[[gnu::always_inline]] inline bool NextScriptedRandom(int*)
{
    return false;
}
[[gnu::always_inline]] inline void CaptureDebugOutput(const char*) {}
#endif

// The procedure a window hands every message to, with the owner it was made for.
using WindowProcedure = LRESULT (*)(void* owner, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the program's one window, hidden until ShowWindow; null when no display can be opened.
HWND CreateGameWindow(const char* title, int x, int y, int width, int height, WindowProcedure procedure, void* owner);

// The main window's SDL window; null when there is none, or when the program is being ended
// from inside a display call and nothing may touch the display.
SDL_Window* SdlWindowOf(HWND window);
bool IsValidWindow(HWND window);

}  // namespace platform

// A device context: drawing into a surface's or a selected bitmap's pixels. A surface hands
// out its own (IDirectDrawSurface::GetDC); CreateCompatibleDC makes the memory ones.
struct DeviceContextObject {
    SDL_Surface* pixels = nullptr;
    GdiObject* bitmap = nullptr;
    GdiObject* font = nullptr;
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
};

namespace platform {

// Display device hooks for the event pump.
void OnRenderReset();
// Shows the frame on the screen again, when the window system asks for it.
void RepaintScreen();
void OnWindowDestroying(HWND window);
// The display mode's size; false while no mode is set.
bool PictureSize(int* width, int* height);
// Window coordinates to the picture pixel drawn there (outside the picture over the
// bars), and back to the window pixel at the middle of a picture pixel.
void PicturePointOf(int* x, int* y);
void WindowPointOf(int* x, int* y);

// The keyboard as the main window's events leave it.
struct Keyboard {
    BYTE keys[256];        // down or up, indexed by DirectInput key code
    bool focus;            // the main window has the keyboard focus
    unsigned focusLosses;  // a device acquired before a loss has lost its input
};
const Keyboard& KeyboardState();
// A key of the table held down or let go by one of its holders (bits: the keyboard, each pad); it
// is down while any holds it.
void HoldKey(unsigned dik, BYTE holder, bool down);

// Game controllers, started with the video: the first two steer the worms as their keys do.
void OpenPads();
void ClosePads();
// What a pad event means for the table of keys; true when it makes a key message as well.
bool TranslatePad(const SDL_Event& event, unsigned* virtualKey, bool* down);

// Full screen, or a window the player may size: the command line asks, or the choice of the
// last run; Alt+Enter switches at any time.
enum class StartIn { AsLastTime, Window, FullScreen };
void RequestStart(StartIn choice);
void ShowDisplayMode(SDL_Window* window, int pictureWidth, int pictureHeight);
void ToggleFullScreen();
// The stand-ins' own settings, in a section of their own beside the game's; written only when
// they change, a missing one counting as 0.
int StandInSetting(const char* entry, int defaultValue);
void KeepStandInSetting(const char* entry, int value);

// Made first thing in the program's run: standard streams open, hang-ups handled.
void PrepareProcess();
// SDL's video subsystem, started once for the window and the display device; false, with one
// line on standard error, when no display can be opened.
bool EnsureVideo();
// The display's end, at the normal end of the run.
void Shutdown();

}  // namespace platform
