// The program's one window: its messages, its timer and its input, from SDL's events.
#include "platform/winuser.h"

#include <array>
#include <cerrno>
#include <cstdio>

#include "platform/dinput.h"
#include "platform/internal.h"

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

WindowObject* gWindow = nullptr;  // the program has exactly one window
Timer gTimer;

constexpr BYTE kKeyboardHolder = 0x01;
const platform::OnlineHooks* gOnline = nullptr;
// A held-back tick is asked for again this soon, so the loop neither spins nor lags.
constexpr DWORD kGateRetryMs = 4;
bool gQuitPosted = false;
int gQuitCode = 0;
platform::Keyboard& gKeyboard = platform::WindowKeyboard();

bool Valid(HWND window)
{
    return window != nullptr && window == gWindow;
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (gOnline != nullptr && gOnline->messageFilter(message, wParam)) return 0;
    platform::NoteMessage(message, wParam);
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

void ReleaseKeysAndTouches()
{
    for (unsigned dik = 0; dik < 256; ++dik) platform::HoldKey(dik, kKeyboardHolder, false);
    platform::LetGoOfTouches();
}

bool TranslateKey(const SDL_KeyboardEvent& key, MSG* out)
{
    const bool down = key.type == SDL_KEYDOWN;
    if (platform::TakeWindowKey(key)) return false;
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
        ReleaseKeysAndTouches();
        ++gKeyboard.focusLosses;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: platform::RepaintScreen(); break;
    default: break;
    }
}

bool TranslatePadOrTouch(const SDL_Event& e, MSG* out)
{
    unsigned key = 0;
    bool down = false;
    if (!platform::TranslatePad(e, &key, &down) && !platform::TranslateTouch(e, &key, &down)) return false;
    *out = MSG{gWindow, down ? WM_KEYDOWN : WM_KEYUP, key, 0};
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
    default: return TranslatePadOrTouch(e, out);
    }
}

// The system's millisecond count, wrapping as Windows' does.
DWORD Now()
{
    return static_cast<DWORD>(SDL_GetTicks64());
}

bool DueTimer(MSG* out)
{
    const DWORD now = Now();
    const bool due = gTimer.interval != 0 && static_cast<std::int32_t>(now - gTimer.due) >= 0;
    if (gOnline != nullptr && !gOnline->timerGate(now, due, gWindow != nullptr && !gWindow->iconic) && due) {
        gTimer.due = now + kGateRetryMs;
        return false;
    }
    if (!due) return false;
    // Missed periods are dropped: the next tick is due one period on, or from now when far behind.
    gTimer.due += gTimer.interval;
    if (static_cast<std::int32_t>(now - gTimer.due) >= 0) gTimer.due = now + gTimer.interval;
    *out = MSG{gWindow, WM_TIMER, gTimer.id, 0};
    return true;
}

DWORD MillisecondsToNextTimer()
{
    if (gTimer.interval == 0) return 100;
    const std::int32_t left = static_cast<std::int32_t>(gTimer.due - Now());
    return left <= 0 ? 0 : (left < 100 ? static_cast<DWORD>(left) : 100);
}

}  // namespace

namespace platform {

bool EnsureVideo()
{
    static bool failed = false;  // tried once: the display device need not try again
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 || failed) return !failed;
    ChooseVideoDrivers();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "%s: no display could be opened\n", program_invocation_short_name);
        failed = true;
        return false;
    }
    CatchDisplayErrors();
    platform::OpenPads();
    return true;
}

void Shutdown()
{
    MarkShutDown();
    if (gWindow != nullptr || DisplayAbandoned()) return;  // still in use, or not to be touched
    platform::ClosePads();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

HWND CreateGameWindow(const char* title, int x, int y, int width, int height, WindowProcedure procedure, void* owner)
{
    if (gWindow != nullptr || width <= 0 || height <= 0 || !EnsureVideo()) return nullptr;
    SDL_Window* sdl = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN | SystemWindowFlags());
    if (sdl == nullptr) return nullptr;
    gWindow = new WindowObject{sdl, procedure, owner};
    gKeyboard.focus = true;
    platform::ClearKeyTable();
    platform::LetGoOfTouches();
    return gWindow;
}

SDL_Window* SdlWindowOf(HWND window)
{
    return Valid(window) && !DisplayAbandoned() ? window->sdl : nullptr;
}

bool IsValidWindow(HWND window)
{
    return Valid(window);
}

void SetOnlineHooks(const OnlineHooks* hooks)
{
    gOnline = hooks;
}

bool HasOnlineHooks()
{
    return gOnline != nullptr;
}

HWND MainWindow()
{
    return gWindow;
}

}  // namespace platform

BOOL DestroyWindow(HWND window)
{
    if (!Valid(window)) return FALSE;
    platform::EndDisplayMode();
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

BOOL SetWindowTextA(HWND window, const char* text)
{
    if (!Valid(window) || text == nullptr) return FALSE;
    SDL_SetWindowTitle(window->sdl, text);
    return TRUE;
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
    if (gWindow != nullptr && platform::TakeCloseSignal()) {
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
    while (!PeekMessageA(msg, window, first, last, PM_REMOVE))
        platform::WaitForEvents(static_cast<int>(MillisecondsToNextTimer()));
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
    gTimer = Timer{id, interval, Now() + interval};
    return id;
}
