#include "platform/ddraw.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/internal.h"

namespace {

// Registries outlive every static object that may still release into them at exit.
std::vector<IDirectDraw*>& gDevices = *new std::vector<IDirectDraw*>;
std::vector<IDirectDrawSurface*>& gSurfaces = *new std::vector<IDirectDrawSurface*>;
bool gUse555 = false;
int gPresentCount = 0;

constexpr int kMaxSurfaceSide = 16384;

Uint32 DisplayFormat()
{
    return SDL_PIXELFORMAT_RGB565;
}

SDL_Surface* NewPixels(int width, int height, Uint32 format)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, format);
    if (s != nullptr) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

void FillDesc(SDL_Surface* pixels, DWORD caps, DDSURFACEDESC* desc)
{
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(pixels->w);
    desc->dwHeight = static_cast<DWORD>(pixels->h);
    desc->lPitch = pixels->pitch;
    desc->ddsCaps.dwCaps = caps;
    DDPIXELFORMAT& pf = desc->ddpfPixelFormat;
    pf = DDPIXELFORMAT{};
    pf.dwSize = sizeof(DDPIXELFORMAT);
    pf.dwFlags = DDPF_RGB;
    pf.dwRGBBitCount = pixels->format->BitsPerPixel;
    pf.dwRBitMask = pixels->format->Rmask;
    pf.dwGBitMask = pixels->format->Gmask;
    pf.dwBBitMask = pixels->format->Bmask;
}

bool ValidSourceRect(const RECT& r, const SDL_Surface* s)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= s->w &&
           r.bottom <= s->h;
}

}  // namespace

// Reaches the private state for the event pump and the test hooks.
struct SurfaceInternals {
    static void MarkLost(IDirectDrawSurface* s)
    {
        s->lost_ = true;
        if (s->backBuffer_ != nullptr) s->backBuffer_->lost_ = true;
    }
    static void SetBusy(IDirectDrawSurface* s, int calls) { s->busyCalls_ = calls; }
    static IDirectDrawSurface* Primary()
    {
        for (IDirectDraw* d : gDevices)
            if (d->primary_ != nullptr) return d->primary_;
        return nullptr;
    }
    static SDL_Surface* Pixels(IDirectDrawSurface* s) { return s->pixels_; }
    static void DropTexture(IDirectDraw* d)
    {
        if (d->texture_ != nullptr) SDL_DestroyTexture(d->texture_);
        d->texture_ = nullptr;
    }
    static void DropRenderer(IDirectDraw* d)
    {
        DropTexture(d);
        if (d->renderer_ != nullptr) SDL_DestroyRenderer(d->renderer_);
        d->renderer_ = nullptr;
        d->window_ = nullptr;
    }
    static void UpdateScale(IDirectDraw* d)
    {
        if (d->renderer_ == nullptr || d->modeWidth_ == 0) return;
        int w = 0;
        int h = 0;
        SDL_GetRendererOutputSize(d->renderer_, &w, &h);
        // Integer scaling only where a whole multiple fits; below that, plain letterboxing.
        bool fits = w >= static_cast<int>(d->modeWidth_) && h >= static_cast<int>(d->modeHeight_);
        SDL_RenderSetIntegerScale(d->renderer_, fits ? SDL_TRUE : SDL_FALSE);
    }
    static std::vector<IDirectDraw*>& Devices() { return gDevices; }
    static HWND WindowOf(IDirectDraw* d) { return d->window_; }
    static void ModeSize(IDirectDraw* d, int* w, int* h)
    {
        *w = static_cast<int>(d->modeWidth_);
        *h = static_cast<int>(d->modeHeight_);
    }
};

// ---- IDirectDrawSurface

IDirectDrawSurface::IDirectDrawSurface(IDirectDraw* device, SDL_Surface* pixels, DWORD caps)
    : device_(device), pixels_(pixels), caps_(caps)
{
    gSurfaces.push_back(this);
}

IDirectDrawSurface::~IDirectDrawSurface()
{
    if (dc_ != nullptr) platform::DestroySurfaceDC(dc_);
    if (locked_) SDL_UnlockSurface(pixels_);
    SDL_FreeSurface(pixels_);
    gSurfaces.erase(std::remove(gSurfaces.begin(), gSurfaces.end(), this), gSurfaces.end());
}

HRESULT IDirectDrawSurface::CheckUsable(bool countBusy)
{
    if (pixels_ == nullptr) return DDERR_INVALIDOBJECT;
    if (lost_) return DDERR_SURFACELOST;
    if (countBusy && busyCalls_ > 0) {
        --busyCalls_;
        return DDERR_WASSTILLDRAWING;
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached)
{
    if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    if (platform::ShouldFail(platform_test::Fault::GetAttachedSurface)) return DDERR_NOTFOUND;
    if ((caps->dwCaps & DDSCAPS_BACKBUFFER) == 0 || backBuffer_ == nullptr) return DDERR_NOTFOUND;
    // The back buffer goes with the primary: it is never released by itself.
    *attached = backBuffer_;
    return DD_OK;
}

HRESULT IDirectDrawSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect,
                                    DWORD flags)
{
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    HRESULT hr = CheckUsable(true);
    if (hr != DD_OK) return hr;
    if (source != this && (hr = source->CheckUsable(true)) != DD_OK) return hr;
    if (dc_ != nullptr || locked_ || source->dc_ != nullptr || source->locked_) return DDERR_SURFACEBUSY;

    RECT r = sourceRect != nullptr ? *sourceRect : RECT{0, 0, source->pixels_->w, source->pixels_->h};
    if (!ValidSourceRect(r, source->pixels_)) return DDERR_INVALIDRECT;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    // No clipping: a blit that would reach past the target is refused whole.
    if (static_cast<long long>(x) + w > pixels_->w || static_cast<long long>(y) + h > pixels_->h)
        return DDERR_INVALIDRECT;

    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0 && source->hasKey_;
    SDL_SetColorKey(source->pixels_, keyed ? SDL_TRUE : SDL_FALSE, source->key_);
    SDL_Rect from{r.left, r.top, w, h};
    SDL_Rect to{static_cast<int>(x), static_cast<int>(y), w, h};
    return SDL_BlitSurface(source->pixels_, &from, pixels_, &to) == 0 ? DD_OK : DDERR_GENERIC;
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface* targetOverride, DWORD /*flags*/)
{
    if (!IsPrimary() || backBuffer_ == nullptr) return DDERR_NOTFLIPPABLE;
    if (targetOverride != nullptr && targetOverride != backBuffer_) return DDERR_INVALIDPARAMS;
    if (backBuffer_->lost_) return DDERR_SURFACELOST;
    HRESULT hr = CheckUsable(true);
    if (hr != DD_OK) return hr;
    if (dc_ != nullptr || locked_ || backBuffer_->dc_ != nullptr || backBuffer_->locked_)
        return DDERR_SURFACEBUSY;
    // A real flip: the back buffer becomes the front, and the old front the back.
    std::swap(pixels_, backBuffer_->pixels_);
    if (device_ != nullptr) device_->Present(pixels_);
    ++gPresentCount;
    return DD_OK;
}

HRESULT IDirectDrawSurface::Restore()
{
    if (pixels_ == nullptr) return DDERR_INVALIDOBJECT;
    // Lost memory comes back blank; its owner must fill it again.
    if (lost_) SDL_FillRect(pixels_, nullptr, 0);
    lost_ = false;
    if (backBuffer_ != nullptr) {
        if (backBuffer_->lost_) SDL_FillRect(backBuffer_->pixels_, nullptr, 0);
        backBuffer_->lost_ = false;
    }
    if (IsPrimary() && device_ != nullptr && device_->texture_ == nullptr) device_->CreateTexture();
    return DD_OK;
}

HRESULT IDirectDrawSurface::IsLost()
{
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT IDirectDrawSurface::GetDC(HDC* dc)
{
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    HRESULT hr = CheckUsable(false);
    if (hr != DD_OK) return hr;
    if (dc_ != nullptr) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    if (platform::ShouldFail(platform_test::Fault::GetDC)) return DDERR_CANTCREATEDC;
    dc_ = platform::CreateSurfaceDC(pixels_);
    if (dc_ == nullptr) return DDERR_CANTCREATEDC;
    *dc = dc_;
    return DD_OK;
}

HRESULT IDirectDrawSurface::ReleaseDC(HDC dc)
{
    if (dc_ == nullptr || dc != dc_) return DDERR_INVALIDPARAMS;
    platform::DestroySurfaceDC(dc_);
    dc_ = nullptr;
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc)
{
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (pixels_ == nullptr) return DDERR_INVALIDOBJECT;
    FillDesc(pixels_, caps_, desc);
    return DD_OK;
}

HRESULT IDirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD /*flags*/, HANDLE /*event*/)
{
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    HRESULT hr = CheckUsable(true);
    if (hr != DD_OK) return hr;
    if (locked_ || dc_ != nullptr) return DDERR_SURFACEBUSY;
    if (platform::ShouldFail(platform_test::Fault::Lock)) return DDERR_SURFACEBUSY;
    if (rect != nullptr && !ValidSourceRect(*rect, pixels_)) return DDERR_INVALIDRECT;
    if (SDL_LockSurface(pixels_) != 0) return DDERR_SURFACEBUSY;
    locked_ = true;
    FillDesc(pixels_, caps_, desc);
    auto* bytes = static_cast<unsigned char*>(pixels_->pixels);
    if (rect != nullptr) bytes += rect->top * pixels_->pitch + rect->left * pixels_->format->BytesPerPixel;
    desc->lpSurface = bytes;
    desc->dwFlags |= DDSD_LPSURFACE;
    return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void* /*surfaceData*/)
{
    if (!locked_) return DDERR_NOTLOCKED;
    SDL_UnlockSurface(pixels_);
    locked_ = false;
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key)
{
    if (pixels_ == nullptr) return DDERR_INVALIDOBJECT;
    if ((flags & DDCKEY_SRCBLT) == 0) return DDERR_UNSUPPORTED;
    hasKey_ = key != nullptr;
    key_ = key != nullptr ? key->dwColorSpaceLowValue : 0;
    return DD_OK;
}

ULONG IDirectDrawSurface::AddRef()
{
    return ++refs_;
}

ULONG IDirectDrawSurface::Release()
{
    if (--refs_ > 0) return refs_;
    if (IsPrimary()) {
        platform::TraceCall("PrimarySurface.Release");
        if (device_ != nullptr) device_->primary_ = nullptr;
        delete backBuffer_;
    }
    delete this;
    return 0;
}

// ---- IDirectDraw

IDirectDraw::IDirectDraw()
{
    gDevices.push_back(this);
}

IDirectDraw::~IDirectDraw()
{
    SurfaceInternals::DropRenderer(this);
    for (IDirectDrawSurface* s : gSurfaces)
        if (s->device_ == this) s->device_ = nullptr;
    gDevices.erase(std::remove(gDevices.begin(), gDevices.end(), this), gDevices.end());
}

HRESULT IDirectDraw::SetCooperativeLevel(HWND window, DWORD flags)
{
    if (platform::ShouldFail(platform_test::Fault::SetCooperativeLevel)) return DDERR_GENERIC;
    if (!platform::IsValidWindow(window)) return DDERR_INVALIDPARAMS;
    window_ = window;
    exclusive_ = (flags & DDSCL_EXCLUSIVE) != 0 && (flags & DDSCL_FULLSCREEN) != 0;
    return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel)
{
    if (platform::ShouldFail(platform_test::Fault::SetDisplayMode)) return DDERR_GENERIC;
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    if (bitsPerPixel != 16 || width == 0 || height == 0 || width > 4096 || height > 4096)
        return DDERR_INVALIDMODE;
    SDL_Window* sdlWindow = platform::SdlWindowOf(window_);
    if (sdlWindow == nullptr) return DDERR_GENERIC;
    // The mode change of old is a full-screen desktop window scaled to the picture.
    // Cover the display first, so the picture fills it even where no window manager
    // carries out the full-screen request.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(sdlWindow), &bounds) == 0) {
        SDL_SetWindowPosition(sdlWindow, bounds.x, bounds.y);
        SDL_SetWindowSize(sdlWindow, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (renderer_ == nullptr) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        renderer_ = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
        if (renderer_ == nullptr) return DDERR_GENERIC;
    }
    SDL_RenderSetLogicalSize(renderer_, static_cast<int>(width), static_cast<int>(height));
    modeWidth_ = width;
    modeHeight_ = height;
    SurfaceInternals::UpdateScale(this);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void* outer)
{
    if (desc == nullptr || surface == nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (desc->dwSize != sizeof(DDSURFACEDESC) || (desc->dwFlags & DDSD_CAPS) == 0) return DDERR_INVALIDPARAMS;
    if ((desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) return CreatePrimary(desc, surface);
    return CreateOffscreen(desc, surface);
}

HRESULT IDirectDraw::CreatePrimary(DDSURFACEDESC* desc, IDirectDrawSurface** surface)
{
    if (platform::ShouldFail(platform_test::Fault::CreatePrimarySurface)) return DDERR_GENERIC;
    if (primary_ != nullptr) return DDERR_GENERIC;
    if (renderer_ == nullptr || modeWidth_ == 0) return DDERR_NOEXCLUSIVEMODE;
    const DWORD flipCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    const bool wantsBack = (desc->dwFlags & DDSD_BACKBUFFERCOUNT) != 0 && desc->dwBackBufferCount > 0;
    if (wantsBack && (desc->dwBackBufferCount != 1 || (desc->ddsCaps.dwCaps & flipCaps) != flipCaps))
        return DDERR_UNSUPPORTED;
    if (!CreateTexture()) return DDERR_GENERIC;

    const int w = static_cast<int>(modeWidth_);
    const int h = static_cast<int>(modeHeight_);
    SDL_Surface* front = NewPixels(w, h, DisplayFormat());
    SDL_Surface* back = wantsBack ? NewPixels(w, h, DisplayFormat()) : nullptr;
    if (front == nullptr || (wantsBack && back == nullptr)) {
        SDL_FreeSurface(front);
        SDL_FreeSurface(back);
        return DDERR_OUTOFMEMORY;
    }
    SDL_FillRect(front, nullptr, 0);
    primary_ = new IDirectDrawSurface(this, front, desc->ddsCaps.dwCaps | DDSCAPS_FRONTBUFFER);
    if (back != nullptr) {
        SDL_FillRect(back, nullptr, 0);
        primary_->backBuffer_ = new IDirectDrawSurface(this, back, DDSCAPS_BACKBUFFER | flipCaps);
    }
    *surface = primary_;
    return DD_OK;
}

HRESULT IDirectDraw::CreateOffscreen(DDSURFACEDESC* desc, IDirectDrawSurface** surface)
{
    if (platform::ShouldFail(platform_test::Fault::CreateOffscreenSurface)) return DDERR_OUTOFMEMORY;
    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kMaxSurfaceSide ||
        desc->dwHeight > kMaxSurfaceSide)
        return DDERR_INVALIDPARAMS;
    Uint32 format = gUse555 ? static_cast<Uint32>(SDL_PIXELFORMAT_RGB555) : DisplayFormat();
    SDL_Surface* pixels = NewPixels(static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight), format);
    if (pixels == nullptr) return DDERR_OUTOFMEMORY;
    SDL_FillRect(pixels, nullptr, 0);
    *surface = new IDirectDrawSurface(this, pixels, desc->ddsCaps.dwCaps | DDSCAPS_OFFSCREENPLAIN);
    return DD_OK;
}

bool IDirectDraw::CreateTexture()
{
    if (texture_ != nullptr) return true;
    if (renderer_ == nullptr) return false;
    texture_ = SDL_CreateTexture(renderer_, DisplayFormat(), SDL_TEXTUREACCESS_STREAMING,
                                 static_cast<int>(modeWidth_), static_cast<int>(modeHeight_));
    return texture_ != nullptr;
}

void IDirectDraw::Present(SDL_Surface* frame)
{
    if (renderer_ == nullptr || texture_ == nullptr) return;
    SDL_UpdateTexture(texture_, nullptr, frame->pixels, frame->pitch);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

ULONG IDirectDraw::AddRef()
{
    return ++refs_;
}

ULONG IDirectDraw::Release()
{
    if (--refs_ > 0) return refs_;
    platform::TraceCall("DirectDraw.Release");
    SDL_Window* sdlWindow = platform::SdlWindowOf(window_);
    if (sdlWindow != nullptr) SDL_SetWindowFullscreen(sdlWindow, 0);
    delete this;
    return 0;
}

HRESULT DirectDrawCreate(GUID* /*driver*/, IDirectDraw** device, void* outer)
{
    if (device == nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
    *device = nullptr;
    if (platform::ShouldFail(platform_test::Fault::DirectDrawCreate)) return DDERR_GENERIC;
    if (!platform::EnsureVideo()) return DDERR_GENERIC;
    *device = new IDirectDraw();
    return DD_OK;
}

// ---- hooks for the event pump

namespace platform {

void OnRenderReset()
{
    for (IDirectDraw* d : gDevices) SurfaceInternals::DropTexture(d);
    for (IDirectDrawSurface* s : gSurfaces) SurfaceInternals::MarkLost(s);
}

void OnWindowSizeChanged()
{
    for (IDirectDraw* d : gDevices) SurfaceInternals::UpdateScale(d);
}

void OnWindowDestroying(HWND window)
{
    for (IDirectDraw* d : gDevices)
        if (SurfaceInternals::WindowOf(d) == window) SurfaceInternals::DropRenderer(d);
}

bool PictureSize(int* width, int* height)
{
    for (IDirectDraw* d : gDevices) {
        SurfaceInternals::ModeSize(d, width, height);
        if (*width > 0) return true;
    }
    return false;
}

}  // namespace platform

// ---- test hooks

#ifdef LORVEX_TEST_HOOKS

namespace platform_test {

void MarkSurfaceLost(IDirectDrawSurface* surface)
{
    if (surface != nullptr) SurfaceInternals::MarkLost(surface);
}

void MarkAllSurfacesLost()
{
    platform::OnRenderReset();
}

void SetSurfaceBusy(IDirectDrawSurface* surface, int calls)
{
    if (surface != nullptr) SurfaceInternals::SetBusy(surface, calls);
}

void UseRgb555Surfaces(bool on)
{
    gUse555 = on;
}

Frame PresentedFrame()
{
    Frame frame;
    IDirectDrawSurface* primary = SurfaceInternals::Primary();
    if (primary == nullptr) return frame;
    SDL_Surface* s = SurfaceInternals::Pixels(primary);
    frame.width = s->w;
    frame.height = s->h;
    frame.pixels.resize(static_cast<size_t>(s->w) * s->h);
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const unsigned char*>(s->pixels) + y * s->pitch);
        std::copy(row, row + s->w, frame.pixels.begin() + static_cast<std::ptrdiff_t>(y) * s->w);
    }
    return frame;
}

int PresentCount()
{
    return gPresentCount;
}

COLORREF PixelToColor(std::uint16_t pixel)
{
    SDL_PixelFormat* format = SDL_AllocFormat(DisplayFormat());
    COLORREF c = platform::PixelToColor(format, pixel);
    SDL_FreeFormat(format);
    return c;
}

bool SaveFrameBmp(const Frame& frame, const std::string& path)
{
    if (frame.width == 0) return false;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint16_t*>(frame.pixels.data()),
                                                        frame.width, frame.height, 16, frame.width * 2,
                                                        DisplayFormat());
    if (s == nullptr) return false;
    bool ok = SDL_SaveBMP(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

void SimulateRenderDeviceReset()
{
    SDL_Event e{};
    e.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&e);
}

}  // namespace platform_test

#endif  // LORVEX_TEST_HOOKS
