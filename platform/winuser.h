#pragma once

#ifdef _WIN32
#include "platform/windows.h"
#else

// The window, its messages, the timer and the cursor: the user interface calls of the game
// and of the framework under it.

#include "platform/windows.h"

// Of a message, and of a paint cycle, only what the game and the framework read.
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct PAINTSTRUCT {
    HDC hdc;
};

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

constexpr UINT PM_REMOVE = 0x0001;  // the only way messages are peeked here

constexpr unsigned VK_ESCAPE = 0x1B;
constexpr unsigned VK_SPACE = 0x20;

// Sends WM_DESTROY and WM_NCDESTROY, then the window is gone.
BOOL DestroyWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
// Paints the window at once (WM_PAINT) if it needs it.
BOOL UpdateWindow(HWND window);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL IsIconic(HWND window);
// The title the window system shows for the window.
BOOL SetWindowTextA(HWND window, const char* text);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Waits for the next message; FALSE on WM_QUIT.
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
// The next message if one is waiting (a due timer or a pending paint included), removed.
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A WM_TIMER every `milliseconds`; a late tick is delivered once, never queued up.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC callback);

// The cursor's display count: shown while it is 0 or more.
int ShowCursor(BOOL show);

int GetSystemMetrics(int index);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
#endif  // _WIN32
