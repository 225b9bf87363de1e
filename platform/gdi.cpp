#include "platform/gdi.h"

#include <SDL_ttf.h>

#include <cstring>
#include <utility>

#include <sys/stat.h>

#include "platform/bmp_check.h"
#include "platform/embedded_file.h"
#include "platform/internal.h"

namespace {

// The largest picture at 32 bits per pixel, with room for any headers before its pixels.
constexpr long kMaxPictureFileBytes = kMaxPicturePixels * 4 + 1024 * 1024;

// A line of text as last drawn: the score and the level change seldom, so a frame draws
// them from here and renders nothing.
struct RenderedLine {
    char text[32] = {};
    COLORREF color = 0;
    COLORREF background = 0;
    SDL_Surface* surface = nullptr;
};

}  // namespace

// A bitmap, or a font with the lines it drew last.
struct GdiObject {
    explicit GdiObject(SDL_Surface* picture) : bitmap(picture) {}
    explicit GdiObject(TTF_Font* ttf) : font(ttf) {}
    SDL_Surface* bitmap = nullptr;
    TTF_Font* font = nullptr;
    RenderedLine recent[4];
    int next = 0;
};

struct ModuleObject {
    int unused;
};

namespace {

ModuleObject gModule{0};

// ---- picture files

SDL_Surface* DecodePicture(const char* name, const unsigned char* data, size_t size)
{
    // SDL's loader trusts the header's sizes; only a header the bytes can back reaches it.
    SDL_Surface* picture = nullptr;
    if (BmpHeaderIsSound(data, size)) picture = SDL_LoadBMP_RW(SDL_RWFromConstMem(data, static_cast<int>(size)), 1);
    if (picture == nullptr) {
        char message[160];
        SDL_snprintf(message, sizeof message, "picture \"%.100s\" is not a readable bitmap\n", name);
        OutputDebugStringA(message);
        return nullptr;
    }
    // A copy, whatever alpha a 32-bit file carries.
    SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
    return picture;
}

// What is no regular file, or too large for any picture, reads as no bytes: a device or a huge
// file was read whole.
bool IsPictureSized(const struct stat& info)
{
    return S_ISREG(info.st_mode) && info.st_size <= kMaxPictureFileBytes;
}

// ---- text

SDL_Color ToSdl(COLORREF c)
{
    return SDL_Color{static_cast<Uint8>(GetRValue(c)), static_cast<Uint8>(GetGValue(c)),
                     static_cast<Uint8>(GetBValue(c)), 255};
}

SDL_Surface* Rendered(GdiObject* font, const char* text, int length, COLORREF color, COLORREF background,
                      const SDL_PixelFormat* format)
{
    for (RenderedLine& line : font->recent)
        if (line.surface != nullptr && line.color == color && line.background == background &&
            std::strncmp(line.text, text, length) == 0 && line.text[length] == '\0')
            return line.surface;
    RenderedLine& line = font->recent[font->next];
    font->next = (font->next + 1) % static_cast<int>(sizeof font->recent / sizeof font->recent[0]);
    SDL_FreeSurface(line.surface);
    std::memcpy(line.text, text, static_cast<size_t>(length));
    line.text[length] = '\0';
    line.color = color;
    line.background = background;
    // Kept in the target's format, so drawing it is a plain copy.
    SDL_Surface* shaded = TTF_RenderText_Shaded(font->font, line.text, ToSdl(color), ToSdl(background));
    line.surface = shaded != nullptr ? SDL_ConvertSurface(shaded, format, 0) : nullptr;
    SDL_FreeSurface(shaded);
    return line.surface;
}

}  // namespace

HINSTANCE GetModuleHandleA(const char* moduleName)
{
    return moduleName == nullptr ? &gModule : nullptr;
}

HANDLE LoadImageA(HINSTANCE module, const char* name, UINT type, int /*cx*/, int /*cy*/, UINT flags)
{
    if (name == nullptr || type != IMAGE_BITMAP) return nullptr;
    SDL_Surface* picture = nullptr;
    if ((flags & LR_LOADFROMFILE) != 0 && module == nullptr) {
        struct stat info {};
        if (stat(name, &info) != 0) return nullptr;
        size_t size = 0;
        void* bytes = IsPictureSized(info) ? SDL_LoadFile(name, &size) : nullptr;
        picture = DecodePicture(name, static_cast<const unsigned char*>(bytes), size);
        SDL_free(bytes);
    } else if ((flags & LR_LOADFROMFILE) == 0 && module == &gModule) {
        const EmbeddedFile* file = FindEmbeddedFile(kResources, kResourcesCount, name);
        if (file != nullptr) picture = DecodePicture(name, file->begin, file->size());
    }
    return picture != nullptr ? new GdiObject(picture) : nullptr;
}

HDC CreateCompatibleDC(HDC /*reference*/)
{
    return new DeviceContextObject;
}

BOOL DeleteDC(HDC dc)
{
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (dc == nullptr || object == nullptr) return nullptr;
    GdiObject*& slot = object->font != nullptr ? dc->font : dc->bitmap;
    GdiObject* previous = slot;
    slot = object;
    if (object->bitmap != nullptr) dc->pixels = object->bitmap;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (object == nullptr) return FALSE;
    SDL_FreeSurface(object->bitmap);
    for (RenderedLine& line : object->recent) SDL_FreeSurface(line.surface);
    if (object->font != nullptr) TTF_CloseFont(object->font);
    delete object;
    return TRUE;
}

int GetObjectA(HANDLE handle, int size, void* out)
{
    const auto* object = static_cast<const GdiObject*>(handle);
    if (object == nullptr || object->bitmap == nullptr || size < static_cast<int>(sizeof(BITMAP))) return 0;
    *static_cast<BITMAP*>(out) = BITMAP{object->bitmap->w, object->bitmap->h};
    return static_cast<int>(sizeof(BITMAP));
}

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop)
{
    if (target == nullptr || source == nullptr || target->pixels == nullptr || source->pixels == nullptr ||
        rop != SRCCOPY)
        return FALSE;
    SDL_Surface* to = target->pixels;
    SDL_Rect from{sourceX, sourceY, sourceWidth, sourceHeight};
    SDL_Rect place{x, y, width, height};
    if (width == sourceWidth && height == sourceHeight)
        return SDL_BlitSurface(source->pixels, &from, to, &place) == 0 ? TRUE : FALSE;
    // SDL stretches only within one pixel format: the region is converted by the same blit first.
    SDL_Surface* region =
        SDL_CreateRGBSurfaceWithFormat(0, sourceWidth, sourceHeight, to->format->BitsPerPixel, to->format->format);
    const bool ok = region != nullptr && SDL_BlitSurface(source->pixels, &from, region, nullptr) == 0 &&
                    SDL_BlitScaled(region, nullptr, to, &place) == 0;
    SDL_FreeSurface(region);
    return ok ? TRUE : FALSE;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    const SDL_Surface* s = dc != nullptr ? dc->pixels : nullptr;
    if (s == nullptr || x < 0 || y < 0 || x >= s->w || y >= s->h) return CLR_INVALID;
    const auto* at = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 color = 0;  // a 0x00BBGGRR pixel is a colour value as it stands
    if (SDL_ConvertPixels(1, 1, s->format->format, at, s->pitch, SDL_PIXELFORMAT_XBGR8888, &color, 4) != 0)
        return CLR_INVALID;
    return color & 0xFFFFFFu;
}

// The colour goes in as one pixel of an 8-bit picture through the blit that copies the
// pictures, so it becomes exactly the value that colour in a picture became.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    if (dc == nullptr || dc->pixels == nullptr || color == CLR_INVALID) return CLR_INVALID;
    SDL_Surface* dot = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 8, SDL_PIXELFORMAT_INDEX8);
    if (dot == nullptr) return CLR_INVALID;
    const SDL_Color entry = ToSdl(color);
    SDL_SetPaletteColors(dot->format->palette, &entry, 0, 1);
    SDL_Rect at{x, y, 1, 1};
    const int rc = SDL_BlitSurface(dot, nullptr, dc->pixels, &at);
    SDL_FreeSurface(dot);
    return rc == 0 ? GetPixel(dc, x, y) : CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    return std::exchange(dc->background, color);
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    return std::exchange(dc->text, color);
}

int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format)
{
    if (dc->pixels == nullptr || dc->font == nullptr || length <= 0 ||
        length >= static_cast<int>(sizeof RenderedLine::text))
        return 0;
    SDL_Surface* line = Rendered(dc->font, text, length, dc->text, dc->background, dc->pixels->format);
    if (line == nullptr) return 0;
    SDL_Rect box{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    SDL_Rect place{box.x, box.y, line->w, line->h};
    if ((format & DT_CENTER) != 0) place.x += (box.w - line->w) / 2;
    SDL_SetClipRect(dc->pixels, &box);
    SDL_BlitSurface(line, nullptr, dc->pixels, &place);
    SDL_SetClipRect(dc->pixels, nullptr);
    return line->h;
}

HFONT CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int /*weight*/, DWORD /*italic*/,
                  DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/, DWORD /*outputPrecision*/,
                  DWORD /*clipPrecision*/, DWORD /*quality*/, DWORD /*pitchAndFamily*/, const char* faceName)
{
    // Every face the game asks for is bold; Times stands for the serif one.
    const bool serif = faceName != nullptr && std::strstr(faceName, "Times") != nullptr;
    const EmbeddedFile* file = FindEmbeddedFile(kFonts, kFontsCount, serif ? "DejaVuSerif-Bold" : "DejaVuSans-Bold");
    if (file == nullptr || (TTF_WasInit() == 0 && TTF_Init() != 0)) return nullptr;
    // A positive height is the cell (ascent plus descent), a negative one the character height.
    const int points = height < 0 ? -height : (height == 0 ? 13 : (height * 86 + 50) / 100);
    TTF_Font* ttf =
        TTF_OpenFontRW(SDL_RWFromConstMem(file->begin, static_cast<int>(file->size())), 1, SDL_clamp(points, 1, 400));
    if (ttf == nullptr) return nullptr;
    // The glyphs of every printable character are made now: drawing later keeps no more memory.
    char printable[96] = {};
    for (int c = ' '; c < 127; ++c) printable[c - ' '] = static_cast<char>(c);
    SDL_FreeSurface(TTF_RenderText_Shaded(ttf, printable, SDL_Color{255, 255, 255, 255}, SDL_Color{0, 0, 0, 255}));
    return new GdiObject(ttf);
}
