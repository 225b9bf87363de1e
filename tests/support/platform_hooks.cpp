// The test build's side of the platform: the clock, the call trace, scripted random values,
// captured debug output, pushed input and the frames read back. The clock and the others that
// the program calls are the platform's own calls wrapped at link time (tests/CMakeLists.txt),
// so that the shipped program's sources hold no test seam.
#include "tests/support/platform_hooks.h"

#include <array>
#include <deque>

#include "platform/internal.h"
#include "platform/screen.h"
#include "platform/winuser.h"
#include "tests/support/seams.h"

namespace {

bool gManualClock = false;
DWORD gManualNow = 0;
bool gTraceOn = false;
int gRenderPresents = 0;
std::array<test::PendingFault, static_cast<size_t>(platform_test::Fault::Count)> gPendingFaults{};
// Written to by objects released at exit, so never destroyed themselves.
std::vector<std::string>& gTrace = *new std::vector<std::string>;
std::string& gDebugOutput = *new std::string;
std::deque<int>& gScriptedRandom = *new std::deque<int>;

Uint32 MainWindowId()
{
    SDL_Window* window = platform::SdlWindowOf(platform::MainWindow());
    return window != nullptr ? SDL_GetWindowID(window) : 0;
}

int FloorDiv(long long a, long long b)
{
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

// The window pixel at the middle of picture pixel (x, y).
void WindowPointOf(int* x, int* y)
{
    SDL_Window* window = platform::SdlWindowOf(platform::MainWindow());
    int width = 0;
    int height = 0;
    if (window == nullptr || !platform::PictureSize(&width, &height)) return;
    SDL_Rect place{};
    SDL_GetWindowSize(window, &place.w, &place.h);
    place = platform::FitPicture(place.w, place.h, width, height);
    if (place.w <= 0 || place.h <= 0) return;
    *x = place.x + FloorDiv((2LL * *x + 1) * place.w, 2LL * width);
    *y = place.y + FloorDiv((2LL * *y + 1) * place.h, 2LL * height);
}

}  // namespace

// ---- the platform's calls, wrapped

extern "C" {
Uint64 __real_SDL_GetTicks64();
int __real_SDL_WaitEventTimeout(SDL_Event* event, int timeout);
void __real_SDL_RenderPresent(SDL_Renderer* renderer);
void __real_OutputDebugStringA(const char* text);
int __real__ZN3crt4randEv();

Uint64 __wrap_SDL_GetTicks64()
{
    return gManualClock ? gManualNow : __real_SDL_GetTicks64();
}

// Under the test clock a wait returns at once.
int __wrap_SDL_WaitEventTimeout(SDL_Event* event, int timeout)
{
    return gManualClock ? 0 : __real_SDL_WaitEventTimeout(event, timeout);
}

void __wrap_SDL_RenderPresent(SDL_Renderer* renderer)
{
    ++gRenderPresents;
    __real_SDL_RenderPresent(renderer);
}

void __wrap_OutputDebugStringA(const char* text)
{
    __real_OutputDebugStringA(text);
    if (text != nullptr) gDebugOutput += text;
}

// crt::rand
int __wrap__ZN3crt4randEv()
{
    if (gScriptedRandom.empty()) return __real__ZN3crt4randEv();
    const int value = gScriptedRandom.front();
    gScriptedRandom.pop_front();
    return value;
}
}

namespace test {

bool ShouldFail(platform_test::Fault fault)
{
    PendingFault& pending = gPendingFaults[static_cast<size_t>(fault)];
    if (pending.times <= 0) return false;
    if (pending.after > 0) {
        --pending.after;
        return false;
    }
    --pending.times;
    return true;
}

void TraceCall(const char* what)
{
    if (gTraceOn) gTrace.emplace_back(what);
}

}  // namespace test

namespace platform_test {

void FailNext(Fault fault, int times, int after)
{
    gPendingFaults[static_cast<size_t>(fault)] = test::PendingFault{after, times};
}

void ResetFaults()
{
    gPendingFaults.fill(test::PendingFault{});
    gTrace.clear();
    gDebugOutput.clear();
    gScriptedRandom.clear();
}

void ScriptRandom(const std::vector<int>& values)
{
    gScriptedRandom.insert(gScriptedRandom.end(), values.begin(), values.end());
}

int ScriptedRandomLeft()
{
    return static_cast<int>(gScriptedRandom.size());
}

void UseManualClock(bool manual)
{
    gManualClock = manual;
}

void AdvanceClock(DWORD milliseconds)
{
    gManualNow += milliseconds;
}

void EnableTrace(bool on)
{
    gTraceOn = on;
}

const std::vector<std::string>& Trace()
{
    return gTrace;
}

const std::string& DebugOutput()
{
    return gDebugOutput;
}

void MarkAllSurfacesLost()
{
    platform::OnRenderReset();
}

void SimulateRenderDeviceReset()
{
    SDL_Event e{SDL_RENDER_DEVICE_RESET};
    SDL_PushEvent(&e);
}

int ShownFrameCount()
{
    return gRenderPresents;
}

std::vector<std::uint32_t> ScaledFrames(const std::vector<Frame>& frames, int width, int height)
{
    std::vector<std::uint32_t> shown(static_cast<size_t>(width) * height);
    platform::Screen screen;
    screen.width = frames.empty() ? 0 : frames[0].width;
    screen.height = frames.empty() ? 0 : frames[0].height;
    if (screen.width == 0 || !screen.Fit(width, height) || screen.scaled->w != width) return {};
    platform::Pixels before;
    for (const Frame& f : frames) {
        platform::Pixels picture(SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<std::uint16_t*>(f.pixels.data()), f.width, f.height, 16, f.width * 2, SDL_PIXELFORMAT_RGB565));
        if (picture == nullptr) return {};
        const SDL_Rect band = screen.Update(picture.get(), before.get());
        SDL_ConvertPixels(width, band.h, SDL_PIXELFORMAT_RGB888, platform::RowOf(screen.scaled, band.y),
                          screen.scaled->pitch, SDL_PIXELFORMAT_RGB888,
                          shown.data() + static_cast<size_t>(band.y) * width, width * 4);
        before = std::move(picture);
    }
    return shown;
}

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
    WindowPointOf(&e.motion.x, &e.motion.y);
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
    WindowPointOf(&e.button.x, &e.button.y);
    SDL_PushEvent(&e);
}

void PushFinger(int finger, int x, int y, unsigned sdlEventType)
{
    SDL_Event e{};
    e.type = sdlEventType;
    e.tfinger.touchId = 1;
    e.tfinger.fingerId = finger;
    WindowPointOf(&x, &y);
    int w = 1;
    int h = 1;
    SDL_GetWindowSize(platform::SdlWindowOf(platform::MainWindow()), &w, &h);
    e.tfinger.x = (static_cast<float>(x) + 0.5f) / static_cast<float>(w);
    e.tfinger.y = (static_cast<float>(y) + 0.5f) / static_cast<float>(h);
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

// The count as ShowCursor reports it, read the way a Windows program would.
int CursorDisplayCount()
{
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

}  // namespace platform_test
