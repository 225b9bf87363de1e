#pragma once

// The frames shown on the screen: the display device's picture scaled to fill the window.

#include <SDL.h>

#include <memory>

namespace platform {

// Row y of a surface's pixels.
const char* RowOf(const SDL_Surface* s, int y);
// Whether two frames differ in the rows from top to bottom: a round, where little moves,
// scales and uploads only the rows that do.
bool RowsDiffer(const SDL_Surface* a, const SDL_Surface* b, int top, int bottom);
// The largest rectangle of the picture's shape that fits in w x h, centred.
SDL_Rect FitPicture(int w, int h, int pictureWidth, int pictureHeight);
// Pixels of the format, blitted without blending; null when there is no room.
SDL_Surface* NewPixels(int width, int height, Uint32 format = SDL_PIXELFORMAT_RGB565);

// Owns an SDL object and ends it with SDL's own function for it.
template <typename T, void (*End)(T*)>
struct Ender {
    void operator()(T* object) const { End(object); }
};
using Pixels = std::unique_ptr<SDL_Surface, Ender<SDL_Surface, SDL_FreeSurface>>;

// The frames shown on the screen, scaled to fill it. The picture is drawn from 32-bit pixels:
// at its own size for a whole multiple of it, enlarged with nearest-neighbour; any other size
// is scaled here, enlarged by the next whole factor with nearest-neighbour and reduced with
// linear filtering, so every picture pixel keeps the same size and sharp edges give or take
// one screen pixel. A run of `period_` picture rows becomes place rows that read no row
// outside it (each lies between two rows of its own run), so only the runs that changed are
// scaled again, each exactly as in the whole picture.
class Screen {
public:
    bool Open(SDL_Window* window, int width, int height);
    void DropTexture() { texture_.reset(); }
    void DropRenderer()
    {
        texture_.reset();
        renderer_.reset();
    }
    // Shows the picture over `before`, the frame on the screen (null when unknown).
    void Present(SDL_Surface* picture, const SDL_Surface* before);
    // Makes the pixels for a place of w x h.
    bool Fit(int w, int h);
    // Scales the runs that differ from `before` (all without it) and uploads them to the texture,
    // if one is given; returns the rows of `scaled` from the first to the last that changed.
    SDL_Rect Update(SDL_Surface* picture, const SDL_Surface* before, SDL_Texture* texture = nullptr);

    int width = 0;
    int height = 0;
    bool shown = false;             // the frame last presented is on the screen
    SDL_Surface* scaled = nullptr;  // the pixels drawn

private:
    std::unique_ptr<SDL_Renderer, Ender<SDL_Renderer, SDL_DestroyRenderer>> renderer_;
    std::unique_ptr<SDL_Texture, Ender<SDL_Texture, SDL_DestroyTexture>> texture_;  // the scaled pixels
    SDL_Rect place_{};  // where the frame on the screen was drawn
    Pixels converted_;  // the picture in 32 bits
    Pixels enlarged_;   // one run of it enlarged
    Pixels reduced_;    // the place's pixels
    int period_ = 0;
    bool screenless_ = false;  // the dummy video driver, which shows nothing (offscreen draws)
};

}  // namespace platform
