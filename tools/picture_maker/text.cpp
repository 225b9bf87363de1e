#include "text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include "platform/embedded_file.h"

namespace pm {

TextRenderer::~TextRenderer()
{
    for (auto& f : fonts_) TTF_CloseFont(f.second);
    if (ttfStarted_) TTF_Quit();
}

bool TextRenderer::Init(std::string* error)
{
    if (TTF_Init() != 0) {
        *error = std::string("cannot start the font library: ") + TTF_GetError();
        return false;
    }
    ttfStarted_ = true;
    return true;
}

TTF_Font* TextRenderer::Font(Face face, int points, std::string* error)
{
    auto key = std::make_pair(static_cast<int>(face), points);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    const char* name = face == Face::kSansBold ? "DejaVuSans-Bold" : "DejaVuSerif-Bold";
    const EmbeddedFile* file = FindEmbeddedFile(kFonts, kFontsCount, name);
    if (!file) {
        *error = std::string("font not embedded: ") + name;
        return nullptr;
    }
    SDL_RWops* rw = SDL_RWFromConstMem(file->begin, static_cast<int>(file->size()));
    TTF_Font* font = rw ? TTF_OpenFontRW(rw, 1, points) : nullptr;
    if (!font) {
        *error = std::string("cannot open font ") + name + ": " + TTF_GetError();
        return nullptr;
    }
    TTF_SetFontHinting(font, TTF_HINTING_NORMAL);
    TTF_SetFontKerning(font, 1);
    fonts_[key] = font;
    return font;
}

bool TextRenderer::Render(Face face, int points, const std::string& text, TextMask* out, std::string* error)
{
    *out = TextMask();
    TTF_Font* font = Font(face, points, error);
    if (!font) return false;
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!s) {
        *error = std::string("cannot render text: ") + TTF_GetError();
        return false;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(s);
    if (!argb) {
        *error = std::string("cannot convert text: ") + SDL_GetError();
        return false;
    }
    out->width = argb->w;
    out->height = argb->h;
    out->alpha.resize(size_t(argb->w) * argb->h);
    out->inkLeft = argb->w;
    out->inkTop = argb->h;
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y) {
        const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < argb->w; ++x) {
            uint8_t a = static_cast<uint8_t>(row[x] >> 24);
            out->alpha[size_t(y) * argb->w + x] = a;
            if (a) {
                if (x < out->inkLeft) out->inkLeft = x;
                if (y < out->inkTop) out->inkTop = y;
                if (x + 1 > out->inkRight) out->inkRight = x + 1;
                if (y + 1 > out->inkBottom) out->inkBottom = y + 1;
            }
        }
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    if (out->inkRight == 0) out->inkLeft = out->inkTop = 0;
    return true;
}

void DrawMask(Canvas& canvas, const TextMask& mask, int x0, int y0, const std::function<Colour(int, int)>& colourAt)
{
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            double a = mask.At(x, y);
            if (a > 0.0) canvas.Blend(x0 + x, y0 + y, colourAt(x0 + x, y0 + y), a);
        }
}

void DrawMask(Canvas& canvas, const TextMask& mask, int x, int y, const Colour& colour)
{
    DrawMask(canvas, mask, x, y, [&colour](int, int) { return colour; });
}

}  // namespace pm
