#pragma once

#include "platform/ddraw.h"

// The one transparent colour of every picture: magenta.
constexpr COLORREF kTransparentColor = 0xFF00FF;

// A new off-screen surface holding the named picture (a resource, else a file of that
// name); width and height 0 take the picture's own size. Null when it cannot be had.
IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* device, const char* name, int width, int height);

// Fills an existing surface again with the named picture, stretched to the surface's size.
HRESULT ReloadBitmapSurface(IDirectDrawSurface* surface, const char* name);

// Stretches a region of a bitmap (0 width or height: the bitmap's) over the whole surface.
HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int sourceX, int sourceY, int sourceWidth,
                            int sourceHeight);

// The raw pixel value the colour becomes in this surface, found by writing it through the
// same conversion that copies pictures; 0xFFFFFFFF when the surface cannot be locked.
DWORD MatchSurfaceColor(IDirectDrawSurface* surface, COLORREF color);

// Makes the colour the surface's source colour key.
HRESULT SetSurfaceColorKey(IDirectDrawSurface* surface, COLORREF color);
