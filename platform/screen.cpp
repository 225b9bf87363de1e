#include "platform/screen.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace platform {

const char* RowOf(const SDL_Surface* s, int y)
{
    return static_cast<const char*>(s->pixels) + y * s->pitch;
}

bool RowsDiffer(const SDL_Surface* a, const SDL_Surface* b, int top, int bottom)
{
    for (int y = top; y < bottom; ++y)
        if (std::memcmp(RowOf(a, y), RowOf(b, y), static_cast<size_t>(a->w) * 2) != 0) return true;
    return false;
}

SDL_Rect FitPicture(int w, int h, int pictureWidth, int pictureHeight)
{
    SDL_Rect place{0, 0, w, h};
    if (static_cast<long long>(w) * pictureHeight > static_cast<long long>(h) * pictureWidth)
        place.w = (h * pictureWidth + pictureHeight / 2) / pictureHeight;
    else place.h = (w * pictureHeight + pictureWidth / 2) / pictureWidth;
    place.x = (w - place.w) / 2;
    place.y = (h - place.h) / 2;
    return place;
}

SDL_Surface* NewPixels(int width, int height, Uint32 format)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, SDL_BITSPERPIXEL(format), format);
    if (s != nullptr) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

bool Screen::Open(SDL_Window* window, int w, int h)
{
    if (renderer_ == nullptr)
        renderer_.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (renderer_ == nullptr) renderer_.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
    // Short of memory the start failed here without a word.
    if (renderer_ == nullptr)
        std::fprintf(stderr, "%s: nothing can draw in the window: %s\n", program_invocation_short_name, SDL_GetError());
    if (renderer_ == nullptr) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    screenless_ = driver != nullptr && std::strcmp(driver, "dummy") == 0;
    width = w;
    height = h;
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
    SDL_RenderPresent(renderer_.get());
    return true;
}

// The texture holds the frame shown before and takes only the rows that differ from it.
void Screen::Present(SDL_Surface* picture, const SDL_Surface* before)
{
    if (!shown) before = nullptr;
    shown = true;
    if (screenless_ || renderer_ == nullptr) return;
    SDL_Rect place{};
    SDL_GetRendererOutputSize(renderer_.get(), &place.w, &place.h);
    place = FitPicture(place.w, place.h, width, height);
    if (place.w != place_.w || place.h != place_.h) DropTexture();
    place_ = place;
    // A new texture takes the whole picture; short of memory, nothing new is shown until one is made.
    if (texture_ == nullptr) {
        if (!Fit(place.w, place.h)) return;
        // The window's own format, copied as it is or enlarged by a whole factor.
        texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                         scaled->w, scaled->h));
        if (texture_ == nullptr) return;
        SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
        before = nullptr;
    }
    Update(picture, before, texture_.get());
    SDL_RenderClear(renderer_.get());
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, &place);
    SDL_RenderPresent(renderer_.get());
}

bool Screen::Fit(int w, int h)
{
    const int factor = (w + width - 1) / width;
    const bool whole = w == factor * width;
    period_ = height / std::gcd(height, h);
    converted_.reset(NewPixels(width, height, SDL_PIXELFORMAT_RGB888));
    enlarged_.reset(whole ? nullptr : NewPixels(factor * width, factor * period_, SDL_PIXELFORMAT_RGB888));
    reduced_.reset(whole ? nullptr : NewPixels(w, h, SDL_PIXELFORMAT_RGB888));
    scaled = whole ? converted_.get() : reduced_.get();
    return scaled != nullptr && converted_ != nullptr && (whole || enlarged_ != nullptr);
}

SDL_Rect Screen::Update(SDL_Surface* picture, const SDL_Surface* before, SDL_Texture* texture)
{
    SDL_Rect all{0, scaled->h, scaled->w, 0};
    SDL_Rect stretch = all;  // the changed rows next to each other, not yet uploaded
    const auto upload = [&] {
        if (texture != nullptr && stretch.h > 0)
            SDL_UpdateTexture(texture, &stretch, RowOf(scaled, stretch.y), scaled->pitch);
        stretch.h = 0;
    };
    for (int top = 0; top < height; top += period_) {
        if (before != nullptr && !RowsDiffer(picture, before, top, top + period_)) {
            upload();
            continue;
        }
        SDL_Rect run{0, top, width, period_};
        SDL_Rect to = run;
        SDL_BlitSurface(picture, &run, converted_.get(), &to);
        if (scaled != converted_.get()) {
            SDL_SoftStretch(converted_.get(), &run, enlarged_.get(), nullptr);
            to = SDL_Rect{0, top * scaled->h / height, scaled->w, period_ * scaled->h / height};
            SDL_SoftStretchLinear(enlarged_.get(), nullptr, scaled, &to);
        }
        if (stretch.h == 0) stretch.y = to.y;
        stretch.h = to.y + to.h - stretch.y;
        all.y = std::min(all.y, to.y);
        all.h = to.y + to.h - all.y;
    }
    upload();
    return all;
}

}  // namespace platform
