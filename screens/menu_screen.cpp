#include "screens/menu_screen.h"

#include <cstdio>

#include "app/cursor.h"
#include "app/worm_app.h"
#include "app/screen.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"

CMenuScreen::CMenuScreen()
{
    background = LoadBitmapSurface(gDirectDraw, "IDB_MENU", 0, 0);
    if (background == nullptr) SendMessageA(MainWindow(), WM_CLOSE, 0, 0);
    else SetSurfaceColorKey(background, kTransparentColor);
    levelFont.Attach(CreateFontA(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "Times New Roman"));
}

CMenuScreen::~CMenuScreen()
{
    if (background != nullptr) {
        background->Release();
        background = nullptr;
    }
    levelFont.DeleteObject();
}

void CMenuScreen::Tick()
{
    if (background == nullptr) return;
    RECT picture{0, 0, 640, 480};
    HRESULT hr = BltFastUntilDone(gBackSurface, 0, 0, background, &picture, DDBLTFAST_NOCOLORKEY);
    if (hr == DDERR_SURFACELOST) RestoreSurfaces();
    if (hr != DD_OK) return;

    HDC dc = nullptr;
    if (gBackSurface->GetDC(&dc) != DD_OK) return;
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    char text[16];
    int length = std::snprintf(text, sizeof text, "%d", gLevel);
    RECT box{300, 110, 340, 130};
    DrawTextA(dc, text, length, &box, DT_CENTER | DT_VCENTER);
    gBackSurface->ReleaseDC(dc);
}

void CMenuScreen::OnKeyDown(UINT key)
{
    if (key == VK_ESCAPE) PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
}

void CMenuScreen::Activate()
{
    SetCursorVisible(1);
}

void CMenuScreen::RestoreSurfaces()
{
    if (background == nullptr) return;
    background->Restore();
    ReloadBitmapSurface(background, "IDB_MENU");
    SetSurfaceColorKey(background, kTransparentColor);
}
