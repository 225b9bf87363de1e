// The display mode of old on the desktop: the picture full screen, or in a window the player may
// size; Alt+Enter trades one for the other at any moment.
#include <algorithm>

#include "platform/internal.h"

namespace {

struct Placement {
    platform::StartIn requested = platform::StartIn::AsLastTime;  // by the command line
    bool windowed = false;
    int pictureWidth = 0;  // the display mode's; 0 while none is set
    int pictureHeight = 0;
    int windowX = 0;  // where the window was, while full screen; no size until it first opens
    int windowY = 0;
    int windowWidth = 0;
    int windowHeight = 0;
};
Placement gPlacement;
constexpr const char* kWindowSetting = "window";  // 1: the game opens in a window
constexpr int kFrameRoom = 64;                    // of the display, for the window's frame

// Cover the display first, so the picture fills it even where no window manager carries out the
// full-screen request.
void ShowFullScreen(SDL_Window* window)
{
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) == 0) {
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// A first window is the largest whole multiple of the picture that leaves the display room for
// the window's frame, centred.
void PlaceFirstWindow(SDL_Window* window)
{
    const int display = SDL_GetWindowDisplayIndex(window);
    SDL_Rect usable{0, 0, gPlacement.pictureWidth, gPlacement.pictureHeight};
    SDL_GetDisplayUsableBounds(display, &usable);
    const int factor = std::max(1, std::min((usable.w - kFrameRoom) / gPlacement.pictureWidth,
                                            (usable.h - kFrameRoom) / gPlacement.pictureHeight));
    gPlacement.windowWidth = factor * gPlacement.pictureWidth;
    gPlacement.windowHeight = factor * gPlacement.pictureHeight;
    gPlacement.windowX = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    gPlacement.windowY = gPlacement.windowX;
}

// A window the player may size, never below the picture's own size unless the window manager
// makes it so; the picture then fills its largest rectangle of the picture's shape.
void ShowInWindow(SDL_Window* window)
{
    SDL_SetWindowFullscreen(window, 0);
    if (gPlacement.windowWidth == 0) PlaceFirstWindow(window);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowMinimumSize(window, gPlacement.pictureWidth, gPlacement.pictureHeight);
    SDL_SetWindowSize(window, gPlacement.windowWidth, gPlacement.windowHeight);
    SDL_SetWindowPosition(window, gPlacement.windowX, gPlacement.windowY);
}

// The player's choice holds for the next start, written as it is made: a kill, or a display that
// stops answering, leaves nothing unsaved.
void KeepChoice()
{
    platform::KeepStandInSetting(kWindowSetting, gPlacement.windowed ? 1 : 0);
}

// The window system's toggle: the system keeps it too, so it never reaches the game.
bool IsWindowKey(const SDL_KeyboardEvent& key)
{
    return (key.keysym.scancode == SDL_SCANCODE_RETURN || key.keysym.scancode == SDL_SCANCODE_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

}  // namespace

namespace platform {

Uint32 SystemWindowFlags()
{
    return 0;
}

void RequestStart(StartIn choice)
{
    gPlacement.requested = choice;
}

void ShowDisplayMode(SDL_Window* window, int pictureWidth, int pictureHeight)
{
    gPlacement.pictureWidth = pictureWidth;
    gPlacement.pictureHeight = pictureHeight;
    gPlacement.windowed = gPlacement.requested == StartIn::AsLastTime ? StandInSetting(kWindowSetting, 0) == 1
                                                                      : gPlacement.requested == StartIn::Window;
    if (gPlacement.windowed) ShowInWindow(window);
    else ShowFullScreen(window);
    KeepChoice();
}

// At once, whatever the game is doing: the next frame is drawn to the new size, and the keys
// held stay held.
void ToggleFullScreen()
{
    SDL_Window* window = SdlWindowOf(MainWindow());
    if (window == nullptr || gPlacement.pictureWidth == 0) return;  // no display mode yet
    if (gPlacement.windowed) {
        SDL_GetWindowPosition(window, &gPlacement.windowX, &gPlacement.windowY);
        SDL_GetWindowSize(window, &gPlacement.windowWidth, &gPlacement.windowHeight);
        ShowFullScreen(window);
    } else {
        ShowInWindow(window);
    }
    gPlacement.windowed = !gPlacement.windowed;
    KeepChoice();
    RepaintScreen();
}

bool TakeWindowKey(const SDL_KeyboardEvent& key)
{
    if (!IsWindowKey(key)) return false;
    if (key.type == SDL_KEYDOWN && key.repeat == 0) ToggleFullScreen();
    return true;
}

void EndDisplayMode()
{
    gPlacement.pictureWidth = 0;
}

}  // namespace platform
