#pragma once

#ifdef _WIN32
#include "platform/windows.h"

#include <ddraw.h>
#else

// The display device: a stand-in for the first DirectDraw interfaces, on SDL2.
// Surfaces hold 16-bit pixels; the primary surface is the window's picture.

#include "platform/windows.h"

struct SDL_Surface;
struct SDL_Texture;
struct SDL_Renderer;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDMODE = static_cast<HRESULT>(0x88760050u);
constexpr HRESULT DDERR_INVALIDOBJECT = static_cast<HRESULT>(0x88760082u);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = static_cast<HRESULT>(0x887600D4u);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = static_cast<HRESULT>(0x887600E1u);
constexpr HRESULT DDERR_NOTFOUND = static_cast<HRESULT>(0x887600FFu);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEu);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021Cu);
constexpr HRESULT DDERR_NOTFLIPPABLE = static_cast<HRESULT>(0x88760246u);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x88760248u);
constexpr HRESULT DDERR_CANTCREATEDC = static_cast<HRESULT>(0x8876024Du);
constexpr HRESULT DDERR_DCALREADYCREATED = static_cast<HRESULT>(0x8876026Cu);

// SetCooperativeLevel
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

// DDSURFACEDESC.dwFlags
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_LPSURFACE = 0x800;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;

// DDSCAPS.dwCaps
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;

// BltFast
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr DWORD DDBLTFAST_WAIT = 0x10;

// SetColorKey
constexpr DWORD DDCKEY_SRCBLT = 0x8;

// DDPIXELFORMAT.dwFlags
constexpr DWORD DDPF_RGB = 0x40;

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

class IDirectDraw;

class IDirectDrawSurface {
public:
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached);
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags);
    HRESULT Flip(IDirectDrawSurface* targetOverride, DWORD flags);
    HRESULT Restore();
    HRESULT IsLost();
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event);
    HRESULT Unlock(void* surfaceData);
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
    ULONG AddRef();
    ULONG Release();

    IDirectDrawSurface(const IDirectDrawSurface&) = delete;
    IDirectDrawSurface& operator=(const IDirectDrawSurface&) = delete;

private:
    friend class IDirectDraw;
    friend struct SurfaceInternals;
    IDirectDrawSurface(IDirectDraw* device, SDL_Surface* pixels, DWORD caps);
    ~IDirectDrawSurface();
    HRESULT CheckUsable(bool countBusy);
    bool IsPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }

    IDirectDraw* device_;
    SDL_Surface* pixels_;
    DWORD caps_;
    ULONG refs_ = 1;
    bool lost_ = false;
    int busyCalls_ = 0;
    bool hasKey_ = false;
    DWORD key_ = 0;
    HDC dc_ = nullptr;
    bool locked_ = false;
    IDirectDrawSurface* backBuffer_ = nullptr;  // the primary's one back buffer, owned by it
};

class IDirectDraw {
public:
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void* outer);
    ULONG AddRef();
    ULONG Release();

    IDirectDraw(const IDirectDraw&) = delete;
    IDirectDraw& operator=(const IDirectDraw&) = delete;

private:
    friend HRESULT DirectDrawCreate(GUID*, IDirectDraw**, void*);
    friend class IDirectDrawSurface;
    friend struct SurfaceInternals;
    IDirectDraw();
    ~IDirectDraw();
    HRESULT CreatePrimary(DDSURFACEDESC* desc, IDirectDrawSurface** surface);
    HRESULT CreateOffscreen(DDSURFACEDESC* desc, IDirectDrawSurface** surface);
    bool CreateTexture();
    void Present(SDL_Surface* frame);
    void Forget(IDirectDrawSurface* surface);

    ULONG refs_ = 1;
    HWND window_ = nullptr;
    bool exclusive_ = false;
    DWORD modeWidth_ = 0;
    DWORD modeHeight_ = 0;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    IDirectDrawSurface* primary_ = nullptr;
};

// Creates the display device (null GUID: the default device).
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** device, void* outer);
#endif  // _WIN32
