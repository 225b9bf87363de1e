// The framework as both systems share it: message handling of windows and frames, the
// application object. Built for Linux and for Windows alike.
#include "platform/afx.h"

#include <cstdio>
#include <new>

const char* const kFrameWindowClass = "AfxFrameOrView";

namespace {
CWinApp* gApp = nullptr;
}  // namespace

// ---- CWnd

CWnd::~CWnd()
{
    if (deleted_ != nullptr) *deleted_ = true;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const MSG saved = current_;
    bool* const outer = deleted_;
    bool deleted = false;
    current_.message = message;
    current_.wParam = wParam;
    current_.lParam = lParam;
    deleted_ = &deleted;
    LRESULT result = OnWndMsg(message, wParam, lParam);
    if (deleted) {
        // The object went away inside the handler: touch nothing, tell the enclosing calls.
        if (outer != nullptr) *outer = true;
        return result;
    }
    current_ = saved;
    deleted_ = outer;
    return result;
}

LRESULT CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProcA(m_hWnd, current_.message, current_.wParam, current_.lParam);
}

// ---- CFrameWnd

LRESULT CFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: OnClose(); return 0;
    case WM_NCDESTROY: OnNcDestroy(); return 0;
    default: return CWnd::OnWndMsg(message, wParam, lParam);
    }
}

void CFrameWnd::OnNcDestroy()
{
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) {
        PostQuitMessage(0);
        app->m_pMainWnd = nullptr;
    }
    m_hWnd = nullptr;
    PostNcDestroy();
}

// ---- CWinApp

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName)
{
    gApp = this;
}

CWinApp::~CWinApp()
{
    if (gApp == this) gApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return static_cast<int>(msg.wParam);
}

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    if (const int status = AfxReadOptions(argc, argv); status >= 0) return status;
    AfxWinInit(argc > 0 ? argv[0] : nullptr);
    int code = 1;  // a failed start is no success
    try {
        if (app->InitInstance()) {
            code = app->Run();
        } else if (CWnd* frame = app->m_pMainWnd) {
            // A failed start: the main window goes, or the frame object where it has none.
            if (!frame->DestroyWindow()) {
                app->m_pMainWnd = nullptr;
                delete frame;
            }
        }
    } catch (const std::bad_alloc&) {
        // Short of memory, a screen's making threw and the program ended on an uncaught
        // exception: it ends with one line instead, leaving the half-made window alone.
        std::fprintf(stderr, "%s: out of memory\n", app->m_pszAppName);
        code = 1;
    }
    AfxWinTerm();
    return code;
}

CWinApp* AfxGetApp()
{
    return gApp;
}

CWnd* AfxGetMainWnd()
{
    return gApp != nullptr ? gApp->m_pMainWnd : nullptr;
}
