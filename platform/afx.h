#pragma once

// The parts of the Windows application framework the game builds on: the application
// object with its message loop and profile settings, frame windows, fonts, paint contexts.

#include <memory>
#include <string>

#include "platform/gdi.h"
#include "platform/winuser.h"

class ProfileStore;

// The class of frame windows: double clicks, redraw on resize, the arrow cursor.
extern const char* const kFrameWindowClass;

class CWnd : public MessageHandler {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds, void* callback) { return ::SetTimer(m_hWnd, id, milliseconds, callback); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    virtual BOOL DestroyWindow();

    // Every message of the window arrives here and is passed to OnWndMsg.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The window's own handling of a message; the base hands it to default processing.
    virtual LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam);
    // The system's default processing of the message being handled.
    LRESULT Default();
    // Called after the window is gone.
    virtual void PostNcDestroy() {}

private:
    struct Current {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    Current current_{0, 0, 0};
    bool* deleted_ = nullptr;  // set when the object is deleted inside one of its own handlers
};

class CFrameWnd : public CWnd {
public:
    BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, void* param = nullptr);

protected:
    LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnClose();
    virtual void OnNcDestroy();
    virtual BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    // A frame window deletes itself when its window is gone.
    void PostNcDestroy() override { delete this; }
};

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's result when WM_QUIT arrives.
    virtual int Run();
    virtual int ExitInstance();

    void Enable3dControlsStatic() {}
    void SetRegistryKey(const char* company);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::string m_pszAppName;
    std::string m_pszRegistryKey;

    // Where the profile settings live (empty when there is no usable folder).
    std::string ProfileFolder() const;

private:
    friend void AfxWinInit(const char* executablePath);
    std::unique_ptr<ProfileStore> profile_;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Gives the application its instance and, from the executable's path, its name.
void AfxWinInit(const char* executablePath);
// Runs the application object: InitInstance, then the message loop or the exit on failure.
int AfxWinMain(int argc, char** argv);

class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    ~CFont() { DeleteObject(); }

    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outputPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, const char* faceName);
    BOOL Attach(HFONT font);
    HFONT Detach();
    BOOL DeleteObject();
    HFONT GetSafeHandle() const { return m_hObject; }

    HFONT m_hObject = nullptr;
};

// A paint cycle: made on WM_PAINT, it marks the window as painted.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() = default;

    HDC m_hDC = nullptr;
};
