#pragma once

#include "platform/ddraw.h"

// The display mode every screen draws for.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// The display device and its flipping pair, set up at start-up and read by every screen.
extern IDirectDraw* gDirectDraw;
extern IDirectDrawSurface* gPrimarySurface;
extern IDirectDrawSurface* gBackSurface;  // goes with gPrimarySurface, never released by itself

// A fast blit under the device's one result convention: a busy device is asked again at
// once; any other result (DD_OK, DDERR_SURFACELOST, a failure) is the caller's to act on.
inline HRESULT BltFastUntilDone(IDirectDrawSurface* target, DWORD x, DWORD y, IDirectDrawSurface* source,
                                RECT* sourceRect, DWORD flags)
{
    HRESULT hr;
    do {
        hr = target->BltFast(x, y, source, sourceRect, flags);
    } while (hr == DDERR_WASSTILLDRAWING);
    return hr;
}
