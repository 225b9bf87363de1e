#include "platform/ddraw.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/internal.h"

namespace {

constexpr int kMaxSurfaceSide = 16384;

// The rows from the first to the last in which two frames differ, none when they are the
// same: a round, where little moves, uploads and enlarges only those.
SDL_Rect ChangedRows(const SDL_Surface* a, const SDL_Surface* b)
{
    const auto same = [&](int y) {
        return std::memcmp(static_cast<const char*>(a->pixels) + y * a->pitch,
                           static_cast<const char*>(b->pixels) + y * b->pitch, static_cast<size_t>(a->w) * 2) == 0;
    };
    int top = 0;
    while (top < a->h && same(top)) ++top;
    int bottom = a->h;
    while (bottom > top && same(bottom - 1)) --bottom;
    return SDL_Rect{0, top, a->w, bottom - top};
}

// The largest rectangle of the picture's shape that fits in w x h, centred.
SDL_Rect FitPicture(int w, int h, int pictureWidth, int pictureHeight)
{
    SDL_Rect place{0, 0, w, h};
    if (static_cast<long long>(w) * pictureHeight > static_cast<long long>(h) * pictureWidth)
        place.w = (h * pictureWidth + pictureHeight / 2) / pictureHeight;
    else
        place.h = (w * pictureHeight + pictureWidth / 2) / pictureWidth;
    place.x = (w - place.w) / 2;
    place.y = (h - place.h) / 2;
    return place;
}

int FloorDiv(long long a, long long b)
{
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

SDL_Surface* NewPixels(int width, int height)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
    if (s != nullptr) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

// The frames shown on the screen, scaled to fill it.
class Screen {
public:
    ~Screen() { DropRenderer(); }
    bool Open(SDL_Window* window, int width, int height);
    bool MakeTextures();
    void DropTextures();
    void DropRenderer();
    void Present(const SDL_Surface* picture, SDL_Rect rows);

    int width = 0;
    int height = 0;
    bool shown = false;  // the frame last presented is on the screen

private:
    SDL_Texture* Scaled(const SDL_Rect& place, const SDL_Rect& rows);

    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* frame_ = nullptr;     // the picture at its own size
    SDL_Texture* enlarged_ = nullptr;  // the picture enlarged by a whole factor
    int enlargedFactor_ = 0;
    bool enlargedCurrent_ = false;
    bool screenless_ = false;  // a video driver that shows nothing, as the tests' one
};

int gShownFrames = 0;

bool Screen::Open(SDL_Window* window, int w, int h)
{
    if (renderer_ == nullptr) {
        renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        if (renderer_ == nullptr) return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    screenless_ = driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
    width = w;
    height = h;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return true;
}

bool Screen::MakeTextures()
{
    if (frame_ != nullptr) return true;
    if (renderer_ == nullptr) return false;
    frame_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
    shown = false;
    return frame_ != nullptr;
}

void Screen::DropTextures()
{
    if (frame_ != nullptr) SDL_DestroyTexture(frame_);
    if (enlarged_ != nullptr) SDL_DestroyTexture(enlarged_);
    frame_ = nullptr;
    enlarged_ = nullptr;
    enlargedFactor_ = 0;
}

void Screen::DropRenderer()
{
    DropTextures();
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
}

// The textures hold the frame shown before and take only the rows that differ from it.
void Screen::Present(const SDL_Surface* picture, SDL_Rect rows)
{
    ++gShownFrames;
    if (!shown) rows = SDL_Rect{0, 0, width, height};
    shown = true;
    if (screenless_ || frame_ == nullptr) return;
    if (rows.h > 0)
        SDL_UpdateTexture(frame_, &rows, static_cast<const char*>(picture->pixels) + rows.y * picture->pitch,
                          picture->pitch);
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const SDL_Rect place = FitPicture(w, h, width, height);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, Scaled(place, rows), nullptr, &place);
    SDL_RenderPresent(renderer_);
}

// The picture ready to be drawn at the place's size. A whole multiple of the picture is drawn
// straight with nearest-neighbour; any other size takes the picture enlarged by the next whole
// factor, nearest-neighbour, and then reduced with linear filtering, so every picture pixel
// keeps the same size and sharp edges give or take one screen pixel.
SDL_Texture* Screen::Scaled(const SDL_Rect& place, const SDL_Rect& rows)
{
    const int factor = (place.w + width - 1) / width;
    const bool whole = place.w == factor * width;
    SDL_SetTextureScaleMode(frame_, whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    if (whole || factor == 1) {
        enlargedCurrent_ = false;
        return frame_;
    }
    if (enlargedFactor_ != factor) {
        if (enlarged_ != nullptr) SDL_DestroyTexture(enlarged_);
        enlarged_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, factor * width,
                                      factor * height);
        enlargedFactor_ = enlarged_ != nullptr ? factor : 0;
        enlargedCurrent_ = false;
        if (enlarged_ != nullptr) SDL_SetTextureScaleMode(enlarged_, SDL_ScaleModeLinear);
    }
    if (enlarged_ == nullptr || SDL_SetRenderTarget(renderer_, enlarged_) != 0) return frame_;
    SDL_SetTextureScaleMode(frame_, SDL_ScaleModeNearest);
    const SDL_Rect changed = enlargedCurrent_ ? rows : SDL_Rect{0, 0, width, height};
    const SDL_Rect big{0, changed.y * factor, changed.w * factor, changed.h * factor};
    SDL_RenderCopy(renderer_, frame_, &changed, &big);
    SDL_SetRenderTarget(renderer_, nullptr);
    enlargedCurrent_ = true;
    return enlarged_;
}

class Device;

class Surface final : public IDirectDrawSurface {
public:
    Surface(SDL_Surface* pixels, Device* device);
    ~Surface();
    ULONG Release() override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags) override;
    HRESULT Flip(IDirectDrawSurface* targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) override
    {
        *attached = nullptr;
        if (platform::ShouldFail(platform_test::Fault::GetAttachedSurface)) return E_FAIL;
        if ((caps->dwCaps & DDSCAPS_BACKBUFFER) == 0 || back == nullptr) return E_FAIL;
        *attached = back;
        return DD_OK;
    }
    HRESULT GetDC(HDC* out) override
    {
        *out = nullptr;
        if (lost) return DDERR_SURFACELOST;
        if (platform::ShouldFail(platform_test::Fault::GetDC)) return E_FAIL;
        dc = DeviceContextObject{};
        dc.pixels = pixels;
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
        HRESULT hr = Usable();
        if (hr == DD_OK && platform::ShouldFail(platform_test::Fault::Lock)) hr = E_FAIL;
        if (hr != DD_OK) return hr;
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

    // Lost, or busy for as many calls as a test asked.
    HRESULT Usable()
    {
        if (lost) return DDERR_SURFACELOST;
        if (busyCalls == 0) return DD_OK;
        --busyCalls;
        return DDERR_WASSTILLDRAWING;
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
    int busyCalls = 0;
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
        if (platform::ShouldFail(platform_test::Fault::SetCooperativeLevel)) return E_FAIL;
        if (platform::SdlWindowOf(newWindow) == nullptr) return E_FAIL;
        window = newWindow;
        return DD_OK;
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override;

    HWND window = nullptr;
    Screen screen;
    Surface* primary = nullptr;
};

// Registries outlive every static object that may still release into them at exit.
std::vector<Surface*>& gSurfaces = *new std::vector<Surface*>;
Device* gScreen = nullptr;  // the device in a display mode
int gFlips = 0;

// ---- Surface

Surface::Surface(SDL_Surface* pixels, Device* device) : pixels(pixels), device(device)
{
    gSurfaces.push_back(this);
}

Surface::~Surface()
{
    SDL_FreeSurface(pixels);
    gSurfaces.erase(std::find(gSurfaces.begin(), gSurfaces.end(), this));
}

ULONG Surface::Release()
{
    if (device != nullptr) {
        platform::TraceCall("PrimarySurface.Release");
        device->primary = nullptr;
        delete back;
    }
    delete this;
    return 0;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* sourceSurface, RECT* sourceRect, DWORD flags)
{
    auto* source = static_cast<Surface*>(sourceSurface);
    HRESULT hr = Usable();
    if (hr == DD_OK && source != this) hr = source->Usable();
    if (hr != DD_OK) return hr;
    SDL_Surface* from = source->pixels;
    const RECT r = sourceRect != nullptr ? *sourceRect : RECT{0, 0, from->w, from->h};
    // Without a clipper a blit lies inside both surfaces, or it is refused whole.
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > from->w ||
        r.bottom > from->h || x + static_cast<long long>(r.right - r.left) > pixels->w ||
        y + static_cast<long long>(r.bottom - r.top) > pixels->h)
        return E_FAIL;
    SDL_SetColorKey(from, (flags & DDBLTFAST_SRCCOLORKEY) != 0 && source->hasKey, source->key);
    SDL_Rect part{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_Rect to{static_cast<int>(x), static_cast<int>(y), part.w, part.h};
    return SDL_BlitSurface(from, &part, pixels, &to) == 0 ? DD_OK : E_FAIL;
}

HRESULT Surface::Flip(IDirectDrawSurface*, DWORD)
{
    if (back == nullptr) return E_FAIL;
    if (back->lost) return DDERR_SURFACELOST;
    HRESULT hr = Usable();
    if (hr != DD_OK) return hr;
    ++gFlips;
    // A frame already on the screen is not shown again: an idle screen costs nothing.
    const SDL_Rect changed = ChangedRows(pixels, back->pixels);
    if (device != nullptr && device->screen.shown && changed.h == 0) return DD_OK;
    std::swap(pixels, back->pixels);
    if (device != nullptr) device->screen.Present(pixels, changed);
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
    if (device != nullptr) device->screen.MakeTextures();
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
    platform::TraceCall("DirectDraw.Release");
    SDL_Window* sdlWindow = platform::SdlWindowOf(window);
    if (sdlWindow != nullptr) SDL_SetWindowFullscreen(sdlWindow, 0);
    delete this;
    return 0;
}

HRESULT Device::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel)
{
    if (platform::ShouldFail(platform_test::Fault::SetDisplayMode)) return E_FAIL;
    SDL_Window* sdlWindow = platform::SdlWindowOf(window);
    if (sdlWindow == nullptr || bitsPerPixel != 16 || width == 0 || height == 0 || width > 4096 || height > 4096)
        return E_FAIL;
    // The mode change of old is a full-screen desktop window the picture is scaled to.
    // Cover the display first, so the picture fills it even where no window manager
    // carries out the full-screen request.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(sdlWindow), &bounds) == 0) {
        SDL_SetWindowPosition(sdlWindow, bounds.x, bounds.y);
        SDL_SetWindowSize(sdlWindow, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!screen.Open(sdlWindow, static_cast<int>(width), static_cast<int>(height))) return E_FAIL;
    gScreen = this;
    return DD_OK;
}

HRESULT Device::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown*)
{
    *surface = nullptr;
    if ((desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
        if (platform::ShouldFail(platform_test::Fault::CreatePrimarySurface)) return E_FAIL;
        if (primary != nullptr || !screen.MakeTextures()) return E_FAIL;
        SDL_Surface* front = NewPixels(screen.width, screen.height);
        SDL_Surface* behind = NewPixels(screen.width, screen.height);
        if (front == nullptr || behind == nullptr) {
            SDL_FreeSurface(front);
            SDL_FreeSurface(behind);
            return E_FAIL;
        }
        primary = new Surface(front, this);
        primary->back = new Surface(behind, nullptr);
        *surface = primary;
        return DD_OK;
    }
    if (platform::ShouldFail(platform_test::Fault::CreateOffscreenSurface)) return E_FAIL;
    if (desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kMaxSurfaceSide ||
        desc->dwHeight > kMaxSurfaceSide)
        return E_FAIL;
    SDL_Surface* pixels = NewPixels(static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight));
    if (pixels == nullptr) return E_FAIL;
    *surface = new Surface(pixels, nullptr);
    return DD_OK;
}

// The place of the picture in the main window, in window coordinates; false without a mode.
bool WindowPlace(SDL_Rect* place)
{
    SDL_Window* sdlWindow = gScreen != nullptr ? platform::SdlWindowOf(gScreen->window) : nullptr;
    if (sdlWindow == nullptr) return false;
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    *place = FitPicture(w, h, gScreen->screen.width, gScreen->screen.height);
    return place->w > 0 && place->h > 0;
}

}  // namespace

HRESULT DirectDrawCreate(GUID*, IDirectDraw** device, IUnknown*)
{
    *device = nullptr;
    if (platform::ShouldFail(platform_test::Fault::DirectDrawCreate)) return E_FAIL;
    if (!platform::EnsureVideo()) return E_FAIL;
    *device = new Device();
    return DD_OK;
}

// ---- hooks for the window's event pump

namespace platform {

void OnRenderReset()
{
    if (gScreen != nullptr) gScreen->screen.DropTextures();
    for (Surface* s : gSurfaces) s->MarkLost();
}

void RepaintScreen()
{
    if (gScreen != nullptr && gScreen->primary != nullptr && !gScreen->primary->lost)
        gScreen->screen.Present(gScreen->primary->pixels, SDL_Rect{});
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

// The picture pixel whose drawn area holds the centre of window pixel (x, y); over the
// bars that lies outside the picture.
void PicturePointOf(int* x, int* y)
{
    SDL_Rect place{};
    if (!WindowPlace(&place)) return;
    *x = FloorDiv((2LL * (*x - place.x) + 1) * gScreen->screen.width, 2LL * place.w);
    *y = FloorDiv((2LL * (*y - place.y) + 1) * gScreen->screen.height, 2LL * place.h);
}

void WindowPointOf(int* x, int* y)
{
    SDL_Rect place{};
    if (!WindowPlace(&place)) return;
    *x = place.x + FloorDiv((2LL * *x + 1) * place.w, 2LL * gScreen->screen.width);
    *y = place.y + FloorDiv((2LL * *y + 1) * place.h, 2LL * gScreen->screen.height);
}

}  // namespace platform

// ---- test hooks

#ifdef LORVEX_TEST_HOOKS

namespace platform_test {

void MarkSurfaceLost(IDirectDrawSurface* surface)
{
    static_cast<Surface*>(surface)->MarkLost();
}

void MarkAllSurfacesLost()
{
    platform::OnRenderReset();
}

void SetSurfaceBusy(IDirectDrawSurface* surface, int calls)
{
    static_cast<Surface*>(surface)->busyCalls = calls;
}

void SimulateRenderDeviceReset()
{
    SDL_Event e{};
    e.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&e);
}

Frame PresentedFrame()
{
    Frame frame;
    if (gScreen == nullptr || gScreen->primary == nullptr) return frame;
    const SDL_Surface* s = gScreen->primary->pixels;
    frame.width = s->w;
    frame.height = s->h;
    frame.pixels.resize(static_cast<size_t>(s->w) * s->h);
    SDL_ConvertPixels(s->w, s->h, s->format->format, s->pixels, s->pitch, s->format->format, frame.pixels.data(),
                      s->w * 2);
    return frame;
}

int PresentCount()
{
    return gFlips;
}

int ShownFrameCount()
{
    return gShownFrames;
}

}  // namespace platform_test

#endif  // LORVEX_TEST_HOOKS
