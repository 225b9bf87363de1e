#include "platform/ddraw.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "platform/internal.h"

namespace {

constexpr int kMaxSurfaceSide = 16384;

const char* RowOf(const SDL_Surface* s, int y)
{
    return static_cast<const char*>(s->pixels) + y * s->pitch;
}

// Whether two frames differ in the rows from top to bottom: a round, where little moves,
// scales and uploads only the rows that do.
bool RowsDiffer(const SDL_Surface* a, const SDL_Surface* b, int top, int bottom)
{
    for (int y = top; y < bottom; ++y)
        if (std::memcmp(RowOf(a, y), RowOf(b, y), static_cast<size_t>(a->w) * 2) != 0) return true;
    return false;
}

// The largest rectangle of the picture's shape that fits in w x h, centred.
SDL_Rect FitPicture(int w, int h, int pictureWidth, int pictureHeight)
{
    SDL_Rect place{0, 0, w, h};
    if (static_cast<long long>(w) * pictureHeight > static_cast<long long>(h) * pictureWidth)
        place.w = (h * pictureWidth + pictureHeight / 2) / pictureHeight;
    else place.h = (w * pictureHeight + pictureWidth / 2) / pictureWidth;
    place.x = (w - place.w) / 2;
    place.y = (h - place.h) / 2;
    return place;
}

int FloorDiv(long long a, long long b)
{
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

SDL_Surface* NewPixels(int width, int height, Uint32 format = SDL_PIXELFORMAT_RGB565)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, SDL_BITSPERPIXEL(format), format);
    if (s != nullptr) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

// Owns an SDL object and ends it with SDL's own function for it.
template <typename T, void (*End)(T*)>
struct Ender {
    void operator()(T* object) const { End(object); }
};
using Pixels = std::unique_ptr<SDL_Surface, Ender<SDL_Surface, SDL_FreeSurface>>;

// The frames shown on the screen, scaled to fill it. The picture is drawn from 32-bit pixels:
// at its own size for a whole multiple of it, enlarged with nearest-neighbour; any other size
// is scaled here, enlarged by the next whole factor with nearest-neighbour and reduced with
// linear filtering, so every picture pixel keeps the same size and sharp edges give or take
// one screen pixel. A run of `period_` picture rows becomes place rows that read no row
// outside it (each lies between two rows of its own run), so only the runs that changed are
// scaled again, each exactly as in the whole picture.
class Screen {
public:
    bool Open(SDL_Window* window, int width, int height);
    void DropTexture() { texture_.reset(); }
    void DropRenderer()
    {
        texture_.reset();
        renderer_.reset();
    }
    // Shows the picture over `before`, the frame on the screen (null when unknown).
    void Present(SDL_Surface* picture, const SDL_Surface* before);
    // Makes the pixels for a place of w x h.
    bool Fit(int w, int h);
    // Scales the runs that differ from `before` (all without it) and uploads them to the texture,
    // if one is given; returns the rows of `scaled` from the first to the last that changed.
    SDL_Rect Update(SDL_Surface* picture, const SDL_Surface* before, SDL_Texture* texture = nullptr);

    int width = 0;
    int height = 0;
    bool shown = false;             // the frame last presented is on the screen
    SDL_Surface* scaled = nullptr;  // the pixels drawn

private:
    std::unique_ptr<SDL_Renderer, Ender<SDL_Renderer, SDL_DestroyRenderer>> renderer_;
    std::unique_ptr<SDL_Texture, Ender<SDL_Texture, SDL_DestroyTexture>> texture_;  // the scaled pixels
    SDL_Rect place_{};  // where the frame on the screen was drawn
    Pixels converted_;  // the picture in 32 bits
    Pixels enlarged_;   // one run of it enlarged
    Pixels reduced_;    // the place's pixels
    int period_ = 0;
    bool screenless_ = false;  // the dummy video driver, which shows nothing (offscreen draws)
};

int gShownFrames = 0;

bool Screen::Open(SDL_Window* window, int w, int h)
{
    if (renderer_ == nullptr)
        renderer_.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (renderer_ == nullptr) renderer_.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
    // Short of memory the start failed here without a word.
    if (renderer_ == nullptr)
        std::fprintf(stderr, "%s: nothing can draw in the window: %s\n", program_invocation_short_name, SDL_GetError());
    if (renderer_ == nullptr) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    screenless_ = driver != nullptr && std::strcmp(driver, "dummy") == 0;
    width = w;
    height = h;
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
    SDL_RenderPresent(renderer_.get());
    return true;
}

// The texture holds the frame shown before and takes only the rows that differ from it.
void Screen::Present(SDL_Surface* picture, const SDL_Surface* before)
{
    ++gShownFrames;
    if (!shown) before = nullptr;
    shown = true;
    if (screenless_ || renderer_ == nullptr) return;
    SDL_Rect place{};
    SDL_GetRendererOutputSize(renderer_.get(), &place.w, &place.h);
    place = FitPicture(place.w, place.h, width, height);
    if (place.w != place_.w || place.h != place_.h) DropTexture();
    place_ = place;
    // A new texture takes the whole picture; short of memory, nothing new is shown until one is made.
    if (texture_ == nullptr) {
        if (!Fit(place.w, place.h)) return;
        // The window's own format, copied as it is or enlarged by a whole factor.
        texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                         scaled->w, scaled->h));
        if (texture_ == nullptr) return;
        SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
        before = nullptr;
    }
    Update(picture, before, texture_.get());
    SDL_RenderClear(renderer_.get());
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, &place);
    SDL_RenderPresent(renderer_.get());
}

bool Screen::Fit(int w, int h)
{
    const int factor = (w + width - 1) / width;
    const bool whole = w == factor * width;
    period_ = height / std::gcd(height, h);
    converted_.reset(NewPixels(width, height, SDL_PIXELFORMAT_RGB888));
    enlarged_.reset(whole ? nullptr : NewPixels(factor * width, factor * period_, SDL_PIXELFORMAT_RGB888));
    reduced_.reset(whole ? nullptr : NewPixels(w, h, SDL_PIXELFORMAT_RGB888));
    scaled = whole ? converted_.get() : reduced_.get();
    return scaled != nullptr && converted_ != nullptr && (whole || enlarged_ != nullptr);
}

SDL_Rect Screen::Update(SDL_Surface* picture, const SDL_Surface* before, SDL_Texture* texture)
{
    SDL_Rect all{0, scaled->h, scaled->w, 0};
    SDL_Rect stretch = all;  // the changed rows next to each other, not yet uploaded
    const auto upload = [&] {
        if (texture != nullptr && stretch.h > 0)
            SDL_UpdateTexture(texture, &stretch, RowOf(scaled, stretch.y), scaled->pitch);
        stretch.h = 0;
    };
    for (int top = 0; top < height; top += period_) {
        if (before != nullptr && !RowsDiffer(picture, before, top, top + period_)) {
            upload();
            continue;
        }
        SDL_Rect run{0, top, width, period_};
        SDL_Rect to = run;
        SDL_BlitSurface(picture, &run, converted_.get(), &to);
        if (scaled != converted_.get()) {
            SDL_SoftStretch(converted_.get(), &run, enlarged_.get(), nullptr);
            to = SDL_Rect{0, top * scaled->h / height, scaled->w, period_ * scaled->h / height};
            SDL_SoftStretchLinear(enlarged_.get(), nullptr, scaled, &to);
        }
        if (stretch.h == 0) stretch.y = to.y;
        stretch.h = to.y + to.h - stretch.y;
        all.y = std::min(all.y, to.y);
        all.h = to.y + to.h - all.y;
    }
    upload();
    return all;
}

class Device;
class Surface;

// Registries outlive every static object that may still release into them at exit.
std::vector<Surface*>& gSurfaces = *new std::vector<Surface*>;
Device* gScreen = nullptr;  // the device in a display mode
int gFlips = 0;

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

// ---- Surface

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
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > from->w || r.bottom > from->h ||
        x + static_cast<long long>(r.right - r.left) > pixels->w ||
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
    if (const HRESULT hr = Usable(); hr != DD_OK) return hr;
    ++gFlips;
    // A frame already on the screen is not shown again: an idle screen costs nothing.
    if (device != nullptr && device->screen.shown && !RowsDiffer(pixels, back->pixels, 0, pixels->h)) return DD_OK;
    std::swap(pixels, back->pixels);
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
        if (platform::ShouldFail(platform_test::Fault::CreatePrimarySurface) || primary != nullptr || screen.width == 0)
            return E_FAIL;
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
    if (platform::ShouldFail(platform_test::Fault::CreateOffscreenSurface) || desc->dwWidth == 0 ||
        desc->dwHeight == 0 || desc->dwWidth > kMaxSurfaceSide || desc->dwHeight > kMaxSurfaceSide)
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
    *place = FitPicture(place->w, place->h, gScreen->screen.width, gScreen->screen.height);
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

// A frame's pixels seen as a surface.
Pixels SurfaceOf(const Frame& f)
{
    return Pixels(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint16_t*>(f.pixels.data()), f.width, f.height, 16,
                                                     f.width * 2, SDL_PIXELFORMAT_RGB565));
}

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
    SDL_Event e{SDL_RENDER_DEVICE_RESET};
    SDL_PushEvent(&e);
}

Frame PresentedFrame()
{
    if (gScreen == nullptr || gScreen->primary == nullptr) return Frame{};
    const SDL_Surface* s = gScreen->primary->pixels;
    Frame frame{s->w, s->h, std::vector<std::uint16_t>(static_cast<size_t>(s->w) * s->h)};
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

std::vector<std::uint32_t> ScaledFrames(const std::vector<Frame>& frames, int width, int height)
{
    std::vector<std::uint32_t> shown(static_cast<size_t>(width) * height);
    Screen screen;
    screen.width = frames.empty() ? 0 : frames[0].width;
    screen.height = frames.empty() ? 0 : frames[0].height;
    if (screen.width == 0 || !screen.Fit(width, height) || screen.scaled->w != width) return {};
    Pixels before;
    for (const Frame& f : frames) {
        Pixels picture = SurfaceOf(f);
        if (picture == nullptr) return {};
        const SDL_Rect band = screen.Update(picture.get(), before.get());
        SDL_ConvertPixels(width, band.h, SDL_PIXELFORMAT_RGB888, RowOf(screen.scaled, band.y), screen.scaled->pitch,
                          SDL_PIXELFORMAT_RGB888, shown.data() + static_cast<size_t>(band.y) * width, width * 4);
        before = std::move(picture);
    }
    return shown;
}

}  // namespace platform_test

#endif  // LORVEX_TEST_HOOKS
