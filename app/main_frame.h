#pragma once

#include "app/screen.h"
#include "platform/afx.h"

class CGameScreen;
class CMenuScreen;
class CAboutScreen;

// Flips the back buffer to the front: again at once while the device is busy; a lost
// primary is restored and the frame skipped.
void PresentFrame();

// The program's one window: owns the three screens, ticks the current one every 40 ms
// and hands it the mouse and the keys.
class CMainFrame : public CFrameWnd {
public:
    static constexpr const char* kRuntimeClassName = "CMainFrame";

    CMainFrame();
    ~CMainFrame() override;

    CGameScreen* gameScreen = nullptr;
    CMenuScreen* menuScreen = nullptr;
    CAboutScreen* aboutScreen = nullptr;
    UINT_PTR timerId = 0;
    CScreen* currentScreen = nullptr;

protected:
    // The message map, in its order.
    LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;

private:
    void OnPaint();
    void OnKeyDown(UINT key);
    void OnLButtonDblClk();
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    void OnMouseMove(int x, int y);
    void OnTimer();
    void OnKeyUp(UINT key);
    void OnRButtonDown(int x, int y);
    void OnRButtonUp(int x, int y);
    LRESULT OnCreateScreens();
    void OnShowMenu();
    void OnStartGame(WPARAM mode);
    void OnShowAbout();

    // A screen that cannot load its picture asks to close while the screens are made:
    // the close then waits for the message loop, so nothing here runs on a destroyed window.
    bool creatingScreens_ = false;
    bool closeRequested_ = false;
};
