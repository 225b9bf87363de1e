#pragma once

#ifdef _WIN32
// On Windows the system's own types, messages and key codes; windowsx.h has GET_X_LPARAM.
#include <windows.h>
#include <windowsx.h>
#else

// The Windows types, values and result codes the game uses, for the stand-ins in platform/.

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using HRESULT = std::int32_t;
using COLORREF = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using HANDLE = void*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};

// Opaque handles: each points at an object that lives inside the platform layer.
struct WindowObject;
struct DeviceContextObject;
struct GdiObject;
struct ModuleObject;
using HWND = WindowObject*;
using HDC = DeviceContextObject*;
using HGDIOBJ = GdiObject*;
using HBITMAP = GdiObject*;
using HFONT = GdiObject*;
using HINSTANCE = ModuleObject*;

// Result codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// Colours: 0x00BBGGRR.
constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// Window messages.
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;

// The client point of a mouse message: x in the low word of lParam, y in the high word.
constexpr int GET_X_LPARAM(LPARAM lp)
{
    return static_cast<short>(lp & 0xFFFF);
}
constexpr int GET_Y_LPARAM(LPARAM lp)
{
    return static_cast<short>((lp >> 16) & 0xFFFF);
}

// Window styles, ShowWindow, SetWindowPos, GetSystemMetrics.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr int SW_SHOW = 5;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CYCAPTION = 4;

// Text for a developer watching the program, never shown to the player.
extern "C" void OutputDebugStringA(const char* text);
#endif  // _WIN32
