// What a POSIX process of the game needs around its window: standard streams, termination
// signals, and the display's drivers and their failures.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/internal.h"

namespace {

volatile std::sig_atomic_t gCloseSignalled = 0;
volatile std::sig_atomic_t gEndingSignal = 0;
bool gShutDown = false;   // the run ended normally and took the display down
bool gAbandoned = false;  // the program is being ended from inside a display call

// A loop that has not closed the window this long after a termination signal is stuck.
constexpr unsigned kSecondsToClose = 3;

void CloseOnSignal(int /*signal*/)
{
    gCloseSignalled = 1;
}

void EndAsSignalled(int /*alarm*/)
{
    std::signal(gEndingSignal, SIG_DFL);
    std::raise(gEndingSignal);
}

// SIGTERM, SIGINT, SIGHUP close the window as a close request does. Every setting is written
// when it changes, so the handler has nothing to write: the signal-time writer it once had wrote
// a stale copy over a file the player had changed. A loop stuck in the display (the X server
// stopped), or a second signal, ends the program as the signal would have.
void CloseOnTermination(int signal)
{
    if (gEndingSignal != 0) EndAsSignalled(0);
    gEndingSignal = signal;
    gCloseSignalled = 1;
    std::signal(SIGALRM, EndAsSignalled);
    alarm(kSecondsToClose);
}

// A signal ignored when the game started stays ignored, as whoever started it asked: nohup's
// SIGHUP, or the SIGINT of a shell's background job, once closed the game.
void CatchUnlessIgnored(int signal, void (*handler)(int))
{
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
    std::signal(signal, handler);
}

// The X library ends the program with exit() from inside a call when the display fails it (a
// request refused under a memory limit, a lost connection). The static destructors then called
// SDL on a window half made, and crashed: unless the run ended normally, nothing touches the
// display on the way out.
void AbandonDisplayUnlessShutDown()
{
    if (!gShutDown) gAbandoned = true;
}

// The X library's own handler of a lost connection calls exit(), and the exit path met the dead
// connection again and ran a second time. This one says it once and ends with status 1.
int OnLostConnection(void* /*display*/)
{
    static bool ending = false;
    if (ending) _exit(1);  // met again on the way out
    ending = true;
    gAbandoned = true;
    std::fprintf(stderr, "%s: the connection to the display was lost\n", program_invocation_short_name);
    std::exit(1);
}

// Without XDG_RUNTIME_DIR no Wayland display can be reached, and the Wayland library's own
// complaint about it was the first line a player saw, before the game's own.
bool WaylandUnreachable()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return !(display != nullptr && display[0] == '/') && !(runtime != nullptr && runtime[0] == '/');
}

// Started with a standard stream closed, the next file opened took its number: the display
// connection became descriptor 2, a library's message went into it and the game hung.
void OpenClosedStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1) open("/dev/null", O_RDWR);
}

// A file size limit below the settings file's killed the save half-way: a failed write instead.
void FailWritesPastTheSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool IsUsableDriver(const std::string& name)
{
    if (name == "wayland") return !WaylandUnreachable();
    return name != "offscreen" && name != "dummy" && name != "evdev";
}

}  // namespace

namespace platform {

void PrepareProcess()
{
    static bool prepared = false;
    if (std::exchange(prepared, true)) return;
    OpenClosedStandardStreams();
    // A closed terminal (SIGHUP) ended the game at once: it closes the window as SIGTERM does.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) CatchUnlessIgnored(signal, CloseOnTermination);
    // A broken connection ended the game at once: it closes the window instead.
    CatchUnlessIgnored(SIGPIPE, CloseOnSignal);
    FailWritesPastTheSizeLimit();
    std::atexit(AbandonDisplayUnlessShutDown);
}

bool TakeCloseSignal()
{
    if (gCloseSignalled == 0) return false;
    gCloseSignalled = 0;
    return true;
}

// With no display reachable SDL fell back on a driver that shows nothing, and the game ran on
// unseen: unless SDL_VIDEODRIVER names a driver, only those that open a display are tried.
void ChooseVideoDrivers()
{
    const char* named = SDL_getenv("SDL_VIDEODRIVER");
    if (named != nullptr && *named != '\0') return;
    std::string drivers;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string name = SDL_GetVideoDriver(i);
        if (IsUsableDriver(name)) drivers += (drivers.empty() ? "" : ",") + name;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, drivers.c_str(), SDL_HINT_OVERRIDE);
}

// SDL loads the X library itself, so its handler is set through the library SDL loaded.
void CatchDisplayErrors()
{
    using Handler = int (*)(void*);
    const char* driver = SDL_GetCurrentVideoDriver();
    void* x11 =
        driver != nullptr && std::strcmp(driver, "x11") == 0 ? dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD) : nullptr;
    if (x11 == nullptr) return;
    if (auto set = reinterpret_cast<Handler (*)(Handler)>(dlsym(x11, "XSetIOErrorHandler"))) set(OnLostConnection);
    dlclose(x11);
}

void MarkShutDown()
{
    gShutDown = true;
}

bool DisplayAbandoned()
{
    return gAbandoned;
}

}  // namespace platform
