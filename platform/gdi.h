#pragma once

#ifdef _WIN32
#include "platform/windows.h"
#else

// The graphics device interface calls the game makes: bitmaps loaded by name,
// memory and surface device contexts, stretching, pixels, fonts and text.

#include "platform/windows.h"

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// LoadImageA
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

// Raster operation of StretchBlt.
constexpr DWORD SRCCOPY = 0x00CC0020u;

// DrawTextA formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;

// CreateFontA
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD PROOF_QUALITY = 2;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

// Module handle of the program itself: its resources are the pictures built into it.
HINSTANCE GetModuleHandleA(const char* moduleName);

// Loads a bitmap by name from the module's resources (module given) or from a file
// (no module, LR_LOADFROMFILE). cx, cy: the size wanted, 0 for the picture's own.
HANDLE LoadImageA(HINSTANCE module, const char* name, UINT type, int cx, int cy, UINT flags);

HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int GetObjectA(HGDIOBJ object, int size, void* out);

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
// Draws text in the context's font, opaque on the background colour; returns its height.
int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format);

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* faceName);
#endif  // _WIN32
