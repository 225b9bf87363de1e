// The framework on the SDL stand-ins, for Linux and the browser: the window of a frame, the
// profile in a settings file, and the program's run.
#include <string>

#include "platform/afx.h"
#include "platform/browser_storage.h"
#include "platform/embedded_file.h"
#include "platform/internal.h"
#include "platform/profile_store.h"

namespace {

// Never destroyed: the application object writes the level at exit, after other statics may be gone.
// Until a registry key is set, the profile has no folder: it reads the defaults and writes nothing.
std::string& gAppName = *new std::string;
ProfileStore& gProfile = *new ProfileStore("");
// A program that ended before its start (a bad option) has read no level and writes none.
bool gRegistryKeySet = false;
bool gProfileHeld = false;
// The stand-ins' own section: the game's "Nastaveni" holds only what the game keeps.
constexpr const char* kStandInSection = "Display";

}  // namespace

BOOL CFrameWnd::CreateEx(DWORD /*exStyle*/, const char* /*className*/, const char* title, DWORD /*style*/,
                         const RECT& rect, CWnd* /*parent*/, UINT /*id*/, void* /*param*/)
{
    // Every message of the window goes to this object.
    const platform::WindowProcedure toObject = [](void* owner, UINT message, WPARAM wParam, LPARAM lParam) {
        return static_cast<CWnd*>(owner)->WindowProc(message, wParam, lParam);
    };
    m_hWnd = platform::CreateGameWindow(title, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                        toObject, this);
    if (m_hWnd == nullptr) return FALSE;
    // The program's icon (group 128) stands for the window.
    if (const EmbeddedFile* icon = FindEmbeddedFile(kResources, kResourcesCount, "128")) {
        SDL_Surface* picture = SDL_LoadBMP_RW(SDL_RWFromConstMem(icon->begin, static_cast<int>(icon->size())), 1);
        if (picture != nullptr) SDL_SetWindowIcon(platform::SdlWindowOf(m_hWnd), picture);
        SDL_FreeSurface(picture);
    }
    return TRUE;
}

void CWinApp::SetRegistryKey(const char* company)
{
    const char* name = m_pszAppName != nullptr ? m_pszAppName : "lorvex";
    gProfile = ProfileStore(ProfileStore::DefaultFolder(company != nullptr ? company : "", name));
    gRegistryKeySet = true;
    platform::RestoreStoredFile(gProfile.FilePath());
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    return static_cast<UINT>(gProfile.GetInt(section, entry, defaultValue));
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    if (!gRegistryKeySet || gProfileHeld) return FALSE;
    if (!gProfile.WriteInt(section, entry, value)) return FALSE;
    platform::StoreFile(gProfile.FilePath());
    return TRUE;
}

namespace platform {

void HoldProfile(bool held)
{
    gProfileHeld = held;
}

int StandInSetting(const char* entry, int defaultValue)
{
    return gProfile.GetInt(kStandInSection, entry, defaultValue);
}

void KeepStandInSetting(const char* entry, int value)
{
    if (gProfile.GetInt(kStandInSection, entry, 0) != value) gProfile.WriteInt(kStandInSection, entry, value);
}

}  // namespace platform

void AfxWinInit(const char* executablePath)
{
    platform::PrepareProcess();
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return;
    app->m_hInstance = GetModuleHandleA(nullptr);
    if (app->m_pszAppName == nullptr) {
        // The executable's name without folder and extension.
        gAppName = executablePath != nullptr ? executablePath : "";
        gAppName.erase(0, gAppName.rfind('/') + 1);  // npos + 1: nothing
        const size_t dot = gAppName.rfind('.');
        if (dot != std::string::npos && dot > 0) gAppName.erase(dot);
        if (gAppName.empty()) gAppName = "lorvex";
        app->m_pszAppName = gAppName.c_str();
    }
}

// The window is gone: the display connection closes here, not among the exit handlers.
void AfxWinTerm()
{
    platform::Shutdown();
}
