#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/worm_app.h"
#include "tests/support/platform_hooks.h"
#include "tests/support/display_fixture.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

namespace test {

// Runs the real application object on the dummy video driver with a clock that only the
// test moves: start-up, ticks, pushed input and the exit sequence of the program.
class AppHarness {
public:
    // HOME is a fresh temporary folder until the end.
    explicit AppHarness(const char* videoDriver = "dummy");
    ~AppHarness();
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    // Constructs the application and runs InitInstance; on FALSE, the framework's failed
    // start follows (the main window is destroyed). Returns what InitInstance returned.
    bool Start();
    // Dispatches every waiting message (a due timer included) without moving the clock.
    void Pump();
    // Moves the clock on and dispatches what became due.
    void Advance(DWORD milliseconds);
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) Advance(40);
    }
    // True until the message loop would have ended (WM_QUIT seen).
    bool LoopRunning() const { return started_ && !quit_; }
    // Closes the window if still open, then the program's exit: DirectInput released,
    // then the application object destroyed.
    void Stop();

    // Keeps every message Pump dispatches from now on (off at first: the log grows as it goes).
    void RecordMessages() { recording_ = true; }
    const std::vector<MSG>& Dispatched() const { return dispatched_; }

    CMainFrame* Frame() const;
    std::string Home() const { return home_.Path(); }
    std::string SettingsFolder() const { return home_.Path() + "/.local/share/Tamberlo/lorvex"; }
    std::string SettingsFile() const { return SettingsFolder() + "/settings.ini"; }
    void WriteSettings(const std::string& text);

private:
    TempFolder home_;
    ScopedEnv homeVariable_{"HOME", home_.Path().c_str()};
    ScopedEnv dataHomeVariable_{"XDG_DATA_HOME", nullptr};
    std::unique_ptr<CWormApp> app_;
    bool started_ = false;
    bool stopped_ = false;
    bool quit_ = false;
    bool recording_ = false;
    std::vector<MSG> dispatched_;
};

}  // namespace test
