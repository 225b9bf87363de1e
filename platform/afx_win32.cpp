// The framework on Win32: the window class and procedure of frame windows, the profile
// settings in the registry, and the program's run with its message loop.
// platform/afx_sdl.cpp is the same part on the SDL stand-ins; afx.cpp is shared.
#include <cstdlib>
#include <string>

#include "platform/afx.h"

namespace {

constexpr WORD kIconGroup = 128;

// Plain arrays: the application object writes the level at exit, after other statics may be gone.
char gAppName[MAX_PATH] = "lorvex";
char gCompany[MAX_PATH] = "";

// The program file's name without folder and extension: the application's name, as the
// framework takes it when the program gives none.
void SetAppNameFromModule(HINSTANCE module)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    char name[_MAX_FNAME] = {};
    if (length > 0 && length < MAX_PATH) _splitpath(path, nullptr, nullptr, name, nullptr);
    if (name[0] != '\0') lstrcpynA(gAppName, name, MAX_PATH);
}

// Every message of a frame window goes to its object once the window is being made; the
// object forgets the window with its last message.
LRESULT CALLBACK FrameWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* object = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        object->m_hWnd = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    auto* object = reinterpret_cast<CWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (object == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return object->WindowProc(message, wParam, lParam);
}

// Double clicks, redraw on resize, the arrow cursor, the program's icon (the small one taken
// from the same group by the system); no background brush, since every frame is drawn whole by
// the display device.
bool RegisterFrameClass(HINSTANCE instance)
{
    WNDCLASSA frameClass{};
    frameClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = FrameWindowProcedure;
    frameClass.hInstance = instance;
    frameClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconGroup));
    frameClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frameClass.lpszClassName = kFrameWindowClass;
    return RegisterClassA(&frameClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// HKEY_CURRENT_USER\Software\<company>\<application>\<section>, made when missing; null
// without a company or when the key cannot be had.
HKEY OpenSectionKey(const char* application, const char* section)
{
    if (gCompany[0] == '\0' || section == nullptr) return nullptr;
    const std::string path = std::string("Software\\") + gCompany + "\\" + application + "\\" + section;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

BOOL CFrameWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                         CWnd* parent, UINT /*id*/, void* /*param*/)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterFrameClass(instance)) return FALSE;
    HWND window = CreateWindowExA(exStyle, className != nullptr ? className : kFrameWindowClass, title, style,
                                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                  parent != nullptr ? parent->m_hWnd : nullptr, nullptr, instance, this);
    return window != nullptr ? TRUE : FALSE;
}

void CWinApp::SetRegistryKey(const char* company)
{
    lstrcpynA(gCompany, company != nullptr ? company : "", MAX_PATH);
}

// Only a 4-byte REG_DWORD is a level. Read as it stood, a string or a shorter value of
// another type filled the level with whatever its bytes were.
UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    HKEY key = OpenSectionKey(m_pszAppName, section);
    if (key == nullptr) return static_cast<UINT>(defaultValue);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG read = RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(value);
}

// Without a registry key nothing is written: the framework would fall back to a file in
// the Windows folder, and the program keeps to its own key.
BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    HKEY key = OpenSectionKey(m_pszAppName, section);
    if (key == nullptr) return FALSE;
    const DWORD stored = static_cast<DWORD>(value);
    const LONG written =
        RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
    RegCloseKey(key);
    return written == ERROR_SUCCESS ? TRUE : FALSE;
}

void AfxWinInit(const char* /*executablePath*/)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return;
    app->m_hInstance = GetModuleHandleA(nullptr);
    if (app->m_pszAppName == nullptr) {
        SetAppNameFromModule(app->m_hInstance);
        app->m_pszAppName = gAppName;
    }
}

void AfxWinTerm() {}

// The game takes the display in its own mode on Windows: there is nothing to choose.
int AfxReadOptions(int /*argc*/, char** /*argv*/)
{
    return -1;
}
