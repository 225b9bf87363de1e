#include "app/worm_app.h"

#include <ctime>

#include "app/main_frame.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"
#include "platform/crt.h"

int gLevel = 0;

CWormApp::CWormApp() : CWinApp(nullptr)
{
    crt::srand(static_cast<unsigned>(std::time(nullptr)));
}

CWormApp::~CWormApp()
{
    WriteProfileInt("Nastaveni", "level", gLevel);
    if (gPrimarySurface != nullptr) {
        gPrimarySurface->Release();
        gPrimarySurface = nullptr;
        gBackSurface = nullptr;  // it went with the primary
    }
    if (gDirectDraw != nullptr) {
        gDirectDraw->Release();
        gDirectDraw = nullptr;
    }
}

BOOL CWormApp::InitInstance()
{
    Enable3dControlsStatic();
    SetRegistryKey("Tamberlo");
    gLevel = static_cast<int>(GetProfileInt("Nastaveni", "level", 1));
    if (gLevel < kMinLevel) gLevel = kMinLevel;
    if (gLevel > kMaxLevel) gLevel = kMaxLevel;

    m_pMainWnd = new CMainFrame();
    m_pMainWnd->ShowWindow(SW_SHOW);
    if (!InitDirectDraw()) return FALSE;
    if (DirectInputCreateA(m_hInstance, 0x0500, &gDirectInput.directInput, nullptr) != 0) return FALSE;
    m_pMainWnd->UpdateWindow();
    // Synchronous: the screens exist and the menu's first frame is shown before the loop runs.
    m_pMainWnd->SendMessage(UM_CREATE_SCREENS, 0, 0);
    return TRUE;
}

BOOL CWormApp::InitDirectDraw()
{
    if (DirectDrawCreate(nullptr, &gDirectDraw, nullptr) != DD_OK) return FALSE;
    if (gDirectDraw->SetCooperativeLevel(m_pMainWnd->m_hWnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT) !=
        DD_OK)
        return FALSE;
    if (gDirectDraw->SetDisplayMode(kScreenWidth, kScreenHeight, 16) != DD_OK) return FALSE;

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    if (gDirectDraw->CreateSurface(&desc, &gPrimarySurface, nullptr) != DD_OK) return FALSE;

    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    if (gPrimarySurface->GetAttachedSurface(&caps, &gBackSurface) != DD_OK) return FALSE;

    SetSurfaceColorKey(gPrimarySurface, kTransparentColor);
    SetSurfaceColorKey(gBackSurface, kTransparentColor);

    RECT rect{0, GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    AdjustWindowRectEx(&rect, WS_POPUP | WS_CAPTION, FALSE, 0);
    m_pMainWnd->SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}
