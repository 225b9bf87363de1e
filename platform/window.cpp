#include "platform/winuser.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/dinput.h"
#include "platform/internal.h"
#include "platform/profile_store.h"

struct WindowObject {
    SDL_Window* sdl = nullptr;
    platform::WindowProcedure procedure = nullptr;
    void* owner = nullptr;
    bool iconic = false;
    bool needsPaint = false;
};

namespace {

// The window's one timer: the game has no other. No interval: not set.
struct Timer {
    UINT_PTR id = 0;
    DWORD interval = 0;
    DWORD due = 0;
};

// The keys the game reads: Esc and Space as key messages, the steering keys from the key table.
struct KeyRow {
    SDL_Scancode scancode;
    unsigned virtualKey;
    unsigned dik;
};
constexpr KeyRow kKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0}, {SDL_SCANCODE_SPACE, VK_SPACE, 0}, {SDL_SCANCODE_LEFT, 0, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, 0, DIK_RIGHT},  {SDL_SCANCODE_A, 0, DIK_A},        {SDL_SCANCODE_S, 0, DIK_S},
};

// A fixed ring, as a real message queue is bounded too; posting never allocates.
constexpr size_t kQueueSize = 1024;
std::array<MSG, kQueueSize> gQueue;
size_t gQueueHead = 0;
size_t gQueueCount = 0;

#ifdef __EMSCRIPTEN__
// The page's canvas: it follows the browser's window, in the display's own pixels.
constexpr Uint32 kSystemWindowFlags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
#else
constexpr Uint32 kSystemWindowFlags = 0;
#endif

WindowObject* gWindow = nullptr;  // the program has exactly one window
Timer gTimer;

// How the picture is shown: full screen, or in a window; Alt+Enter trades one for the other.
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

// Who holds each key down, indexed by DirectInput key code: the keyboard, and a pad or two.
BYTE gKeyHolders[256] = {};
constexpr BYTE kKeyboardHolder = 0x01;
bool gQuitPosted = false;
int gQuitCode = 0;
int gCursorCount = 0;
platform::Keyboard gKeyboard{};
volatile std::sig_atomic_t gCloseSignalled = 0;
bool gShutDown = false;   // the run ended normally and took the display down
bool gAbandoned = false;  // the program is being ended from inside a display call

bool Valid(HWND window)
{
    return window != nullptr && window == gWindow;
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return window->procedure(window->owner, message, wParam, lParam);
}

LPARAM PicturePoint(int x, int y)
{
    int w = 0;
    int h = 0;
    if (!platform::PictureSize(&w, &h) && gWindow != nullptr) SDL_GetWindowSize(gWindow->sdl, &w, &h);
    platform::PicturePointOf(&x, &y);
    // Points over the letterbox bars land on the nearest edge of the picture.
    if (w > 0) x = x < 0 ? 0 : (x >= w ? w - 1 : x);
    if (h > 0) y = y < 0 ? 0 : (y >= h ? h - 1 : y);
    return static_cast<LPARAM>(static_cast<DWORD>((x & 0xFFFF) | ((y & 0xFFFF) << 16)));
}

void ReleaseKeyboardKeys()
{
    for (unsigned dik = 0; dik < 256; ++dik) platform::HoldKey(dik, kKeyboardHolder, false);
}

// Alt+Enter is the window's own key: it never reaches the game, as the system keeps it too.
bool IsWindowKey(const SDL_KeyboardEvent& key)
{
    return (key.keysym.scancode == SDL_SCANCODE_RETURN || key.keysym.scancode == SDL_SCANCODE_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

bool TranslateKey(const SDL_KeyboardEvent& key, MSG* out)
{
    const bool down = key.type == SDL_KEYDOWN;
    if (IsWindowKey(key)) {
        if (down && key.repeat == 0) platform::ToggleFullScreen();
        return false;
    }
    for (const KeyRow& row : kKeys) {
        if (row.scancode != key.keysym.scancode) continue;
        if (row.dik != 0) platform::HoldKey(row.dik, kKeyboardHolder, down);
        if (row.virtualKey == 0) return false;
        *out = MSG{gWindow, down ? WM_KEYDOWN : WM_KEYUP, row.virtualKey, 0};
        return true;
    }
    return false;
}

bool TranslateButton(const SDL_MouseButtonEvent& b, MSG* out)
{
    const bool down = b.type == SDL_MOUSEBUTTONDOWN;
    UINT message = 0;
    if (b.button == SDL_BUTTON_LEFT) {
        // Every second press within the double-click time is a double click.
        message = down ? (b.clicks % 2 == 0 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    } else if (b.button == SDL_BUTTON_RIGHT) {
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    } else {
        return false;
    }
    *out = MSG{gWindow, message, 0, PicturePoint(b.x, b.y)};
    return true;
}

// What the window system says of the window changes its state; no message comes of it.
void OnWindowEvent(const SDL_WindowEvent& w)
{
    switch (w.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        gWindow->needsPaint = true;
        platform::RepaintScreen();
        break;
    case SDL_WINDOWEVENT_MINIMIZED: gWindow->iconic = true; break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
        gWindow->iconic = false;
        platform::RepaintScreen();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: gKeyboard.focus = true; break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys held while the focus leaves would otherwise stay down for ever.
        gKeyboard.focus = false;
        ReleaseKeyboardKeys();
        ++gKeyboard.focusLosses;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: platform::RepaintScreen(); break;
    default: break;
    }
}

bool TranslatePadEvent(const SDL_Event& e, MSG* out)
{
    unsigned virtualKey = 0;
    bool down = false;
    if (!platform::TranslatePad(e, &virtualKey, &down)) return false;
    *out = MSG{gWindow, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0};
    return true;
}

bool Translate(const SDL_Event& e, MSG* out)
{
    if (gWindow == nullptr) return false;
    switch (e.type) {
    case SDL_QUIT: *out = MSG{gWindow, WM_CLOSE, 0, 0}; return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return TranslateKey(e.key, out);
    case SDL_MOUSEMOTION: *out = MSG{gWindow, WM_MOUSEMOVE, 0, PicturePoint(e.motion.x, e.motion.y)}; return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return TranslateButton(e.button, out);
    case SDL_WINDOWEVENT: OnWindowEvent(e.window); return false;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET: platform::OnRenderReset(); return false;
    default: return TranslatePadEvent(e, out);
    }
}

bool DueTimer(MSG* out)
{
    const DWORD now = platform::NowMs();
    if (gTimer.interval == 0 || static_cast<std::int32_t>(now - gTimer.due) < 0) return false;
    // Missed periods are dropped: the next tick is due one period on, or from now when far behind.
    gTimer.due += gTimer.interval;
    if (static_cast<std::int32_t>(now - gTimer.due) >= 0) gTimer.due = now + gTimer.interval;
    *out = MSG{gWindow, WM_TIMER, gTimer.id, 0};
    return true;
}

DWORD MillisecondsToNextTimer()
{
    if (gTimer.interval == 0) return 100;
    const std::int32_t left = static_cast<std::int32_t>(gTimer.due - platform::NowMs());
    return left <= 0 ? 0 : (left < 100 ? static_cast<DWORD>(left) : 100);
}

// ---- full screen or a window

// The full screen stands for the display mode of old. Cover the display first, so the picture
// fills it even where no window manager carries out the full-screen request.
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

void CloseOnSignal(int /*signal*/)
{
    gCloseSignalled = 1;
}

// A loop that has not closed the window this long after a termination signal is stuck.
constexpr unsigned kSecondsToClose = 3;
volatile std::sig_atomic_t gEndingSignal = 0;

void EndAsSignalled(int /*alarm*/)
{
    std::signal(gEndingSignal, SIG_DFL);
    std::raise(gEndingSignal);
}

// SIGTERM, SIGINT, SIGHUP: the level is saved first, before anything touches the display. With
// the X server stopped, the loop waited in a display call for ever and saved nothing, and a
// flag for the loop is never seen there; so the handler writes the file itself, with the few
// calls safe in a handler (its contents were made ready whenever the level changed). Then the
// window closes as on a close request; a loop stuck in the display, or a second signal, ends
// the program as the signal would have.
void SaveAndClose(int signal)
{
    if (gEndingSignal != 0) EndAsSignalled(0);
    gEndingSignal = signal;
    ProfileStore::WritePreparedOnSignal();
    gCloseSignalled = 1;
    std::signal(SIGALRM, EndAsSignalled);
    alarm(kSecondsToClose);
}

// The X library ends the program with exit() from inside a call when the display fails it (a
// request refused under a memory limit, a lost connection). The static destructors then still
// write the level, but they called SDL on a window half made, and crashed: unless the run ended
// normally, nothing touches the display on the way out.
void AbandonDisplayUnlessShutDown()
{
    if (!gShutDown) gAbandoned = true;
}

// With no display reachable SDL fell back on a driver that shows nothing, and the game ran on
// unseen: unless SDL_VIDEODRIVER names a driver, only those that open a display are tried.
void ShowOnlyOnADisplay()
{
    const char* named = SDL_getenv("SDL_VIDEODRIVER");
    if (named != nullptr && *named != '\0') return;
    std::string drivers;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string name = SDL_GetVideoDriver(i);
        if (name != "offscreen" && name != "dummy" && name != "evdev") drivers += (drivers.empty() ? "" : ",") + name;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, drivers.c_str(), SDL_HINT_OVERRIDE);
}

// The X library's own handler of a lost connection calls exit(), and the exit path met the dead
// connection again and ran a second time. This one says it once and ends with status 1, the
// level written once by the static destructors.
int OnLostConnection(void* /*display*/)
{
    static bool ending = false;
    if (ending) _exit(1);  // met again on the way out, after the level was written
    ending = true;
    gAbandoned = true;
    std::fprintf(stderr, "%s: the connection to the display was lost\n", program_invocation_short_name);
    std::exit(1);
}

// SDL loads the X library itself, so its handler is set through the library SDL loaded.
void CatchLostConnection()
{
    using Handler = int (*)(void*);
    const char* driver = SDL_GetCurrentVideoDriver();
    void* x11 =
        driver != nullptr && std::strcmp(driver, "x11") == 0 ? dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD) : nullptr;
    if (x11 == nullptr) return;
    if (auto set = reinterpret_cast<Handler (*)(Handler)>(dlsym(x11, "XSetIOErrorHandler"))) set(OnLostConnection);
    dlclose(x11);
}

}  // namespace

namespace platform {

void PrepareProcess()
{
    static bool prepared = false;
    if (std::exchange(prepared, true)) return;
    // Started with a standard stream closed, the next file opened took its number: the display
    // connection became descriptor 2, a library's message went into it and the game hung.
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1) open("/dev/null", O_RDWR);
    // A closed terminal (SIGHUP) or a broken connection (SIGPIPE) ended the game at once and
    // lost the level: they close the window as SIGTERM does.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, SaveAndClose);
    std::signal(SIGPIPE, CloseOnSignal);
    // A file size limit below the settings file's killed the save half-way: a failed write instead.
    std::signal(SIGXFSZ, SIG_IGN);
    std::atexit(AbandonDisplayUnlessShutDown);
}

bool EnsureVideo()
{
    static bool failed = false;  // tried once: the display device need not try again
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 || failed) return !failed;
    ShowOnlyOnADisplay();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "%s: no display could be opened\n", program_invocation_short_name);
        failed = true;
        return false;
    }
    CatchLostConnection();
    platform::OpenPads();
    return true;
}

void Shutdown()
{
    gShutDown = true;
    if (gWindow != nullptr || gAbandoned) return;  // still in use, or not to be touched
    platform::ClosePads();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

HWND CreateGameWindow(const char* title, int x, int y, int width, int height, WindowProcedure procedure, void* owner)
{
    if (gWindow != nullptr || width <= 0 || height <= 0 || !EnsureVideo()) return nullptr;
    SDL_Window* sdl = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN | kSystemWindowFlags);
    if (sdl == nullptr) return nullptr;
    gWindow = new WindowObject{sdl, procedure, owner};
    gKeyboard.focus = true;
    std::memset(gKeyboard.keys, 0, sizeof gKeyboard.keys);
    std::memset(gKeyHolders, 0, sizeof gKeyHolders);
    return gWindow;
}

SDL_Window* SdlWindowOf(HWND window)
{
    return Valid(window) && !gAbandoned ? window->sdl : nullptr;
}

bool IsValidWindow(HWND window)
{
    return Valid(window);
}

const Keyboard& KeyboardState()
{
    return gKeyboard;
}

void HoldKey(unsigned dik, BYTE holder, bool down)
{
    if (dik >= 256) return;
    gKeyHolders[dik] = static_cast<BYTE>(down ? gKeyHolders[dik] | holder : gKeyHolders[dik] & ~holder);
    gKeyboard.keys[dik] = gKeyHolders[dik] != 0 ? 0x80 : 0x00;
}

void RequestStart(StartIn choice)
{
    gPlacement.requested = choice;
}

void ShowDisplayMode(SDL_Window* window, int pictureWidth, int pictureHeight)
{
#ifdef __EMSCRIPTEN__
    // The canvas fills the page and the page's own button takes it to full screen; with no
    // display mode kept here, Alt+Enter does nothing and no window choice is stored.
    (void)window, (void)pictureWidth, (void)pictureHeight;
    return;
#endif
    gPlacement.pictureWidth = pictureWidth;
    gPlacement.pictureHeight = pictureHeight;
    gPlacement.windowed = gPlacement.requested == StartIn::AsLastTime ? StandInSetting(kWindowSetting, 0) == 1
                                                                      : gPlacement.requested == StartIn::Window;
    if (gPlacement.windowed) ShowInWindow(window);
    else ShowFullScreen(window);
}

// At once, whatever the game is doing: the next frame is drawn to the new size, and the keys
// held stay held.
void ToggleFullScreen()
{
    SDL_Window* window = SdlWindowOf(gWindow);
    if (window == nullptr || gPlacement.pictureWidth == 0) return;  // no display mode yet
    if (gPlacement.windowed) {
        SDL_GetWindowPosition(window, &gPlacement.windowX, &gPlacement.windowY);
        SDL_GetWindowSize(window, &gPlacement.windowWidth, &gPlacement.windowHeight);
        ShowFullScreen(window);
    } else {
        ShowInWindow(window);
    }
    gPlacement.windowed = !gPlacement.windowed;
    RepaintScreen();
}

}  // namespace platform

BOOL DestroyWindow(HWND window)
{
    if (!Valid(window)) return FALSE;
    // The player's choice of a window or the full screen holds for the next start too.
    if (gPlacement.pictureWidth != 0) platform::KeepStandInSetting(kWindowSetting, gPlacement.windowed ? 1 : 0);
    gPlacement.pictureWidth = 0;
    platform::OnWindowDestroying(window);
    // The owner may delete itself on its last message; nothing touches it after.
    Deliver(window, WM_NCDESTROY, 0, 0);
    gQueueCount = 0;  // what was posted to the window goes with it
    gTimer = Timer{};
    gKeyboard.focus = false;
    SDL_DestroyWindow(window->sdl);
    delete window;
    gWindow = nullptr;
    return TRUE;
}

BOOL ShowWindow(HWND window, int /*command*/)
{
    if (!Valid(window)) return FALSE;
    const BOOL wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    SDL_ShowWindow(window->sdl);
    window->needsPaint = true;
    return wasVisible;
}

BOOL UpdateWindow(HWND window)
{
    if (!Valid(window)) return FALSE;
    if (window->needsPaint && !window->iconic) {
        window->needsPaint = false;
        Deliver(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}

// The game places its window once the display mode is set: it covers the screen already, or it
// is the window the player asked for.
BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int /*x*/, int /*y*/, int /*width*/, int /*height*/,
                  UINT /*flags*/)
{
    return Valid(window) ? TRUE : FALSE;
}

BOOL IsIconic(HWND window)
{
    return Valid(window) && window->iconic ? TRUE : FALSE;
}

// The window has no device context of its own: the game draws through the display device.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    *paint = PAINTSTRUCT{};
    if (Valid(window)) window->needsPaint = false;
    return nullptr;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* /*paint*/)
{
    return Valid(window) ? TRUE : FALSE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Valid(window) || gQueueCount == kQueueSize) return FALSE;
    gQueue[(gQueueHead + gQueueCount++) % kQueueSize] = MSG{window, message, wParam, lParam};
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Valid(window) ? Deliver(window, message, wParam, lParam) : 0;
}

void PostQuitMessage(int exitCode)
{
    gQuitPosted = true;
    gQuitCode = exitCode;
}

// Posted messages first, then a close signalled and the input, then WM_QUIT, a paint and a due
// timer, as the system orders them.
BOOL PeekMessageA(MSG* msg, HWND /*window*/, UINT /*first*/, UINT /*last*/, UINT /*remove*/)
{
    if (gQueueCount > 0) {
        *msg = gQueue[gQueueHead];
        gQueueHead = (gQueueHead + 1) % kQueueSize;
        --gQueueCount;
        return TRUE;
    }
    if (gCloseSignalled != 0 && gWindow != nullptr) {
        gCloseSignalled = 0;
        *msg = MSG{gWindow, WM_CLOSE, 0, 0};
        return TRUE;
    }
    SDL_Event e;
    while (SDL_WasInit(SDL_INIT_EVENTS) != 0 && SDL_PollEvent(&e))
        if (Translate(e, msg)) return TRUE;
    if (gQuitPosted) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(gQuitCode), 0};
        gQuitPosted = false;
        return TRUE;
    }
    if (gWindow != nullptr && gWindow->needsPaint && !gWindow->iconic) {
        gWindow->needsPaint = false;
        *msg = MSG{gWindow, WM_PAINT, 0, 0};
        return TRUE;
    }
    return DueTimer(msg) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last)
{
    while (!PeekMessageA(msg, window, first, last, PM_REMOVE)) platform::WaitForEvent(MillisecondsToNextTimer());
    return msg->message != WM_QUIT ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    return Valid(msg->hwnd) ? Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (!Valid(window)) return 0;
    if (message == WM_CLOSE) DestroyWindow(window);
    if (message == WM_PAINT) window->needsPaint = false;
    return 0;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC /*callback*/)
{
    if (!Valid(window) || id == 0) return 0;
    const DWORD interval = milliseconds < 10 ? 10 : milliseconds;  // the system's floor
    gTimer = Timer{id, interval, platform::NowMs() + interval};
    return id;
}

int ShowCursor(BOOL show)
{
    gCursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return gCursorCount;
}

// The screen is the display mode's (0 x 0 while none is set); the window never shows a caption.
int GetSystemMetrics(int index)
{
    int w = 0;
    int h = 0;
    platform::PictureSize(&w, &h);
    return index == SM_CXSCREEN ? w : (index == SM_CYSCREEN ? h : 0);
}

// With no caption nor frame, the window's rectangle is its client rectangle.
BOOL AdjustWindowRectEx(RECT* /*rect*/, DWORD /*style*/, BOOL /*menu*/, DWORD /*exStyle*/)
{
    return TRUE;
}

// ---- test hooks

#ifdef LORVEX_TEST_HOOKS

namespace platform_test {

namespace {

Uint32 MainWindowId()
{
    return gWindow != nullptr ? SDL_GetWindowID(gWindow->sdl) : 0;
}

}  // namespace

void PushKey(unsigned sdlScancode, bool down, bool repeat)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = MainWindowId();
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(sdlScancode);
    SDL_PushEvent(&e);
}

void PushMouseMove(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = MainWindowId();
    e.motion.x = x;
    e.motion.y = y;
    platform::WindowPointOf(&e.motion.x, &e.motion.y);
    SDL_PushEvent(&e);
}

void PushMouseButton(int x, int y, bool left, bool down, int clicks)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = MainWindowId();
    e.button.button = left ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
    e.button.clicks = static_cast<Uint8>(clicks);
    e.button.x = x;
    e.button.y = y;
    platform::WindowPointOf(&e.button.x, &e.button.y);
    SDL_PushEvent(&e);
}

void PushQuit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void PushWindowEvent(int sdlWindowEventId)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = MainWindowId();
    e.window.event = static_cast<Uint8>(sdlWindowEventId);
    SDL_PushEvent(&e);
}

int CursorDisplayCount()
{
    return gCursorCount;
}

}  // namespace platform_test

#endif  // LORVEX_TEST_HOOKS
