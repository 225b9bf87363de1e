#include "tests/support/app_harness.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <ftw.h>

#include "gfx/display.h"

// The program defines this beside its application object; the tests keep their own.
DirectInputHolder gDirectInput;

namespace test {

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    chmod(path, 0700);
    return remove(path);
}

}  // namespace

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/lorvex-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "/tmp";
}

TempFolder::~TempFolder()
{
    if (path_ != "/tmp") nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

AppHarness::AppHarness()
{
    UseHeadlessPlatform();
    setenv("HOME", home_.Path().c_str(), 1);
    unsetenv("XDG_DATA_HOME");
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
