/* The floor for presenting frames: a bare SDL2 program that shows one 640 x 480 RGB565
 * frame in a full-screen desktop window every 40 ms, and does nothing else: the picture
 * fills the largest 4:3 rectangle of the screen, scaled by the renderer with linear
 * filtering, as a game that fills any monitor must. Whatever a game spends above this, on
 * the same X server and renderer, is its own. FLOOR_INTEGER=1 keeps it to a whole factor
 * with nearest-neighbour scaling instead (a smaller picture on most screens).
 *
 *   cc -O2 tools/present_floor.c -o present_floor $(pkg-config --cflags --libs sdl2)
 *   ./present_floor SECONDS          (prints the CPU seconds it used)
 *
 * tools/cpu_footprint.sh compiles and runs it beside the game.
 */
#include <SDL.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    int seconds = argc > 1 ? atoi(argv[1]) : 10;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) { fprintf(stderr, "%s\n", SDL_GetError()); return 1; }
    const int integer = getenv("FLOOR_INTEGER") != NULL;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, integer ? "nearest" : "linear");
    SDL_Window* w = SDL_CreateWindow("floor", 0, 0, 640, 480, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC) : NULL;
    if (r == NULL && w != NULL) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
    if (r == NULL) { fprintf(stderr, "%s\n", SDL_GetError()); return 1; }
    SDL_RenderSetLogicalSize(r, 640, 480);
    SDL_RenderSetIntegerScale(r, integer ? SDL_TRUE : SDL_FALSE);
    SDL_Texture* t = SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 640, 480);
    static uint16_t px[640 * 480];
    for (int i = 0; i < 640 * 480; ++i) px[i] = (uint16_t)((i * 2654435761u) >> 16);
    Uint32 next = SDL_GetTicks(), end = next + (Uint32)seconds * 1000u;
    while (!SDL_TICKS_PASSED(SDL_GetTicks(), end)) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {}
        SDL_UpdateTexture(t, NULL, px, 640 * 2);
        SDL_RenderClear(r);
        SDL_RenderCopy(r, t, NULL, NULL);
        SDL_RenderPresent(r);
        next += 40;
        Sint32 wait = (Sint32)(next - SDL_GetTicks());
        if (wait > 0) SDL_Delay((Uint32)wait);
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(r, &info);
    SDL_DestroyTexture(t);
    SDL_DestroyRenderer(r);
    SDL_DestroyWindow(w);
    SDL_Quit();
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    printf("%.2f CPU seconds in %d s (renderer %s)\n",
           ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6, seconds, info.name);
    return 0;
}
