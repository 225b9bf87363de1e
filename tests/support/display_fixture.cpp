#include "tests/support/display_fixture.h"

#include <cstdlib>
#include <cstring>

#include "app/globals.h"
#include "platform/internal.h"

// The program defines this beside its application object; tests and benchmarks share this one.
DirectInputHolder gDirectInput;

namespace test {

platform_test::Frame Read(IDirectDrawSurface* surface)
{
    platform_test::Frame frame;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return frame;
    frame.width = static_cast<int>(desc.dwWidth);
    frame.height = static_cast<int>(desc.dwHeight);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint16_t*>(static_cast<const char*>(desc.lpSurface) + y * desc.lPitch);
        frame.pixels.insert(frame.pixels.end(), row, row + desc.dwWidth);
    }
    surface->Unlock(nullptr);
    return frame;
}

std::uint16_t RawPixel(IDirectDrawSurface* surface, int x, int y)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return 0;
    std::uint16_t value = 0;
    std::memcpy(&value, static_cast<const char*>(desc.lpSurface) + y * desc.lPitch + x * 2, 2);
    surface->Unlock(nullptr);
    return value;
}

void SetRawPixel(IDirectDrawSurface* surface, int x, int y, std::uint16_t value)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return;
    std::memcpy(static_cast<char*>(desc.lpSurface) + y * desc.lPitch + x * 2, &value, 2);
    surface->Unlock(nullptr);
}

void FillRaw(IDirectDrawSurface* surface, std::uint16_t value)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return;
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        for (DWORD x = 0; x < desc.dwWidth; ++x)
            std::memcpy(static_cast<char*>(desc.lpSurface) + y * desc.lPitch + x * 2, &value, 2);
    surface->Unlock(nullptr);
}

IDirectDrawSurface* NewSurface(IDirectDraw* device, int width, int height)
{
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface* surface = nullptr;
    device->CreateSurface(&desc, &surface, nullptr);
    return surface;
}

HRESULT LostState(IDirectDrawSurface* surface)
{
    HDC dc = nullptr;
    const HRESULT hr = surface->GetDC(&dc);
    if (hr == DD_OK) surface->ReleaseDC(dc);
    return hr;
}

COLORREF PixelToColor(std::uint16_t pixel)
{
    return RGB((pixel >> 11) * 255 / 31, ((pixel >> 5) & 0x3F) * 255 / 63, (pixel & 0x1F) * 255 / 31);
}

void UseHeadlessPlatform(const char* videoDriver)
{
    // The driver is chosen when video starts: one started on another is ended first.
    const char* running = SDL_GetCurrentVideoDriver();
    if (running != nullptr && std::strcmp(running, videoDriver) != 0) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    setenv("SDL_VIDEODRIVER", videoDriver, 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform_test::UseManualClock(true);
}

Display::Display(bool headless, const char* driver)
{
    if (headless) UseHeadlessPlatform(driver);
    auto receive = [](void* owner, UINT message, WPARAM wParam, LPARAM lParam) {
        return static_cast<Display*>(owner)->WindowProc(message, wParam, lParam);
    };
    window = platform::CreateGameWindow("test", 0, 0, 640, 480, receive, this);
    if (window == nullptr || DirectDrawCreate(nullptr, &device, nullptr) != DD_OK) return;
    device->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    device->SetDisplayMode(640, 480, 16);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    if (device->CreateSurface(&desc, &primary, nullptr) != DD_OK) return;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    primary->GetAttachedSurface(&caps, &back);
}

Display::~Display()
{
    if (primary != nullptr) primary->Release();
    if (device != nullptr) device->Release();
    if (window != nullptr) DestroyWindow(window);
    Pump();  // drops what the window left behind, such as a pending quit
}

LRESULT Display::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    last = MSG{window, message, wParam, lParam};
    ++received;
    return 0;
}

int Display::Pump()
{
    int count = 0;
    MSG msg{};
    while (count < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++count;
        DispatchMessageA(&msg);
    }
    return count;
}

}  // namespace test
