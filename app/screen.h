#pragma once

#include "platform/afx.h"
#include "platform/windows.h"

// The frame window's own messages.
constexpr UINT UM_CREATE_SCREENS = 0x401;
constexpr UINT UM_SHOW_MENU = 0x403;
constexpr UINT UM_START_GAME = 0x404;  // wParam: 1 one player, 2 two players, 3 match
constexpr UINT UM_SHOW_ABOUT = 0x405;

// The application's main window, where the screens send their requests; null once it is
// gone. Screens reach it through the framework, not through the frame that owns them.
inline HWND MainWindow()
{
    CWnd* frame = AfxGetMainWnd();
    return frame != nullptr ? frame->m_hWnd : nullptr;
}

// A screen of the game: the frame ticks the current one and hands it the input.
// Every slot does nothing unless a screen overrides it.
class CScreen {
public:
    virtual void RestoreSurfaces() {}
    virtual void Tick() {}
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    virtual void OnLButtonUp(int /*x*/, int /*y*/) {}
    virtual void OnLButtonDown(int /*x*/, int /*y*/) {}
    virtual void OnRButtonDown(int /*x*/, int /*y*/) {}
    virtual void OnRButtonUp(int /*x*/, int /*y*/) {}
    virtual void OnKeyUp(UINT /*key*/) {}
    virtual void OnKeyDown(UINT /*key*/) {}
    virtual ~CScreen() = default;
};
