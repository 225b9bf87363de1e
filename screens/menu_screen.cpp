#include "screens/menu_screen.h"

#include <cstdio>

#include "app/cursor.h"
#include "app/globals.h"
#include "app/screen.h"
#include "gfx/display.h"
#include "screens/screen_picture.h"

namespace {

constexpr const char* kPicture = "IDB_MENU";

// The buttons in the order they are made, drawn and told of the mouse, with where they
// sit, their strip in the picture and what a click on each asks of the main window.
struct MenuButton {
    CSpriteButton* CMenuScreen::*field;
    POINT topLeft;
    int stripY;
    UINT message;
    WPARAM wParam;
};

const MenuButton kButtons[] = {
    {&CMenuScreen::singleButton, {245, 145}, 480, UM_START_GAME, 1},
    {&CMenuScreen::pairButton, {245, 185}, 510, UM_START_GAME, 2},
    {&CMenuScreen::matchButton, {245, 225}, 540, UM_START_GAME, 3},
    {&CMenuScreen::aboutButton, {245, 265}, 570, UM_SHOW_ABOUT, 0},
    {&CMenuScreen::exitButton, {245, 305}, 600, WM_CLOSE, 0},
};

// The black box in the picture where the level is written.
constexpr RECT kLevelBox{300, 110, 340, 130};

}  // namespace

CMenuScreen::CMenuScreen()
{
    for (const MenuButton& b : kButtons) (this->*b.field) = NewStripButton(b.topLeft.x, b.topLeft.y, b.stripY);
    background = LoadScreenPicture(kPicture);
    levelFont.Attach(CreateFontA(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "Times New Roman"));
}

CMenuScreen::~CMenuScreen()
{
    for (const MenuButton& b : kButtons) {
        delete (this->*b.field);
        this->*b.field = nullptr;
    }
    if (background != nullptr) {
        background->Release();
        background = nullptr;
    }
    levelFont.DeleteObject();
}

void CMenuScreen::Tick()
{
    const HRESULT hr = DrawScreenPicture(background);
    if (hr == DDERR_SURFACELOST) RestoreSurfaces();
    if (hr != DD_OK) return;
    for (const MenuButton& b : kButtons) (this->*b.field)->Draw(background);
    DrawLevel();
}

void CMenuScreen::DrawLevel()
{
    HDC dc = nullptr;
    if (gBackSurface->GetDC(&dc) != DD_OK) return;
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    // The serif face of the label beside the box, sized to fill its height.
    HGDIOBJ previous = SelectObject(dc, levelFont.GetSafeHandle());
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d", gLevel);
    RECT box = kLevelBox;
    DrawTextA(dc, text, length, &box, DT_CENTER | DT_VCENTER);
    if (previous != nullptr) SelectObject(dc, previous);
    gBackSurface->ReleaseDC(dc);
}

void CMenuScreen::OnMouseMove(int x, int y)
{
    for (const MenuButton& b : kButtons) (this->*b.field)->OnMouseMove(x, y);
}

void CMenuScreen::OnLButtonDown(int x, int y)
{
    for (const MenuButton& b : kButtons) (this->*b.field)->OnLButtonDown(x, y);
}

void CMenuScreen::OnLButtonUp(int x, int y)
{
    // Every button hears the release, whatever an earlier one made of it.
    for (const MenuButton& b : kButtons)
        if ((this->*b.field)->OnLButtonUp(x, y)) PostMessageA(MainWindow(), b.message, b.wParam, 0);
}

void CMenuScreen::OnKeyDown(UINT key)
{
    if (key == VK_ESCAPE) PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
}

void CMenuScreen::Activate()
{
    SetCursorVisible(1);
    for (const MenuButton& b : kButtons) (this->*b.field)->Reset();
}

void CMenuScreen::RestoreSurfaces()
{
    RestoreScreenPicture(background, kPicture);
}
