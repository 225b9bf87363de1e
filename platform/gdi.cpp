#include "platform/gdi.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>

#include "platform/bmp_check.h"
#include "platform/debug_output.h"
#include "platform/embedded_file.h"
#include "platform/internal.h"

// ---- objects behind the handles

struct FontFace;

struct GdiObject {
    enum class Kind { Bitmap, Font } kind;
    SDL_Surface* bitmap = nullptr;
    FontFace* font = nullptr;
    int selections = 0;
    bool stock = false;
};

struct DeviceContextObject {
    SDL_Surface* target = nullptr;  // a surface context draws straight into a surface's pixels
    bool memory = false;
    GdiObject* bitmap = nullptr;    // a memory context draws into its selected bitmap
    GdiObject* font = nullptr;
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
};

struct ModuleObject {
    int unused;
};

namespace {

// The largest picture at 32 bits per pixel, with room for any headers before its pixels.
constexpr long kMaxPictureFileBytes = kMaxPicturePixels * 4 + 1024 * 1024;

struct Glyph {
    SDL_Surface* coverage = nullptr;  // 8-bit: palette entry red = coverage 0..255
    int offsetX = 0;
    int advance = 0;
    bool tried = false;
};

}  // namespace

struct FontFace {
    TTF_Font* ttf = nullptr;
    int height = 0;
    Glyph glyphs[256];
};

namespace {

// Registries outlive every static object that may still release into them at exit.
std::vector<GdiObject*>& gObjects = *new std::vector<GdiObject*>;
std::vector<DeviceContextObject*>& gContexts = *new std::vector<DeviceContextObject*>;
std::vector<DeviceContextObject*>& gSpareContexts = *new std::vector<DeviceContextObject*>;
ModuleObject gModule{0};

bool IsLive(const GdiObject* o)
{
    return o != nullptr && std::find(gObjects.begin(), gObjects.end(), o) != gObjects.end();
}

bool IsLive(const DeviceContextObject* dc)
{
    return dc != nullptr && std::find(gContexts.begin(), gContexts.end(), dc) != gContexts.end();
}

GdiObject* NewObject(GdiObject::Kind kind)
{
    auto* o = new GdiObject{kind};
    gObjects.push_back(o);
    return o;
}

// ---- fonts

bool EnsureTtf()
{
    return TTF_WasInit() > 0 || TTF_Init() == 0;
}

void PrepareGlyph(FontFace* face, unsigned char ch)
{
    Glyph& g = face->glyphs[ch];
    if (g.tried) return;
    g.tried = true;
    int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
    if (TTF_GlyphMetrics32(face->ttf, ch, &minx, &maxx, &miny, &maxy, &advance) != 0) return;
    g.advance = advance;
    g.offsetX = std::min(0, minx);
    if (ch == ' ') return;
    g.coverage = TTF_RenderGlyph32_Shaded(face->ttf, ch, SDL_Color{255, 255, 255, 255}, SDL_Color{0, 0, 0, 255});
}

FontFace* OpenFace(const char* fontName, int pointSize, bool italic, bool underline, bool strikeOut)
{
    if (!EnsureTtf()) return nullptr;
    const EmbeddedFile* file = FindEmbeddedFile(kFonts, kFontsCount, fontName);
    if (file == nullptr) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(file->begin, static_cast<int>(file->size()));
    TTF_Font* ttf = TTF_OpenFontRW(rw, 1, std::clamp(pointSize, 1, 400));
    if (ttf == nullptr) return nullptr;
    int style = (italic ? TTF_STYLE_ITALIC : 0) | (underline ? TTF_STYLE_UNDERLINE : 0) |
                (strikeOut ? TTF_STYLE_STRIKETHROUGH : 0);
    TTF_SetFontStyle(ttf, style);
    auto* face = new FontFace;
    face->ttf = ttf;
    face->height = TTF_FontHeight(ttf);
    // Printable ASCII is made up front, so drawing text later allocates nothing.
    for (int ch = 32; ch < 127; ++ch) PrepareGlyph(face, static_cast<unsigned char>(ch));
    return face;
}

void CloseFace(FontFace* face)
{
    if (face == nullptr) return;
    for (Glyph& g : face->glyphs) SDL_FreeSurface(g.coverage);
    TTF_CloseFont(face->ttf);
    delete face;
}

// The context's font when none is selected: a bold sans of about 16 pixels.
GdiObject* DefaultFont()
{
    static GdiObject* stock = nullptr;
    if (stock == nullptr) {
        stock = NewObject(GdiObject::Kind::Font);
        stock->stock = true;
        stock->font = OpenFace("DejaVuSans-Bold", 13, false, false, false);
    }
    return stock;
}

GdiObject* DefaultBitmap()
{
    static GdiObject* stock = nullptr;
    if (stock == nullptr) {
        stock = NewObject(GdiObject::Kind::Bitmap);
        stock->stock = true;
        stock->bitmap = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_RGB888);
    }
    return stock;
}

SDL_Surface* PixelsOf(HDC dc)
{
    if (!IsLive(dc)) return nullptr;
    if (!dc->memory) return dc->target;
    return dc->bitmap != nullptr ? dc->bitmap->bitmap : nullptr;
}

Uint32 ReadPixel(const SDL_Surface* s, int x, int y)
{
    const auto* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1: return *p;
    case 2: { Uint16 v; std::memcpy(&v, p, 2); return v; }
    case 3: return static_cast<Uint32>(p[0]) | (static_cast<Uint32>(p[1]) << 8) | (static_cast<Uint32>(p[2]) << 16);
    default: { Uint32 v; std::memcpy(&v, p, 4); return v; }
    }
}

void WritePixel(SDL_Surface* s, int x, int y, Uint32 value)
{
    auto* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1: *p = static_cast<Uint8>(value); break;
    case 2: { Uint16 v = static_cast<Uint16>(value); std::memcpy(p, &v, 2); break; }
    case 3: p[0] = value & 0xFF; p[1] = (value >> 8) & 0xFF; p[2] = (value >> 16) & 0xFF; break;
    default: std::memcpy(p, &value, 4); break;
    }
}

COLORREF ColorAt(const SDL_Surface* s, int x, int y)
{
    Uint32 raw = ReadPixel(s, x, y);
    if (s->format->palette != nullptr) {
        if (static_cast<int>(raw) >= s->format->palette->ncolors) return RGB(0, 0, 0);
        const SDL_Color& c = s->format->palette->colors[raw];
        return RGB(c.r, c.g, c.b);
    }
    return platform::PixelToColor(s->format, raw);
}

// ---- picture files

// False when there is no such file; a file too large for any picture reads as empty.
bool ReadPictureFile(const char* path, std::vector<unsigned char>* bytes)
{
    struct stat info {};
    if (stat(path, &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || info.st_size > kMaxPictureFileBytes) return true;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return true;
    bytes->resize(static_cast<size_t>(info.st_size));
    size_t got = bytes->empty() ? 0 : std::fread(bytes->data(), 1, bytes->size(), f);
    std::fclose(f);
    bytes->resize(got);
    return true;
}

SDL_Surface* DecodePicture(const char* name, const unsigned char* data, size_t size)
{
    // SDL's loader trusts the header's sizes; only a header the bytes can back reaches it.
    SDL_Surface* picture = nullptr;
    if (BmpHeaderIsSound(data, size)) {
        SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
        if (rw != nullptr) picture = SDL_LoadBMP_RW(rw, 1);
    }
    if (picture == nullptr) {
        char message[160];
        SDL_snprintf(message, sizeof message, "picture \"%.100s\" is not a readable bitmap\n", name);
        OutputDebugStringA(message);
    }
    return picture;
}

SDL_Surface* ScaledCopy(SDL_Surface* picture, int width, int height)
{
    SDL_PixelFormat* format = SDL_AllocFormat(SDL_PIXELFORMAT_RGB888);
    SDL_Surface* full = format != nullptr ? platform::ConvertToFormat(picture, format) : nullptr;
    SDL_Surface* scaled = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
    if (full != nullptr && scaled != nullptr && SDL_BlitScaled(full, nullptr, scaled, nullptr) != 0) {
        SDL_FreeSurface(scaled);
        scaled = nullptr;
    }
    SDL_FreeSurface(full);
    SDL_FreeFormat(format);
    return scaled;
}

// ---- text

void DrawGlyph(SDL_Surface* target, const SDL_Rect& clip, const Glyph& g, int x, int y, COLORREF fg,
               COLORREF bg)
{
    const SDL_Surface* cov = g.coverage;
    const Uint32 fgPixel = platform::ColorToPixel(target->format, fg);
    for (int row = 0; row < cov->h; ++row) {
        int ty = y + row;
        if (ty < clip.y || ty >= clip.y + clip.h) continue;
        const Uint8* src = static_cast<const Uint8*>(cov->pixels) + row * cov->pitch;
        for (int col = 0; col < cov->w; ++col) {
            int tx = x + g.offsetX + col;
            if (tx < clip.x || tx >= clip.x + clip.w) continue;
            int a = cov->format->palette->colors[src[col]].r;
            if (a == 0) continue;  // the box behind the text is already filled
            Uint32 pixel = fgPixel;
            if (a < 255) {
                auto mix = [a](int b, int f) { return (b * (255 - a) + f * a + 127) / 255; };
                pixel = platform::ColorToPixel(target->format,
                                               RGB(mix(GetRValue(bg), GetRValue(fg)), mix(GetGValue(bg), GetGValue(fg)),
                                                   mix(GetBValue(bg), GetBValue(fg))));
            }
            WritePixel(target, tx, ty, pixel);
        }
    }
}

int LineWidth(FontFace* face, const char* text, int length)
{
    int width = 0;
    for (int i = 0; i < length; ++i) {
        PrepareGlyph(face, static_cast<unsigned char>(text[i]));
        width += face->glyphs[static_cast<unsigned char>(text[i])].advance;
    }
    return width;
}

void DrawLine(SDL_Surface* target, const SDL_Rect& clip, FontFace* face, const char* text, int length, int x,
              int y, COLORREF fg, COLORREF bg)
{
    SDL_Rect box{x, y, LineWidth(face, text, length), face->height};
    SDL_Rect filled;
    if (SDL_IntersectRect(&box, &clip, &filled))
        SDL_FillRect(target, &filled, platform::ColorToPixel(target->format, bg));
    for (int i = 0; i < length; ++i) {
        const Glyph& g = face->glyphs[static_cast<unsigned char>(text[i])];
        if (g.coverage != nullptr) DrawGlyph(target, clip, g, x, y, fg, bg);
        x += g.advance;
    }
}

}  // namespace

// ---- the colour conversion shared by everything that writes colours

namespace platform {

Uint32 ColorToPixel(const SDL_PixelFormat* format, COLORREF color)
{
    return SDL_MapRGB(format, static_cast<Uint8>(GetRValue(color)), static_cast<Uint8>(GetGValue(color)),
                      static_cast<Uint8>(GetBValue(color)));
}

COLORREF PixelToColor(const SDL_PixelFormat* format, Uint32 pixel)
{
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(pixel, format, &r, &g, &b);
    return RGB(r, g, b);
}

void CopyConverted(const SDL_Surface* src, SDL_Rect from, SDL_Surface* dst, int x, int y)
{
    if (x < 0) {
        from.x -= x;
        from.w += x;
        x = 0;
    }
    if (y < 0) {
        from.y -= y;
        from.h += y;
        y = 0;
    }
    from.w = std::min(from.w, dst->w - x);
    from.h = std::min(from.h, dst->h - y);
    if (from.w <= 0 || from.h <= 0) return;
    Uint32 lut[256];
    const SDL_Palette* palette = src->format->palette;
    if (palette != nullptr) {
        for (int i = 0; i < 256; ++i) {
            const SDL_Color c = i < palette->ncolors ? palette->colors[i] : SDL_Color{0, 0, 0, 255};
            lut[i] = ColorToPixel(dst->format, RGB(c.r, c.g, c.b));
        }
    }
    for (int row = 0; row < from.h; ++row) {
        for (int col = 0; col < from.w; ++col) {
            const Uint32 raw = ReadPixel(src, from.x + col, from.y + row);
            WritePixel(dst, x + col, y + row,
                       palette != nullptr ? lut[raw & 0xFF] : ColorToPixel(dst->format, PixelToColor(src->format, raw)));
        }
    }
}

SDL_Surface* ConvertToFormat(SDL_Surface* src, const SDL_PixelFormat* format)
{
    if (src == nullptr || format == nullptr) return nullptr;
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, src->w, src->h, format->BitsPerPixel, format->format);
    if (dst == nullptr) return nullptr;
    SDL_SetSurfaceBlendMode(dst, SDL_BLENDMODE_NONE);
    CopyConverted(src, SDL_Rect{0, 0, src->w, src->h}, dst, 0, 0);
    return dst;
}

// Text is drawn through a surface context every frame: released contexts are kept for
// the next one, so a frame allocates nothing.
HDC CreateSurfaceDC(SDL_Surface* pixels)
{
    DeviceContextObject* dc = nullptr;
    if (!gSpareContexts.empty()) {
        dc = gSpareContexts.back();
        gSpareContexts.pop_back();
        *dc = DeviceContextObject{};
    } else {
        dc = new DeviceContextObject;
    }
    dc->target = pixels;
    gContexts.push_back(dc);
    return dc;
}

void DestroySurfaceDC(HDC dc)
{
    if (!IsLive(dc)) return;
    if (dc->font != nullptr) --dc->font->selections;
    gContexts.erase(std::remove(gContexts.begin(), gContexts.end(), dc), gContexts.end());
    gSpareContexts.push_back(dc);
}

}  // namespace platform

// ---- the calls

HINSTANCE GetModuleHandleA(const char* moduleName)
{
    return moduleName == nullptr ? &gModule : nullptr;
}

HANDLE LoadImageA(HINSTANCE module, const char* name, UINT type, int cx, int cy, UINT flags)
{
    if (name == nullptr || type != IMAGE_BITMAP || cx < 0 || cy < 0 || cx > kMaxPictureSide || cy > kMaxPictureSide ||
        static_cast<long>(cx) * cy > kMaxPicturePixels)
        return nullptr;
    SDL_Surface* picture = nullptr;
    if ((flags & LR_LOADFROMFILE) != 0) {
        if (module != nullptr) return nullptr;
        std::vector<unsigned char> bytes;
        if (!ReadPictureFile(name, &bytes)) return nullptr;
        picture = DecodePicture(name, bytes.data(), bytes.size());
    } else {
        if (module != &gModule) return nullptr;
        const EmbeddedFile* file = FindEmbeddedFile(kResources, kResourcesCount, name);
        if (file != nullptr) picture = DecodePicture(name, file->begin, file->size());
    }
    if (picture == nullptr) return nullptr;
    if ((cx != 0 && cx != picture->w) || (cy != 0 && cy != picture->h)) {
        SDL_Surface* scaled = ScaledCopy(picture, cx != 0 ? cx : picture->w, cy != 0 ? cy : picture->h);
        SDL_FreeSurface(picture);
        if (scaled == nullptr) return nullptr;
        picture = scaled;
    }
    GdiObject* object = NewObject(GdiObject::Kind::Bitmap);
    object->bitmap = picture;
    return object;
}

HDC CreateCompatibleDC(HDC /*reference*/)
{
    if (platform::ShouldFail(platform_test::Fault::CreateCompatibleDC)) return nullptr;
    auto* dc = new DeviceContextObject;
    dc->memory = true;
    dc->bitmap = DefaultBitmap();
    ++dc->bitmap->selections;
    gContexts.push_back(dc);
    return dc;
}

BOOL DeleteDC(HDC dc)
{
    if (!IsLive(dc) || !dc->memory) return FALSE;
    if (dc->bitmap != nullptr) --dc->bitmap->selections;
    if (dc->font != nullptr) --dc->font->selections;
    gContexts.erase(std::remove(gContexts.begin(), gContexts.end(), dc), gContexts.end());
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!IsLive(dc) || !IsLive(object)) return nullptr;
    GdiObject*& slot = object->kind == GdiObject::Kind::Bitmap ? dc->bitmap : dc->font;
    if (object->kind == GdiObject::Kind::Bitmap) {
        // Only memory contexts take bitmaps, and a bitmap sits in one context at a time.
        if (!dc->memory || (object->selections > 0 && !object->stock && slot != object)) return nullptr;
    }
    GdiObject* previous = slot != nullptr ? slot : DefaultFont();
    if (slot != nullptr) --slot->selections;
    slot = object;
    ++object->selections;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (!IsLive(object)) return FALSE;
    if (object->stock) return TRUE;
    if (object->selections > 0) return FALSE;
    SDL_FreeSurface(object->bitmap);
    CloseFace(object->font);
    gObjects.erase(std::remove(gObjects.begin(), gObjects.end(), object), gObjects.end());
    delete object;
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, void* out)
{
    if (!IsLive(object) || object->kind != GdiObject::Kind::Bitmap || object->bitmap == nullptr) return 0;
    if (out == nullptr) return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    const SDL_Surface* s = object->bitmap;
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = s->w;
    bm.bmHeight = s->h;
    bm.bmWidthBytes = s->pitch;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = s->format->BitsPerPixel;
    bm.bmBits = s->pixels;
    std::memcpy(out, &bm, sizeof(bm));
    return static_cast<int>(sizeof(BITMAP));
}

BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop)
{
    SDL_Surface* to = PixelsOf(target);
    SDL_Surface* from = PixelsOf(source);
    if (to == nullptr || from == nullptr || rop != SRCCOPY) return FALSE;
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return FALSE;
    if (sourceX < 0 || sourceY < 0 || sourceX > from->w - sourceWidth || sourceY > from->h - sourceHeight)
        return FALSE;
    // Colours become target pixels through the one conversion: straight into the target when
    // the size stays, else into a copy of just the source region, which SDL then stretches.
    // No copy of the whole picture is made, which would double the memory a large one takes.
    const SDL_Rect src{sourceX, sourceY, sourceWidth, sourceHeight};
    if (width == sourceWidth && height == sourceHeight) {
        platform::CopyConverted(from, src, to, x, y);
        return TRUE;
    }
    SDL_Surface* region = SDL_CreateRGBSurfaceWithFormat(0, sourceWidth, sourceHeight, to->format->BitsPerPixel,
                                                         to->format->format);
    if (region == nullptr) return FALSE;
    SDL_SetSurfaceBlendMode(region, SDL_BLENDMODE_NONE);
    platform::CopyConverted(from, src, region, 0, 0);
    SDL_Rect dst{x, y, width, height};
    const int rc = SDL_BlitScaled(region, nullptr, to, &dst);
    SDL_FreeSurface(region);
    return rc == 0 ? TRUE : FALSE;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    SDL_Surface* s = PixelsOf(dc);
    if (s == nullptr || x < 0 || y < 0 || x >= s->w || y >= s->h) return CLR_INVALID;
    return ColorAt(s, x, y);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    SDL_Surface* s = PixelsOf(dc);
    if (s == nullptr || x < 0 || y < 0 || x >= s->w || y >= s->h || color == CLR_INVALID) return CLR_INVALID;
    WritePixel(s, x, y, platform::ColorToPixel(s->format, color));
    return ColorAt(s, x, y);
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    if (!IsLive(dc)) return CLR_INVALID;
    COLORREF old = dc->background;
    dc->background = color;
    return old;
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    if (!IsLive(dc)) return CLR_INVALID;
    COLORREF old = dc->text;
    dc->text = color;
    return old;
}

int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format)
{
    SDL_Surface* target = PixelsOf(dc);
    if (target == nullptr || text == nullptr || rect == nullptr) return 0;
    GdiObject* fontObject = dc->font != nullptr ? dc->font : DefaultFont();
    FontFace* face = fontObject->font;
    if (face == nullptr) return 0;
    if (length < 0) length = static_cast<int>(std::strlen(text));

    SDL_Rect whole{0, 0, target->w, target->h};
    SDL_Rect box{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    SDL_Rect clip = whole;
    if ((format & DT_NOCLIP) == 0 && !SDL_IntersectRect(&box, &whole, &clip)) return 0;

    int lines = 1;
    if ((format & DT_SINGLELINE) == 0)
        for (int i = 0; i < length; ++i) lines += text[i] == '\n';
    const int textHeight = lines * face->height;
    int y = rect->top;
    // Vertical placement applies to single lines only, as it always has.
    if ((format & DT_SINGLELINE) != 0 && (format & DT_VCENTER) != 0) y = rect->top + (box.h - textHeight) / 2;
    else if ((format & DT_SINGLELINE) != 0 && (format & DT_BOTTOM) != 0) y = rect->bottom - textHeight;

    int start = 0;
    while (start <= length) {
        int end = start;
        while (end < length && ((format & DT_SINGLELINE) != 0 || text[end] != '\n')) ++end;
        int lineLength = end - start;
        if (lineLength > 0 && text[end - 1] == '\r') --lineLength;
        int width = LineWidth(face, text + start, lineLength);
        int x = rect->left;
        if ((format & DT_CENTER) != 0) x = rect->left + (box.w - width) / 2;
        else if ((format & DT_RIGHT) != 0) x = rect->right - width;
        DrawLine(target, clip, face, text + start, lineLength, x, y, dc->text, dc->background);
        y += face->height;
        start = end + 1;
    }
    return textHeight;
}

HFONT CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD /*charSet*/, DWORD /*outputPrecision*/,
                  DWORD /*clipPrecision*/, DWORD /*quality*/, DWORD /*pitchAndFamily*/, const char* faceName)
{
    (void)weight;  // only bold faces are carried; every face the game asks for is bold
    bool serif = false;
    if (faceName != nullptr) {
        static const char* const kSerifFaces[] = {"Times", "Serif", "Georgia", "Garamond", "Book", "Roman"};
        for (const char* s : kSerifFaces) serif = serif || std::strstr(faceName, s) != nullptr;
    }
    // A positive height is the cell (ascent plus descent), a negative one the character height.
    int points = height < 0 ? -height : (height == 0 ? 13 : (height * 86 + 50) / 100);
    FontFace* face = OpenFace(serif ? "DejaVuSerif-Bold" : "DejaVuSans-Bold", points, italic != 0, underline != 0,
                              strikeOut != 0);
    if (face == nullptr) return nullptr;
    GdiObject* object = NewObject(GdiObject::Kind::Font);
    object->font = face;
    return object;
}
