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
[[gnu::always_inline]] inline DWORD NowMs() { return static_cast<DWORD>(SDL_GetTicks64()); }
[[gnu::always_inline]] inline void WaitForEvent(DWORD timeoutMs)
{
    SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs));
}
[[gnu::always_inline]] inline bool ShouldFail(platform_test::Fault) { return false; }
[[gnu::always_inline]] inline void TraceCall(const char*) {}
[[gnu::always_inline]] inline bool NextScriptedRandom(int*) { return false; }
[[gnu::always_inline]] inline void CaptureDebugOutput(const char*) {}
#endif

// The procedure a window hands every message to, with the owner it was made for.
using WindowProcedure = LRESULT (*)(void* owner, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the program's one window, hidden until ShowWindow; null when no display can be opened.
HWND CreateGameWindow(const char* title, int x, int y, int width, int height, WindowProcedure procedure,
                      void* owner);

// The main window's SDL window; null when there is none.
SDL_Window* SdlWindowOf(HWND window);
bool IsValidWindow(HWND window);
bool WindowHasFocus();

// The colour conversion shared by every write of a colour and every picture copy,
// so a probed colour key equals what a picture's pixels of that colour became.
Uint32 ColorToPixel(const SDL_PixelFormat* format, COLORREF color);
COLORREF PixelToColor(const SDL_PixelFormat* format, Uint32 pixel);
// A copy of src in the given format, every pixel converted through ColorToPixel.
SDL_Surface* ConvertToFormat(SDL_Surface* src, const SDL_PixelFormat* format);
// Writes the region `from` of src into dst at (x, y), clipped to dst, converted the same way.
void CopyConverted(const SDL_Surface* src, SDL_Rect from, SDL_Surface* dst, int x, int y);

// Device contexts bound to a surface's pixels (made by IDirectDrawSurface::GetDC).
HDC CreateSurfaceDC(SDL_Surface* pixels);
void DestroySurfaceDC(HDC dc);

// Display device hooks for the event pump.
void OnRenderReset();
void OnWindowSizeChanged();
void OnWindowDestroying(HWND window);
// The display mode's size; false while no mode is set.
bool PictureSize(int* width, int* height);

// The 256-byte keyboard table kept from key events, indexed by DirectInput key code.
BYTE* KeyTable();
// Counts how often the window lost the keyboard focus; a device acquired before a loss has lost its input.
unsigned FocusLossCount();

// Made first thing in the program's run: standard streams open, hang-ups handled.
void PrepareProcess();
// SDL's video subsystem, started once for the window and the display device; false, with one
// line on standard error, when no display can be opened.
bool EnsureVideo();
// The display's end, at the normal end of the run.
void Shutdown();

}  // namespace platform

// Gives the window the program's icon, from an icon file.
BOOL SetWindowIcon(HWND window, const void* iconFile, size_t size);
