#include "platform/afx.h"

#include <cstring>

#include "platform/embedded_file.h"
#include "platform/internal.h"
#include "platform/profile_store.h"

const char* const kFrameWindowClass = "AfxFrameOrView";

namespace {

CWinApp* gApp = nullptr;

std::string BaseNameWithoutExtension(const char* path)
{
    if (path == nullptr || *path == '\0') return "lorvex";
    const char* slash = std::strrchr(path, '/');
    std::string name = slash != nullptr ? slash + 1 : path;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? "lorvex" : name;
}

}  // namespace

// ---- CWnd

CWnd::~CWnd()
{
    if (deleted_ != nullptr) *deleted_ = true;
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter != nullptr ? insertAfter->m_hWnd : nullptr, x, y, width, height, flags);
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const Current saved = current_;
    bool* const outer = deleted_;
    bool deleted = false;
    current_ = Current{message, wParam, lParam};
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

BOOL CFrameWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                         CWnd* parent, UINT /*id*/, void* /*param*/)
{
    m_hWnd = CreateWindowExA(exStyle, className != nullptr ? className : kFrameWindowClass, title, style, rect.left,
                             rect.top, rect.right - rect.left, rect.bottom - rect.top,
                             parent != nullptr ? parent->m_hWnd : nullptr, nullptr, AfxGetInstanceHandle(), this);
    if (m_hWnd == nullptr) return FALSE;
    // The program's icon (group 128) stands for the window.
    if (const EmbeddedFile* icon = FindEmbeddedFile(kResources, kResourcesCount, "128"))
        SetWindowIcon(m_hWnd, icon->begin, icon->size());
    return TRUE;
}

LRESULT CFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: OnClose(); return 0;
    case WM_NCDESTROY: OnNcDestroy(); return 0;
    case WM_SETCURSOR: return OnSetCursor(this, 0, 0);
    default: return CWnd::OnWndMsg(message, wParam, lParam);
    }
}

void CFrameWnd::OnClose()
{
    DestroyWindow();
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

BOOL CFrameWnd::OnSetCursor(CWnd* /*window*/, UINT /*hitTest*/, UINT /*message*/)
{
    return FALSE;  // the class cursor (the arrow) stands
}

// ---- CWinApp

CWinApp::CWinApp(const char* appName)
{
    if (appName != nullptr) m_pszAppName = appName;
    gApp = this;
}

CWinApp::~CWinApp()
{
    if (gApp == this) gApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::SetRegistryKey(const char* company)
{
    m_pszRegistryKey = company != nullptr ? company : "";
    if (m_pszAppName.empty()) m_pszAppName = "lorvex";
    profile_ = std::make_unique<ProfileStore>(ProfileStore::DefaultFolder(m_pszRegistryKey.c_str(), m_pszAppName.c_str()));
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    if (profile_ == nullptr) return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(profile_->GetInt(section, entry, defaultValue));
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    platform::TraceCall("WriteProfileInt");
    if (profile_ == nullptr) return FALSE;
    return profile_->WriteInt(section, entry, value) ? TRUE : FALSE;
}

std::string CWinApp::ProfileFolder() const
{
    return profile_ != nullptr ? profile_->Folder() : std::string();
}

CWinApp* AfxGetApp()
{
    return gApp;
}

CWnd* AfxGetMainWnd()
{
    return gApp != nullptr ? gApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return GetModuleHandleA(nullptr);
}

void AfxWinInit(const char* executablePath)
{
    if (gApp == nullptr) return;
    gApp->m_hInstance = GetModuleHandleA(nullptr);
    if (gApp->m_pszAppName.empty()) gApp->m_pszAppName = BaseNameWithoutExtension(executablePath);
}

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    AfxWinInit(argc > 0 ? argv[0] : nullptr);
    int code = 0;
    if (app->InitInstance()) {
        code = app->Run();
    } else {
        // A failed start: the main window, if any, goes; then the ordinary exit.
        if (CWnd* frame = app->m_pMainWnd) {
            if (!frame->DestroyWindow()) {
                app->m_pMainWnd = nullptr;
                delete frame;
            }
        }
        code = app->ExitInstance();
    }
    // The window is gone: the display connection closes here, not among the exit handlers.
    platform::Shutdown();
    return code;
}

// ---- CFont, CPaintDC

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outputPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const char* faceName)
{
    return Attach(CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                              outputPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CFont::Attach(HFONT font)
{
    if (font == nullptr) return FALSE;
    DeleteObject();
    m_hObject = font;
    return TRUE;
}

HFONT CFont::Detach()
{
    HFONT font = m_hObject;
    m_hObject = nullptr;
    return font;
}

BOOL CFont::DeleteObject()
{
    if (m_hObject == nullptr) return FALSE;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

CPaintDC::CPaintDC(CWnd* window)
{
    if (window != nullptr) ValidateRect(window->m_hWnd, nullptr);
}
