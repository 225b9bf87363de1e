#include "screens/about_screen.h"

#include "app/screen.h"
#include "screens/screen_picture.h"

namespace {

constexpr const char* kPicture = "IDB_ABOUT";

}  // namespace

CAboutScreen::CAboutScreen()
{
    backButton = NewStripButton(245, 410, 480);
    background = LoadScreenPicture(kPicture);
}

CAboutScreen::~CAboutScreen()
{
    if (background != nullptr) {
        background->Release();
        background = nullptr;
    }
    delete backButton;
    backButton = nullptr;
}

void CAboutScreen::Tick()
{
    const HRESULT hr = DrawScreenPicture(background);
    if (hr == DDERR_SURFACELOST) RestoreSurfaces();
    if (hr != DD_OK) return;
    backButton->Draw(background);
}

void CAboutScreen::OnMouseMove(int x, int y)
{
    backButton->OnMouseMove(x, y);
}

void CAboutScreen::OnLButtonDown(int x, int y)
{
    backButton->OnLButtonDown(x, y);
}

void CAboutScreen::OnLButtonUp(int x, int y)
{
    if (backButton->OnLButtonUp(x, y)) PostMessageA(MainWindow(), UM_SHOW_MENU, 0, 0);
}

void CAboutScreen::OnKeyDown(UINT key)
{
    if (key == VK_ESCAPE) PostMessageA(MainWindow(), UM_SHOW_MENU, 0, 0);
}

void CAboutScreen::Reset()
{
    backButton->Reset();
}

void CAboutScreen::RestoreSurfaces()
{
    RestoreScreenPicture(background, kPicture);
}
