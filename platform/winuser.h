#pragma once

#ifdef _WIN32
#include "platform/windows.h"
#else

// The window, its message queue, the timer and the cursor.

#include <cstddef>

#include "platform/windows.h"

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
};

// Receives the messages of a window (the frame window object of the framework).
class MessageHandler {
public:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~MessageHandler() = default;
};

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Creates the program's window (hidden until ShowWindow); null when the display cannot be opened.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* menu, HINSTANCE instance,
                     MessageHandler* handler);
// Sends WM_DESTROY and WM_NCDESTROY, then the window is gone.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL IsIconic(HWND window);
BOOL SetWindowIcon(HWND window, const void* iconFile, size_t size);

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(window, message, wParam, lParam);
}
inline LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(window, message, wParam, lParam);
}
void PostQuitMessage(int exitCode);
// Waits for the next message; FALSE on WM_QUIT.
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
// The next message if one is waiting (including a due timer or a pending paint).
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A WM_TIMER every `milliseconds`; a late tick is delivered once, never queued up.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* callback);
BOOL KillTimer(HWND window, UINT_PTR id);

// The cursor's display count: shown while it is 0 or more.
int ShowCursor(BOOL show);

int GetSystemMetrics(int index);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
#endif  // _WIN32
