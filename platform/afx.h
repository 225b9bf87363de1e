#pragma once

// The parts of the Windows application framework the game builds on: the application object
// with its profile settings, frame windows and their messages, fonts and paint cycles.
// One interface on both systems: afx.cpp holds what both share, afx_sdl.cpp and afx_win32.cpp
// the window creation, the profile store and the program's run.

#include "platform/gdi.h"
#include "platform/winuser.h"

// The class of frame windows: double clicks, redraw on resize, the arrow cursor.
extern const char* const kFrameWindowClass;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter != nullptr ? insertAfter->m_hWnd : nullptr, x, y, width, height,
                              flags);
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms, TIMERPROC callback) { return ::SetTimer(m_hWnd, id, ms, callback); }
    BOOL PostMessage(UINT message, WPARAM w = 0, LPARAM l = 0) { return ::PostMessageA(m_hWnd, message, w, l); }
    LRESULT SendMessage(UINT message, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageA(m_hWnd, message, w, l); }
    BOOL DestroyWindow() { return m_hWnd != nullptr ? ::DestroyWindow(m_hWnd) : FALSE; }

    // Every message of the window arrives here and goes on to OnWndMsg.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The window's own handling of a message; the base hands it to default processing.
    virtual LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam);
    // The system's default processing of the message being handled.
    LRESULT Default();
    // Called after the window is gone.
    virtual void PostNcDestroy() {}

private:
    MSG current_{};            // the message being handled, for Default
    bool* deleted_ = nullptr;  // set when the object is deleted inside one of its own handlers
};

class CFrameWnd : public CWnd {
public:
    BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* param = nullptr);

protected:
    LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnClose() { DestroyWindow(); }
    virtual void OnNcDestroy();
    // A frame window deletes itself when its window is gone.
    void PostNcDestroy() override { delete this; }
};

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // TRUE lets the message loop run; FALSE ends the program.
    virtual BOOL InitInstance() { return TRUE; }
    // The message loop, until WM_QUIT; its exit code.
    virtual int Run();

    void Enable3dControlsStatic() {}
    void SetRegistryKey(const char* company);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName = nullptr;  // unless the application names itself: the executable's base name
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Gives the application its module handle and, unless it has one, its name from the executable's path.
void AfxWinInit(const char* executablePath);
// Ends what the run needed of the system, once the main window is gone.
void AfxWinTerm();
// The program's options, read before anything starts: -1 to run on, or the status to end with.
int AfxReadOptions(int argc, char** argv);
// Runs the application object: InitInstance, then the message loop or, when it fails, the end
// of the program with the main window destroyed. Returns the program's exit status.
int AfxWinMain(int argc, char** argv);

class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    ~CFont() { DeleteObject(); }

    BOOL Attach(HFONT font)
    {
        DeleteObject();
        m_hObject = font;
        return font != nullptr;
    }
    BOOL DeleteObject()
    {
        const BOOL deleted = m_hObject != nullptr && ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return deleted;
    }
    HFONT GetSafeHandle() const { return m_hObject; }

    HFONT m_hObject = nullptr;
};

// A paint cycle of a window, made on WM_PAINT: the window counts as painted once it ends.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd) { ::BeginPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
};
