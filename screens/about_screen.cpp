#include "screens/about_screen.h"

#include "app/screen.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"
#include "platform/afx.h"

CAboutScreen::CAboutScreen()
{
    background = LoadBitmapSurface(gDirectDraw, "IDB_ABOUT", 0, 0);
    if (background == nullptr) SendMessageA(MainWindow(), WM_CLOSE, 0, 0);
    else SetSurfaceColorKey(background, kTransparentColor);
}

CAboutScreen::~CAboutScreen()
{
    if (background != nullptr) {
        background->Release();
        background = nullptr;
    }
}

void CAboutScreen::Tick()
{
    if (background == nullptr) return;
    RECT picture{0, 0, 640, 480};
    if (BltFastUntilDone(gBackSurface, 0, 0, background, &picture, DDBLTFAST_NOCOLORKEY) == DDERR_SURFACELOST)
        RestoreSurfaces();
}

void CAboutScreen::OnKeyDown(UINT key)
{
    if (key == VK_ESCAPE) PostMessageA(MainWindow(), UM_SHOW_MENU, 0, 0);
}

void CAboutScreen::Reset() {}

void CAboutScreen::RestoreSurfaces()
{
    if (background == nullptr) return;
    background->Restore();
    ReloadBitmapSurface(background, "IDB_ABOUT");
    SetSurfaceColorKey(background, kTransparentColor);
}
