#include "tests/support/app_harness.h"

#include <sys/stat.h>

namespace test {

AppHarness::AppHarness(const char* videoDriver)
{
    UseHeadlessPlatform(videoDriver);
    platform_test::ResetFaults();
    gLevel = 0;
}

AppHarness::~AppHarness()
{
    Stop();
    platform_test::ResetFaults();
}

bool AppHarness::Start()
{
    app_ = std::make_unique<CWormApp>();
    AfxWinInit("/usr/games/lorvex");
    started_ = true;
    if (app_->InitInstance()) return true;
    if (CWnd* frame = app_->m_pMainWnd) {
        if (!frame->DestroyWindow()) {
            app_->m_pMainWnd = nullptr;
            delete frame;
        }
    }
    quit_ = true;
    return false;
}

void AppHarness::Pump()
{
    MSG msg{};
    // Bounded, so a fault that floods the queue fails the test instead of hanging it.
    for (int i = 0; i < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            quit_ = true;
            return;
        }
        if (recording_) dispatched_.push_back(msg);
        DispatchMessageA(&msg);
    }
}

void AppHarness::Advance(DWORD milliseconds)
{
    platform_test::AdvanceClock(milliseconds);
    Pump();
}

void AppHarness::Stop()
{
    if (!started_ || stopped_) return;
    stopped_ = true;
    if (!quit_ && app_->m_pMainWnd != nullptr) {
        PostMessageA(app_->m_pMainWnd->m_hWnd, WM_CLOSE, 0, 0);
        Pump();
    }
    gDirectInput.Release();
    app_.reset();
}

CMainFrame* AppHarness::Frame() const
{
    return app_ != nullptr ? static_cast<CMainFrame*>(app_->m_pMainWnd) : nullptr;
}

void AppHarness::WriteSettings(const std::string& text)
{
    std::string folder = home_.Path() + "/.local";
    mkdir(folder.c_str(), 0700);
    folder += "/share";
    mkdir(folder.c_str(), 0700);
    folder += "/Tamberlo";
    mkdir(folder.c_str(), 0700);
    mkdir(SettingsFolder().c_str(), 0700);
    WriteFile(SettingsFile(), text);
}

}  // namespace test
