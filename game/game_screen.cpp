#include "game/game_screen.h"

#include "app/cursor.h"
#include "app/screen.h"
#include "app/worm_app.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"

CGameScreen::CGameScreen()
{
    groundSurface = LoadBitmapSurface(gDirectDraw, "IDB_GROUND", 0, 0);
    spriteSurface = LoadBitmapSurface(gDirectDraw, "IDB_HRA", 0, 0);
    if (groundSurface == nullptr || spriteSurface == nullptr)
        SendMessageA(MainWindow(), WM_QUIT, 0, 0);
    if (spriteSurface != nullptr) SetSurfaceColorKey(spriteSurface, kTransparentColor);
    scoreFont.Attach(CreateFontA(15, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Verdena"));
    keyboard.Create(&gDirectInput.directInput, MainWindow());
}

CGameScreen::~CGameScreen()
{
    scoreFont.DeleteObject();
    if (groundSurface != nullptr) {
        groundSurface->Release();
        groundSurface = nullptr;
    }
    if (spriteSurface != nullptr) {
        spriteSurface->Release();
        spriteSurface = nullptr;
    }
    keyboard.Shutdown();
}

void CGameScreen::StartRound(int count, bool match)
{
    wormCount = count;
    running = true;
    matchMode = match;
}

void CGameScreen::Activate()
{
    SetCursorVisible(0);
}

void CGameScreen::Tick()
{
    keyboard.Poll();
    Render();
}

void CGameScreen::Render()
{
    // A picture that failed to load is never drawn from while the program ends.
    if (groundSurface == nullptr || gBackSurface == nullptr) return;
    RECT whole{0, 0, 640, 480};
    if (BltFastUntilDone(gBackSurface, 0, 0, groundSurface, &whole, DDBLTFAST_NOCOLORKEY) == DDERR_SURFACELOST)
        RestoreSurfaces();
}

void CGameScreen::RestoreSurfaces()
{
    if (groundSurface == nullptr || spriteSurface == nullptr) return;
    groundSurface->Restore();
    spriteSurface->Restore();
    ReloadBitmapSurface(groundSurface, "IDB_GROUND");
    ReloadBitmapSurface(spriteSurface, "IDB_HRA");
    SetSurfaceColorKey(spriteSurface, kTransparentColor);
}

void CGameScreen::OnKeyDown(UINT key)
{
    // Esc leaves the screen, a round or none; ending rounds with Space comes with the rules.
    if (key == VK_ESCAPE) PostMessageA(MainWindow(), UM_SHOW_MENU, 0, 0);
}
