#include "gfx/bitmap_surface.h"

#include <cstring>

#include "platform/gdi.h"
#include "platform/windows.h"

namespace {

// A resource of the program first, then a file of that name.
HBITMAP LoadNamedBitmap(const char* name, int width, int height)
{
    HANDLE image = LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION);
    if (image == nullptr)
        image = LoadImageA(nullptr, name, IMAGE_BITMAP, width, height, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return static_cast<HBITMAP>(image);
}

}  // namespace

IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* device, const char* name, int width, int height)
{
    if (device == nullptr) return nullptr;
    HBITMAP bitmap = LoadNamedBitmap(name, width, height);
    if (bitmap == nullptr) {
        OutputDebugStringA("handle is null\n");
        return nullptr;
    }

    BITMAP info{};
    GetObjectA(bitmap, sizeof(info), &info);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = static_cast<DWORD>(info.bmWidth);
    desc.dwHeight = static_cast<DWORD>(info.bmHeight);
    IDirectDrawSurface* surface = nullptr;
    if (device->CreateSurface(&desc, &surface, nullptr) != DD_OK) {
        DeleteObject(bitmap);
        return nullptr;
    }
    CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    DeleteObject(bitmap);
    return surface;
}

HRESULT ReloadBitmapSurface(IDirectDrawSurface* surface, const char* name)
{
    HBITMAP bitmap = LoadNamedBitmap(name, 0, 0);
    if (bitmap == nullptr) {
        OutputDebugStringA("handle is null\n");
        return E_FAIL;
    }
    HRESULT hr = CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    if (hr != S_OK) OutputDebugStringA("ddcopybitmap failed\n");
    DeleteObject(bitmap);
    return hr;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int sourceX, int sourceY, int sourceWidth,
                            int sourceHeight)
{
    if (bitmap == nullptr || surface == nullptr) return E_FAIL;
    surface->Restore();

    HDC memory = CreateCompatibleDC(nullptr);
    if (memory == nullptr) OutputDebugStringA("createcompatible dc failed\n");
    SelectObject(memory, bitmap);

    BITMAP info{};
    GetObjectA(bitmap, sizeof(info), &info);
    if (sourceWidth == 0) sourceWidth = info.bmWidth;
    if (sourceHeight == 0) sourceHeight = info.bmHeight;

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    surface->GetSurfaceDesc(&desc);

    HDC target = nullptr;
    HRESULT hr = surface->GetDC(&target);
    if (hr == DD_OK) {
        StretchBlt(target, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), memory, sourceX,
                   sourceY, sourceWidth, sourceHeight, SRCCOPY);
        surface->ReleaseDC(target);
    }
    DeleteDC(memory);
    return hr;
}

DWORD MatchSurfaceColor(IDirectDrawSurface* surface, COLORREF color)
{
    DWORD result = 0xFFFFFFFFu;
    COLORREF saved = CLR_INVALID;
    bool probed = false;
    HDC dc = nullptr;
    if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, color);
        surface->ReleaseDC(dc);
        probed = true;
    }

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    HRESULT hr;
    while ((hr = surface->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (hr == DD_OK) {
        std::memcpy(&result, desc.lpSurface, sizeof(result));
        const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
        if (bits < 32) result &= (static_cast<DWORD>(1) << bits) - 1;
        surface->Unlock(nullptr);
    }

    if (probed && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return result;
}

HRESULT SetSurfaceColorKey(IDirectDrawSurface* surface, COLORREF color)
{
    DDCOLORKEY key{};
    key.dwColorSpaceLowValue = MatchSurfaceColor(surface, color);
    key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}
