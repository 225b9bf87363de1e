#pragma once

// What tests need from the platform layer and the program never uses: a clock the
// test advances, pushed input, injected faults, a trace of calls and the frame read back.
// Only the test build has them (platform_hooks.cpp, seam_objects.cpp), on the platform's own
// calls wrapped at link time; the shipped program's sources hold none of them.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows.h"

class IDirectDrawSurface;
class IDirectDraw;

namespace platform_test {

// Steps that can be made to fail.
enum class Fault {
    DirectDrawCreate,
    SetCooperativeLevel,
    SetDisplayMode,
    CreatePrimarySurface,
    GetAttachedSurface,
    CreateOffscreenSurface,
    GetDC,
    Lock,
    CreateCompatibleDC,
    DirectInputCreate,
    CreateDevice,
    Acquire,
    Count
};

// After `after` more calls succeed, the next `times` calls of that step fail.
void FailNext(Fault fault, int times = 1, int after = 0);
// Clears every pending fault, the trace and the captured debug output.
void ResetFaults();

// The clock: when manual, time moves only by AdvanceClock and waits return at once.
void UseManualClock(bool manual);
void AdvanceClock(DWORD milliseconds);

// Values that crt::rand returns next, in order, before its own generator goes on; each
// is taken as it is (0..32767 for a real draw). Cleared by ResetFaults.
void ScriptRandom(const std::vector<int>& values);
int ScriptedRandomLeft();

// A trace of the calls that the exit order depends on ("DirectInput.Release", ...).
void EnableTrace(bool on);
const std::vector<std::string>& Trace();

// Debug output written with OutputDebugStringA since the last reset.
const std::string& DebugOutput();

// Surfaces.
void MarkSurfaceLost(IDirectDrawSurface* surface);
void MarkAllSurfacesLost();                                   // as after a render device reset
void SetSurfaceBusy(IDirectDrawSurface* surface, int calls);  // the next calls report DDERR_WASSTILLDRAWING
void SimulateRenderDeviceReset();                             // pushes SDL's render device reset event

// The last presented frame (16-bit pixels of the primary surface, row by row), the count of
// flips, and of frames handed to the screen (a flip that changes nothing shows nothing).
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;
    std::uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Frame PresentedFrame();
int PresentCount();
int ShownFrameCount();
// The frames as the screen shows them at width x height, no whole multiple of their size
// (32-bit pixels, row by row): the first scaled whole, then each next one where it changed.
std::vector<std::uint32_t> ScaledFrames(const std::vector<Frame>& frames, int width, int height);

// Input, pushed as SDL events; points are picture coordinates (0..639, 0..479).
void PushKey(unsigned sdlScancode, bool down, bool repeat = false);
void PushMouseMove(int x, int y);
void PushMouseButton(int x, int y, bool left, bool down, int clicks = 1);
// A finger of a touch screen that covers the window: SDL_FINGERDOWN, SDL_FINGERMOTION or SDL_FINGERUP.
void PushFinger(int finger, int x, int y, unsigned sdlEventType);
void PushQuit();
void PushWindowEvent(int sdlWindowEventId);  // SDL_WINDOWEVENT_* on the main window
// Cursor display count as ShowCursor keeps it.
int CursorDisplayCount();

}  // namespace platform_test
