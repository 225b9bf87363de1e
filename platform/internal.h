#pragma once

// Shared between the stand-ins of platform/, and the test build's seams that reach them
// (tests/support/platform_hooks.cpp); game code never includes this.

#include <SDL.h>

#include "platform/online.h"
#include "platform/windows.h"

namespace platform {

// The procedure a window hands every message to, with the owner it was made for.
using WindowProcedure = LRESULT (*)(void* owner, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the program's one window, hidden until ShowWindow; null when no display can be opened.
HWND CreateGameWindow(const char* title, int x, int y, int width, int height, WindowProcedure procedure, void* owner);

// The main window's SDL window; null when there is none, or when the program is being ended
// from inside a display call and nothing may touch the display.
SDL_Window* SdlWindowOf(HWND window);
bool IsValidWindow(HWND window);
// The program's one window; null while there is none.
HWND MainWindow();

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
// When the picture on the screen last changed, on SDL's clock.
Uint64 PictureChangedAt();

// The keyboard as the main window's events leave it.
struct Keyboard {
    BYTE keys[256];        // down or up, indexed by DirectInput key code
    bool focus;            // the main window has the keyboard focus
    unsigned focusLosses;  // a device acquired before a loss has lost its input
    bool onlineOnly;       // only the online game holds keys: read whatever the focus
};
const Keyboard& KeyboardState();
// The same, for the window's events to change (platform/key_table.cpp), and all its keys let go
// by every holder.
Keyboard& WindowKeyboard();
void ClearKeyTable();
// HoldKey and the other holders' hooks: platform/online.h.

// Game controllers, started with the video: the first two steer the worms as their keys do.
void OpenPads();
void ClosePads();
// What a pad event means for the table of keys; true when it makes a key message as well.
bool TranslatePad(const SDL_Event& event, unsigned* virtualKey, bool* down);
// Fingers on the picture steer as the keys do (platform/touch.cpp); true when a touch makes a key
// message as well. Focus lost, every finger lets go. The frame's messages tell it how many worms play.
bool TranslateTouch(const SDL_Event& event, unsigned* virtualKey, bool* down);
void LetGoOfTouches();
void NoteMessage(UINT message, WPARAM wParam);

// Full screen, or a window the player may size: the command line asks, or the choice of the
// last run; Alt+Enter switches at any time.
enum class StartIn { AsLastTime, Window, FullScreen };
void RequestStart(StartIn choice);
void ShowDisplayMode(SDL_Window* window, int pictureWidth, int pictureHeight);
void ToggleFullScreen();
// True for the window system's own keys (Alt+Enter), which it handles and the game never sees.
bool TakeWindowKey(const SDL_KeyboardEvent& key);
// The window's flags on this system, and the end of its display mode with the window.
Uint32 SystemWindowFlags();
void EndDisplayMode();
// The stand-ins' own settings, in a section of their own beside the game's; written only when
// they change, a missing one counting as 0.
int StandInSetting(const char* entry, int defaultValue);
void KeepStandInSetting(const char* entry, int value);

// The process around the window (platform/process_*.cpp). Made first thing in the program's
// run: standard streams open, termination signals handled.
void PrepareProcess();
// True once after a termination signal asked the window to close.
bool TakeCloseSignal();
// The video drivers SDL may try, and the display's failures caught, around SDL's video start.
void ChooseVideoDrivers();
void CatchDisplayErrors();
// The run ended normally; until then, a display that ended the program is not touched again.
void MarkShutDown();
bool DisplayAbandoned();
// Sleeps until input arrives or the milliseconds pass (platform/event_wait_*.cpp).
void WaitForEvents(int milliseconds);
// SDL's video subsystem, started once for the window and the display device; false, with one
// line on standard error, when no display can be opened.
bool EnsureVideo();
// The display's end, at the normal end of the run.
void Shutdown();

}  // namespace platform
