#include "platform/ddraw.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "platform/internal.h"
#include "platform/screen.h"

namespace {

using platform::NewPixels;
using platform::Pixels;
using platform::RowsDiffer;
using platform::Screen;

constexpr int kMaxSurfaceSide = 16384;

int FloorDiv(long long a, long long b)
{
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

// Without a clipper a blit lies inside both surfaces, or it is refused whole: one reaching past
// either wrote outside its pixels.
bool LiesInsideBoth(const RECT& r, const SDL_Surface* from, DWORD x, DWORD y, const SDL_Surface* to)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= from->w &&
           r.bottom <= from->h && x + static_cast<long long>(r.right - r.left) <= to->w &&
           y + static_cast<long long>(r.bottom - r.top) <= to->h;
}

class Device;
class Surface;

// Registries outlive every static object that may still release into them at exit.
std::vector<Surface*>& gSurfaces = *new std::vector<Surface*>;
Device* gScreen = nullptr;  // the device in a display mode
Uint64 gPictureChangedAt = 0;

class Surface final : public IDirectDrawSurface {
public:
    Surface(SDL_Surface* pixels, Device* device) : pixels(pixels), device(device) { gSurfaces.push_back(this); }
    ~Surface();
    ULONG Release() override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags) override;
    HRESULT Flip(IDirectDrawSurface* targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) override
    {
        *attached = nullptr;
        if ((caps->dwCaps & DDSCAPS_BACKBUFFER) == 0 || back == nullptr) return E_FAIL;
        *attached = back;
        return DD_OK;
    }
    HRESULT GetDC(HDC* out) override
    {
        *out = nullptr;
        if (lost) return DDERR_SURFACELOST;
        dc = DeviceContextObject{pixels};
        *out = &dc;
        return DD_OK;
    }
    HRESULT ReleaseDC(HDC) override { return DD_OK; }
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override
    {
        desc->dwWidth = static_cast<DWORD>(pixels->w);
        desc->dwHeight = static_cast<DWORD>(pixels->h);
        desc->lPitch = pixels->pitch;
        desc->ddpfPixelFormat.dwRGBBitCount = pixels->format->BitsPerPixel;
        return DD_OK;
    }
    HRESULT Lock(RECT*, DDSURFACEDESC* desc, DWORD, HANDLE) override
    {
        if (lost) return DDERR_SURFACELOST;
        GetSurfaceDesc(desc);
        desc->lpSurface = pixels->pixels;
        return DD_OK;
    }
    HRESULT Unlock(void*) override { return DD_OK; }
    HRESULT Restore() override;
    HRESULT SetColorKey(DWORD, DDCOLORKEY* colorKey) override
    {
        hasKey = true;
        key = colorKey->dwColorSpaceLowValue;
        return DD_OK;
    }

    void MarkLost()
    {
        lost = true;
        if (back != nullptr) back->lost = true;
    }

    SDL_Surface* pixels;
    Device* device;           // the primary's, which shows its frames; null for the others
    Surface* back = nullptr;  // the primary's one back buffer, owned by it
    bool lost = false;
    bool hasKey = false;
    DWORD key = 0;
    DeviceContextObject dc{};
};

class Device final : public IDirectDraw {
public:
    ~Device();
    ULONG Release() override;
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) override;
    HRESULT SetCooperativeLevel(HWND newWindow, DWORD) override
    {
        if (platform::SdlWindowOf(newWindow) == nullptr) return E_FAIL;
        window = newWindow;
        return DD_OK;
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override;

    HWND window = nullptr;
    Screen screen;
    Surface* primary = nullptr;
};

// ---- Surface

Surface::~Surface()
{
    SDL_FreeSurface(pixels);
    gSurfaces.erase(std::find(gSurfaces.begin(), gSurfaces.end(), this));
}

ULONG Surface::Release()
{
    if (device != nullptr) {
        device->primary = nullptr;
        delete back;
    }
    delete this;
    return 0;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* sourceSurface, RECT* sourceRect, DWORD flags)
{
    auto* source = static_cast<Surface*>(sourceSurface);
    if (lost || source->lost) return DDERR_SURFACELOST;
    SDL_Surface* from = source->pixels;
    const RECT r = sourceRect != nullptr ? *sourceRect : RECT{0, 0, from->w, from->h};
    if (!LiesInsideBoth(r, from, x, y, pixels)) return E_FAIL;
    SDL_SetColorKey(from, (flags & DDBLTFAST_SRCCOLORKEY) != 0 && source->hasKey, source->key);
    SDL_Rect part{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_Rect to{static_cast<int>(x), static_cast<int>(y), part.w, part.h};
    return SDL_BlitSurface(from, &part, pixels, &to) == 0 ? DD_OK : E_FAIL;
}

HRESULT Surface::Flip(IDirectDrawSurface*, DWORD)
{
    if (back == nullptr) return E_FAIL;
    if (back->lost) return DDERR_SURFACELOST;
    if (lost) return DDERR_SURFACELOST;
    // A frame already on the screen is not shown again: an idle screen costs nothing.
    if (device != nullptr && device->screen.shown && !RowsDiffer(pixels, back->pixels, 0, pixels->h)) return DD_OK;
    std::swap(pixels, back->pixels);
    if (device != nullptr) gPictureChangedAt = SDL_GetTicks64();
    if (device != nullptr) device->screen.Present(pixels, back->pixels);
    return DD_OK;
}

HRESULT Surface::Restore()
{
    // Lost memory comes back blank; its owner must fill it again.
    for (Surface* s : {this, back}) {
        if (s == nullptr || !s->lost) continue;
        SDL_FillRect(s->pixels, nullptr, 0);
        s->lost = false;
    }
    if (device != nullptr) device->screen.shown = false;
    return DD_OK;
}

// ---- Device

Device::~Device()
{
    if (primary != nullptr) primary->device = nullptr;
    if (gScreen == this) gScreen = nullptr;
}

ULONG Device::Release()
{
    SDL_Window* sdlWindow = platform::SdlWindowOf(window);
    if (sdlWindow != nullptr) SDL_SetWindowFullscreen(sdlWindow, 0);
    delete this;
    return 0;
}

HRESULT Device::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel)
{
    SDL_Window* sdlWindow = platform::SdlWindowOf(window);
    if (sdlWindow == nullptr || bitsPerPixel != 16 || width == 0 || height == 0 || width > 4096 || height > 4096)
        return E_FAIL;
    // The mode change of old is a full-screen desktop window, or a window when the player
    // asks for one, the picture scaled to it.
    platform::ShowDisplayMode(sdlWindow, static_cast<int>(width), static_cast<int>(height));
    if (!screen.Open(sdlWindow, static_cast<int>(width), static_cast<int>(height))) return E_FAIL;
    gScreen = this;
    return DD_OK;
}

HRESULT Device::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown*)
{
    *surface = nullptr;
    if ((desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
        if (primary != nullptr || screen.width == 0) return E_FAIL;
        Pixels front(NewPixels(screen.width, screen.height));
        Pixels behind(NewPixels(screen.width, screen.height));
        if (front == nullptr || behind == nullptr)
            std::fprintf(stderr, "%s: no room for the screen's frames: %s\n", program_invocation_short_name,
                         SDL_GetError());
        if (front == nullptr || behind == nullptr) return E_FAIL;
        primary = new Surface(front.release(), this);
        primary->back = new Surface(behind.release(), nullptr);
        *surface = primary;
        return DD_OK;
    }
    if (desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kMaxSurfaceSide ||
        desc->dwHeight > kMaxSurfaceSide)
        return E_FAIL;
    SDL_Surface* pixels = NewPixels(static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight));
    // Short of memory, the screens closed the game for want of their pictures without a word.
    static bool toldNoRoom = false;
    if (pixels == nullptr && !std::exchange(toldNoRoom, true))
        std::fprintf(stderr, "%s: no room for the pictures: %s\n", program_invocation_short_name, SDL_GetError());
    if (pixels == nullptr) return E_FAIL;
    *surface = new Surface(pixels, nullptr);
    return DD_OK;
}

// The place of the picture in the main window, in window coordinates; false without a mode.
bool WindowPlace(SDL_Rect* place)
{
    SDL_Window* sdlWindow = gScreen != nullptr ? platform::SdlWindowOf(gScreen->window) : nullptr;
    if (sdlWindow == nullptr) return false;
    SDL_GetWindowSize(sdlWindow, &place->w, &place->h);
    *place = platform::FitPicture(place->w, place->h, gScreen->screen.width, gScreen->screen.height);
    return place->w > 0 && place->h > 0;
}

}  // namespace

HRESULT DirectDrawCreate(GUID*, IDirectDraw** device, IUnknown*)
{
    *device = nullptr;
    if (!platform::EnsureVideo()) return E_FAIL;
    *device = new Device();
    return DD_OK;
}

// ---- hooks for the window's event pump

namespace platform {

void OnRenderReset()
{
    if (gScreen != nullptr) gScreen->screen.DropTexture();
    for (Surface* s : gSurfaces) s->MarkLost();
}

void RepaintScreen()
{
    if (gScreen != nullptr && gScreen->primary != nullptr && !gScreen->primary->lost)
        gScreen->screen.Present(gScreen->primary->pixels, gScreen->primary->pixels);
}

void OnWindowDestroying(HWND window)
{
    if (gScreen == nullptr || gScreen->window != window) return;
    gScreen->screen.DropRenderer();
    gScreen->window = nullptr;
}

bool PictureSize(int* width, int* height)
{
    if (gScreen == nullptr) return false;
    *width = gScreen->screen.width;
    *height = gScreen->screen.height;
    return true;
}

Uint64 PictureChangedAt()
{
    return gPictureChangedAt;
}

// The picture pixel whose drawn area holds the centre of window pixel (x, y); over the
// bars that lies outside the picture.
void PicturePointOf(int* x, int* y)
{
    SDL_Rect place{};
    if (!WindowPlace(&place)) return;
    *x = FloorDiv((2LL * (*x - place.x) + 1) * gScreen->screen.width, 2LL * place.w);
    *y = FloorDiv((2LL * (*y - place.y) + 1) * gScreen->screen.height, 2LL * place.h);
}

}  // namespace platform
