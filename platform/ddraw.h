#pragma once

#ifdef _WIN32
#include "platform/windows.h"

#include <ddraw.h>
#else

// The display device: a stand-in for the first DirectDraw interfaces, with the names,
// arguments and result codes the game uses. Surfaces hold 16-bit 5-6-5 pixels.

#include "platform/windows.h"

struct IUnknown;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_INVALIDOBJECT = static_cast<HRESULT>(0x88760082u);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021Cu);

constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;

constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x1;

constexpr DWORD DDCKEY_SRCBLT = 0x8;

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};
struct DDSCAPS {
    DWORD dwCaps;
};
struct DDPIXELFORMAT {
    DWORD dwRGBBitCount;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    void* lpSurface;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

class IDirectDrawSurface {
public:
    virtual ULONG Release() = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags) = 0;
    virtual HRESULT Flip(IDirectDrawSurface* targetOverride, DWORD flags) = 0;
    virtual HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
    // The whole surface, whatever the rectangle.
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
    virtual HRESULT Unlock(void* surfaceData) = 0;

protected:
    ~IDirectDrawSurface() = default;
};

class IDirectDraw {
public:
    virtual ULONG Release() = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) = 0;

protected:
    ~IDirectDraw() = default;
};

// A C function, as the system declares it.
extern "C" HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** device, IUnknown* outer);
#endif  // _WIN32
