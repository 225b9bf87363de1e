// A picture file through the path the program takes: LoadImageA from the file, a surface of
// its size filled by CopyBitmapToSurface, its colour key; then the same file reloaded into a
// surface of another size, which stretches it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gfx/bitmap_surface.h"
#include "tests/support/platform_hooks.h"
#include "tests/support/display_fixture.h"
#include "tests/support/files.h"

namespace {

IDirectDraw* Device()
{
    static IDirectDraw* device = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        IDirectDraw* made = nullptr;
        if (DirectDrawCreate(nullptr, &made, nullptr) != DD_OK) std::abort();
        return made;
    }();
    return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const test::TempFolder scratch("/dev/shm");  // in memory where the system offers it
    static const std::string path = scratch.File("picture.bmp");
    static IDirectDrawSurface* const other = test::NewSurface(Device(), 23, 17);
    // Every later verdict would be about a stale file.
    if (!test::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size))) std::abort();
    platform_test::ResetFaults();  // the debug output the test build keeps would grow without end

    if (IDirectDrawSurface* surface = LoadBitmapSurface(Device(), path.c_str(), 0, 0)) {
        SetSurfaceColorKey(surface, kTransparentColor);
        surface->Release();
        // What loaded once reloads: the file has not changed.
        if (ReloadBitmapSurface(other, path.c_str()) != S_OK) std::abort();
        SetSurfaceColorKey(other, kTransparentColor);
    } else if (ReloadBitmapSurface(other, path.c_str()) == S_OK) {
        std::abort();  // refused by one call, taken by the other
    }
    return 0;
}
