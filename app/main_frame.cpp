#include "app/main_frame.h"

#include "app/cursor.h"
#include "game/game_screen.h"
#include "gfx/display.h"
#include "screens/about_screen.h"
#include "screens/menu_screen.h"

namespace {
constexpr UINT_PTR kTimerId = 5;
constexpr UINT kTickMilliseconds = 40;
}  // namespace

void PresentFrame()
{
    if (gPrimarySurface == nullptr) return;
    for (;;) {
        HRESULT hr = gPrimarySurface->Flip(nullptr, 0);
        if (hr == DDERR_WASSTILLDRAWING) continue;
        if (hr == DDERR_SURFACELOST) gPrimarySurface->Restore();
        return;
    }
}

CMainFrame::CMainFrame()
{
    CreateEx(WS_EX_TOPMOST, kFrameWindowClass, "Lorvex", WS_POPUP, RECT{0, 0, kScreenWidth, kScreenHeight}, nullptr, 0);
    timerId = SetTimer(kTimerId, kTickMilliseconds, nullptr);
    currentScreen = nullptr;
    gameScreen = nullptr;
    menuScreen = nullptr;
    aboutScreen = nullptr;
}

CMainFrame::~CMainFrame()
{
    currentScreen = nullptr;
    delete menuScreen;
    delete aboutScreen;
    delete gameScreen;
}

LRESULT CMainFrame::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(x, y); return 0;
    case WM_LBUTTONUP: OnLButtonUp(x, y); return 0;
    case WM_MOUSEMOVE: OnMouseMove(x, y); return 0;
    case WM_TIMER: OnTimer(); return 0;
    case WM_KEYUP: OnKeyUp(static_cast<UINT>(wParam)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(x, y); return 0;
    case WM_RBUTTONUP: OnRButtonUp(x, y); return 0;
    case WM_SETCURSOR: return CFrameWnd::OnWndMsg(message, wParam, lParam);
    case UM_CREATE_SCREENS: return OnCreateScreens();
    case UM_SHOW_MENU: OnShowMenu(); return 0;
    case UM_START_GAME: OnStartGame(wParam); return 0;
    case UM_SHOW_ABOUT: OnShowAbout(); return 0;
    // The game screen asks for the end with WM_QUIT sent to the window, which a window
    // never acts on by itself; it is taken as the close it means.
    case WM_QUIT: OnClose(); return 0;
    default: return CFrameWnd::OnWndMsg(message, wParam, lParam);
    }
}

void CMainFrame::OnClose()
{
    if (creatingScreens_) {
        closeRequested_ = true;
        return;
    }
    CFrameWnd::OnClose();
}

void CMainFrame::OnPaint()
{
    CPaintDC paint(this);
    PresentFrame();
}

void CMainFrame::OnKeyDown(UINT key)
{
    if (currentScreen != nullptr) currentScreen->OnKeyDown(key);
    Default();
}

void CMainFrame::OnLButtonDblClk()
{
    // The second press of a double click is not a press for the screens.
    Default();
}

void CMainFrame::OnLButtonDown(int x, int y)
{
    if (currentScreen != nullptr) currentScreen->OnLButtonDown(x, y);
    Default();
}

void CMainFrame::OnLButtonUp(int x, int y)
{
    if (currentScreen != nullptr) currentScreen->OnLButtonUp(x, y);
    Default();
}

void CMainFrame::OnMouseMove(int x, int y)
{
    if (currentScreen != nullptr) currentScreen->OnMouseMove(x, y);
    Default();
}

void CMainFrame::OnTimer()
{
    Default();
    if (currentScreen != nullptr && !IsIconic()) {
        currentScreen->Tick();
        PresentFrame();
    }
}

void CMainFrame::OnKeyUp(UINT key)
{
    if (currentScreen != nullptr) currentScreen->OnKeyUp(key);
    Default();
}

void CMainFrame::OnRButtonDown(int x, int y)
{
    if (currentScreen != nullptr) currentScreen->OnRButtonDown(x, y);
    Default();
}

void CMainFrame::OnRButtonUp(int x, int y)
{
    if (currentScreen != nullptr) currentScreen->OnRButtonUp(x, y);
    Default();
}

LRESULT CMainFrame::OnCreateScreens()
{
    SetCursorVisible(0);
    creatingScreens_ = true;
    gameScreen = new CGameScreen();
    if (!closeRequested_) menuScreen = new CMenuScreen();
    if (!closeRequested_) aboutScreen = new CAboutScreen();
    creatingScreens_ = false;
    if (closeRequested_) {
        // Start-up ends here: the loop closes the window, no screen is shown or ticked.
        PostMessage(WM_CLOSE, 0, 0);
        return 0;
    }
    SendMessage(UM_SHOW_MENU, 0, 0);
    return SendMessage(WM_TIMER, 0, 0);
}

void CMainFrame::OnShowMenu()
{
    menuScreen->Activate();
    currentScreen = menuScreen;
}

void CMainFrame::OnStartGame(WPARAM mode)
{
    switch (mode) {
    case 1: gameScreen->StartRound(1, false); break;
    case 2: gameScreen->StartRound(2, false); break;
    case 3: gameScreen->StartRound(2, true); break;
    default: break;
    }
    gameScreen->Activate();
    currentScreen = gameScreen;
}

void CMainFrame::OnShowAbout()
{
    aboutScreen->Reset();
    currentScreen = aboutScreen;
}
