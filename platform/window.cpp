#include "platform/winuser.h"

#include <array>
#include <cstring>
#include <vector>

#include "platform/internal.h"

struct WindowObject {
    SDL_Window* sdl = nullptr;
    MessageHandler* handler = nullptr;
    bool iconic = false;
    bool needsPaint = false;
    RECT placement{0, 0, 0, 0};
};

namespace {

struct Timer {
    UINT_PTR id;
    DWORD interval;
    DWORD due;
};

// A fixed ring, as a real message queue is bounded too; posting never allocates.
constexpr size_t kQueueSize = 1024;
std::array<MSG, kQueueSize> gQueue;
size_t gQueueHead = 0;
size_t gQueueCount = 0;

WindowObject* gWindow = nullptr;  // the program has exactly one window
std::vector<Timer>& gTimers = *new std::vector<Timer>;  // outlives static objects released at exit
bool gQuitPosted = false;
int gQuitCode = 0;
int gCursorCount = 0;
bool gFocus = true;
unsigned gFocusLosses = 0;
BYTE gKeys[256];

bool Valid(HWND window)
{
    return window != nullptr && window == gWindow;
}

bool Enqueue(const MSG& msg, bool front)
{
    if (gQueueCount == kQueueSize) return false;
    if (front) {
        gQueueHead = (gQueueHead + kQueueSize - 1) % kQueueSize;
        gQueue[gQueueHead] = msg;
    } else {
        gQueue[(gQueueHead + gQueueCount) % kQueueSize] = msg;
    }
    ++gQueueCount;
    return true;
}

bool Dequeue(MSG* msg)
{
    if (gQueueCount == 0) return false;
    *msg = gQueue[gQueueHead];
    gQueueHead = (gQueueHead + 1) % kQueueSize;
    --gQueueCount;
    return true;
}

void DropQueuedFor(HWND window)
{
    size_t kept = 0;
    for (size_t i = 0; i < gQueueCount; ++i) {
        const MSG& m = gQueue[(gQueueHead + i) % kQueueSize];
        if (m.hwnd != window) gQueue[(gQueueHead + kept++) % kQueueSize] = m;
    }
    gQueueCount = kept;
}

MSG Message(UINT message, WPARAM wParam, LPARAM lParam)
{
    return MSG{gWindow, message, wParam, lParam, platform::NowMs()};
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
    return MAKELPARAM(x, y);
}

WPARAM ButtonState(Uint32 sdlState)
{
    return ((sdlState & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0) | ((sdlState & SDL_BUTTON_RMASK) ? MK_RBUTTON : 0);
}

bool TranslateKey(const SDL_KeyboardEvent& key, MSG* out)
{
    const bool down = key.type == SDL_KEYDOWN;
    unsigned dik = DikFromSdlScancode(key.keysym.scancode);
    if (dik != 0 && dik < 256) gKeys[dik] = down ? 0x80 : 0x00;
    unsigned vk = VirtualKeyFromSdlKeycode(key.keysym.sym);
    if (vk == 0) return false;
    LPARAM flags = 1 | (static_cast<LPARAM>(dik & 0xFF) << 16);
    if (!down || key.repeat) flags |= static_cast<LPARAM>(1) << 30;
    if (!down) flags |= static_cast<LPARAM>(1) << 31;
    *out = Message(down ? WM_KEYDOWN : WM_KEYUP, vk, flags);
    return true;
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
    *out = Message(message, ButtonState(SDL_GetMouseState(nullptr, nullptr)), PicturePoint(b.x, b.y));
    return true;
}

bool TranslateWindowEvent(const SDL_WindowEvent& w)
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
    case SDL_WINDOWEVENT_FOCUS_GAINED: gFocus = true; break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys held while the focus leaves would otherwise stay down for ever.
        gFocus = false;
        std::memset(gKeys, 0, sizeof gKeys);
        ++gFocusLosses;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: platform::RepaintScreen(); break;
    default: break;
    }
    return false;
}

bool Translate(const SDL_Event& e, MSG* out)
{
    if (gWindow == nullptr) return false;
    switch (e.type) {
    case SDL_QUIT: *out = Message(WM_CLOSE, 0, 0); return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return TranslateKey(e.key, out);
    case SDL_MOUSEMOTION:
        *out = Message(WM_MOUSEMOVE, ButtonState(e.motion.state), PicturePoint(e.motion.x, e.motion.y));
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return TranslateButton(e.button, out);
    case SDL_WINDOWEVENT: return TranslateWindowEvent(e.window);
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET: platform::OnRenderReset(); return false;
    default: return false;
    }
}

bool DueTimer(MSG* out)
{
    const DWORD now = platform::NowMs();
    for (Timer& t : gTimers) {
        if (static_cast<std::int32_t>(now - t.due) < 0) continue;
        // Missed periods are dropped: the next tick is due one period on, or from now when far behind.
        t.due += t.interval;
        if (static_cast<std::int32_t>(now - t.due) >= 0) t.due = now + t.interval;
        *out = Message(WM_TIMER, t.id, 0);
        return true;
    }
    return false;
}

bool NextMessage(MSG* out)
{
    if (Dequeue(out)) return true;
    SDL_Event e;
    while (SDL_WasInit(SDL_INIT_EVENTS) != 0 && SDL_PollEvent(&e))
        if (Translate(e, out)) return true;
    if (gQuitPosted) {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(gQuitCode), 0, platform::NowMs()};
        gQuitPosted = false;
        return true;
    }
    if (gWindow != nullptr && gWindow->needsPaint && !gWindow->iconic) {
        gWindow->needsPaint = false;
        *out = Message(WM_PAINT, 0, 0);
        return true;
    }
    return DueTimer(out);
}

DWORD MillisecondsToNextTimer()
{
    DWORD wait = 100;
    const DWORD now = platform::NowMs();
    for (const Timer& t : gTimers) {
        std::int32_t left = static_cast<std::int32_t>(t.due - now);
        if (left <= 0) return 0;
        if (static_cast<DWORD>(left) < wait) wait = static_cast<DWORD>(left);
    }
    return wait;
}

}  // namespace

namespace platform {

bool EnsureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
}

void Shutdown()
{
    if (gWindow != nullptr) return;  // still in use
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

SDL_Window* SdlWindowOf(HWND window)
{
    return Valid(window) ? window->sdl : nullptr;
}

bool IsValidWindow(HWND window)
{
    return Valid(window);
}

bool WindowHasFocus()
{
    return gWindow != nullptr && gFocus;
}

BYTE* KeyTable()
{
    return gKeys;
}

unsigned FocusLossCount()
{
    return gFocusLosses;
}

}  // namespace platform

HWND CreateWindowExA(DWORD /*exStyle*/, const char* /*className*/, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND /*parent*/, void* /*menu*/, HINSTANCE /*instance*/,
                     MessageHandler* handler)
{
    if (gWindow != nullptr || handler == nullptr || width <= 0 || height <= 0) return nullptr;
    if (!platform::EnsureVideo()) return nullptr;
    SDL_Window* sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, SDL_WINDOW_HIDDEN);
    if (sdl == nullptr) return nullptr;
    gWindow = new WindowObject;
    gWindow->sdl = sdl;
    gWindow->handler = handler;
    gWindow->placement = RECT{x, y, x + width, y + height};
    gFocus = true;
    std::memset(gKeys, 0, sizeof gKeys);
    handler->WindowProc(WM_CREATE, 0, 0);
    if (gWindow != nullptr && (style & WS_VISIBLE) != 0) ShowWindow(gWindow, SW_SHOW);
    return gWindow;
}

BOOL DestroyWindow(HWND window)
{
    if (!Valid(window)) return FALSE;
    platform::OnWindowDestroying(window);
    MessageHandler* handler = window->handler;
    handler->WindowProc(WM_DESTROY, 0, 0);
    // The handler may delete itself on its last message; nothing touches it after.
    handler->WindowProc(WM_NCDESTROY, 0, 0);
    DropQueuedFor(window);
    gTimers.clear();
    SDL_DestroyWindow(window->sdl);
    delete window;
    gWindow = nullptr;
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    return Valid(window) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!Valid(window)) return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    switch (command) {
    case SW_HIDE: SDL_HideWindow(window->sdl); break;
    case SW_MINIMIZE: SDL_MinimizeWindow(window->sdl); window->iconic = true; break;
    case SW_RESTORE: SDL_RestoreWindow(window->sdl); window->iconic = false; window->needsPaint = true; break;
    default: SDL_ShowWindow(window->sdl); window->needsPaint = true; break;
    }
    return wasVisible;
}

BOOL UpdateWindow(HWND window)
{
    if (!Valid(window)) return FALSE;
    if (window->needsPaint && !window->iconic) {
        window->needsPaint = false;
        window->handler->WindowProc(WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* /*rect*/, BOOL /*erase*/)
{
    if (!Valid(window)) return FALSE;
    window->needsPaint = true;
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* /*rect*/)
{
    if (!Valid(window)) return FALSE;
    window->needsPaint = false;
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int width, int height, UINT flags)
{
    if (!Valid(window)) return FALSE;
    RECT& p = window->placement;
    if ((flags & SWP_NOMOVE) == 0) {
        p.right += x - p.left;
        p.bottom += y - p.top;
        p.left = x;
        p.top = y;
    }
    if ((flags & SWP_NOSIZE) == 0) {
        p.right = p.left + width;
        p.bottom = p.top + height;
    }
    // A full-screen window keeps covering the screen; the placement matters only in a window.
    if ((SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0 && p.right > p.left &&
        p.bottom > p.top) {
        SDL_SetWindowPosition(window->sdl, p.left, p.top);
        SDL_SetWindowSize(window->sdl, p.right - p.left, p.bottom - p.top);
    }
    return TRUE;
}

BOOL IsIconic(HWND window)
{
    if (!Valid(window)) return FALSE;
    return (window->iconic || (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0) ? TRUE : FALSE;
}

BOOL SetWindowIcon(HWND window, const void* iconFile, size_t size)
{
    if (!Valid(window)) return FALSE;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(iconFile, static_cast<int>(size)), 1);
    if (icon == nullptr) return FALSE;
    SDL_SetWindowIcon(window->sdl, icon);
    SDL_FreeSurface(icon);
    return TRUE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Valid(window)) return FALSE;
    return Enqueue(MSG{window, message, wParam, lParam, platform::NowMs()}, false) ? TRUE : FALSE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Valid(window)) return 0;
    return window->handler->WindowProc(message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    gQuitPosted = true;
    gQuitCode = exitCode;
}

BOOL PeekMessageA(MSG* msg, HWND /*window*/, UINT /*first*/, UINT /*last*/, UINT remove)
{
    if (msg == nullptr || !NextMessage(msg)) return FALSE;
    if ((remove & PM_REMOVE) == 0) {
        if (msg->message == WM_QUIT) gQuitPosted = true;
        else Enqueue(*msg, true);
    }
    return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last)
{
    if (msg == nullptr) return FALSE;
    while (!PeekMessageA(msg, window, first, last, PM_REMOVE)) platform::WaitForEvent(MillisecondsToNextTimer());
    return msg->message != WM_QUIT ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (msg == nullptr || !Valid(msg->hwnd)) return 0;
    return msg->hwnd->handler->WindowProc(msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (!Valid(window)) return 0;
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_PAINT: window->needsPaint = false; return 0;
    case WM_SETCURSOR: return 0;
    default: return 0;
    }
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* /*callback*/)
{
    if (!Valid(window) || id == 0) return 0;
    const DWORD interval = milliseconds < 10 ? 10 : milliseconds;  // the system's floor
    for (Timer& t : gTimers) {
        if (t.id == id) {
            t.interval = interval;
            t.due = platform::NowMs() + interval;
            return id;
        }
    }
    gTimers.push_back(Timer{id, interval, platform::NowMs() + interval});
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    if (!Valid(window)) return FALSE;
    for (size_t i = 0; i < gTimers.size(); ++i) {
        if (gTimers[i].id == id) {
            gTimers.erase(gTimers.begin() + static_cast<std::ptrdiff_t>(i));
            return TRUE;
        }
    }
    return FALSE;
}

int ShowCursor(BOOL show)
{
    gCursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return gCursorCount;
}

int GetSystemMetrics(int index)
{
    int w = 0;
    int h = 0;
    if (!platform::PictureSize(&w, &h)) {
        SDL_DisplayMode mode{};
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            w = mode.w;
            h = mode.h;
        }
    }
    switch (index) {
    case SM_CXSCREEN: return w;
    case SM_CYSCREEN: return h;
    case SM_CYCAPTION: return 0;  // the window never shows a caption
    default: return 0;
    }
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL /*menu*/, DWORD /*exStyle*/)
{
    if (rect == nullptr) return FALSE;
    if ((style & WS_CAPTION) == WS_CAPTION) rect->top -= GetSystemMetrics(SM_CYCAPTION);
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

void PictureToWindow(int x, int y, int* wx, int* wy)
{
    *wx = x;
    *wy = y;
    platform::WindowPointOf(wx, wy);
}

}  // namespace

void PushKey(unsigned sdlScancode, bool down, bool repeat)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = MainWindowId();
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(sdlScancode);
    e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
    SDL_PushEvent(&e);
}

void PushMouseMove(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = MainWindowId();
    PictureToWindow(x, y, &e.motion.x, &e.motion.y);
    SDL_PushEvent(&e);
}

void PushMouseButton(int x, int y, bool left, bool down, int clicks)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = MainWindowId();
    e.button.button = left ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = static_cast<Uint8>(clicks);
    PictureToWindow(x, y, &e.button.x, &e.button.y);
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
