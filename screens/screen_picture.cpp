#include "screens/screen_picture.h"

#include "app/screen.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"

CSpriteButton* NewStripButton(int left, int top, int stripY)
{
    return new CSpriteButton(0, stripY, kButtonWidth, kButtonHeight,
                             RECT{left, top, left + kButtonWidth, top + kButtonHeight});
}

IDirectDrawSurface* LoadScreenPicture(const char* name)
{
    IDirectDrawSurface* picture = LoadBitmapSurface(gDirectDraw, name, 0, 0);
    if (picture == nullptr) SendMessageA(MainWindow(), WM_CLOSE, 0, 0);
    else SetSurfaceColorKey(picture, kTransparentColor);
    return picture;
}

void RestoreScreenPicture(IDirectDrawSurface* picture, const char* name)
{
    if (picture == nullptr) return;
    picture->Restore();
    ReloadBitmapSurface(picture, name);
    SetSurfaceColorKey(picture, kTransparentColor);
}

HRESULT DrawScreenPicture(IDirectDrawSurface* picture)
{
    if (picture == nullptr) return DDERR_INVALIDOBJECT;
    RECT screen{0, 0, kScreenWidth, kScreenHeight};
    return BltFastUntilDone(gBackSurface, 0, 0, picture, &screen, DDBLTFAST_NOCOLORKEY);
}
