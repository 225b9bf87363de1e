#pragma once

#ifdef _WIN32
#include "platform/windows.h"
#else

// The graphics device interface calls the game makes: bitmaps loaded by name, memory and
// surface device contexts, stretching, pixels, fonts and text.

#include "platform/windows.h"

struct BITMAP {
    LONG bmWidth;
    LONG bmHeight;
};

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

constexpr DWORD SRCCOPY = 0x00CC0020u;

// Without DT_SINGLELINE, DT_VCENTER leaves the text at the rectangle's top.
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_VCENTER = 0x0004;

constexpr int FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD PROOF_QUALITY = 2;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

// The program itself: its resources are the pictures built into it.
HINSTANCE GetModuleHandleA(const char* moduleName);

// A bitmap by name from the module's resources, or with LR_LOADFROMFILE and no module from a
// file, at the picture's own size: the game asks for no other (cx and cy 0).
HANDLE LoadImageA(HINSTANCE module, const char* name, UINT type, int cx, int cy, UINT flags);

extern "C" HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int GetObjectA(HANDLE object, int size, void* out);

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
// One line in the selected font, opaque on the background colour; returns its height.
int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format);

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, const char* faceName);
#endif  // _WIN32
