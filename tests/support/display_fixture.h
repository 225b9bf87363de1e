#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "tests/support/platform_hooks.h"
#include "platform/winuser.h"

namespace test {

// Magenta, the pictures' colour key, as a 5-6-5 pixel.
constexpr std::uint16_t kKey565 = 0xF81F;

// Sets the headless drivers and the test clock for the whole test program. The offscreen video
// driver draws what is presented, for tests that read the screen back; dummy draws nothing.
void UseHeadlessPlatform(const char* videoDriver = "dummy");

// 16-bit pixels read and written through Lock.
platform_test::Frame Read(IDirectDrawSurface* surface);  // every pixel, under one lock
std::uint16_t RawPixel(IDirectDrawSurface* surface, int x, int y);
void SetRawPixel(IDirectDrawSurface* surface, int x, int y, std::uint16_t value);
void FillRaw(IDirectDrawSurface* surface, std::uint16_t value);
IDirectDrawSurface* NewSurface(IDirectDraw* device, int width, int height);
// DD_OK, or DDERR_SURFACELOST while the surface is lost.
HRESULT LostState(IDirectDrawSurface* surface);
// The colour a 5-6-5 pixel shows, each part scaled to 0..255 as SDL scales it.
COLORREF PixelToColor(std::uint16_t pixel);

// A window with the display device in its 640 x 480 x 16 mode, a primary surface and
// its back buffer, as start-up makes them; all released at destruction.
class Display {
public:
    // headless: on SDL's dummy driver (or `driver`) with the test clock; otherwise on whatever
    // driver the environment names, with the real clock (for measuring).
    explicit Display(bool headless = true, const char* driver = "dummy");
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Dispatches waiting messages to this window; returns how many there were.
    int Pump();

    HWND window = nullptr;
    IDirectDraw* device = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
    MSG last{};
    int received = 0;
};

}  // namespace test
