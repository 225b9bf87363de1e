#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/unprivileged.h"

namespace test {

namespace {

// In the child: everything the command asks for, then the program; 126 or 127 when that fails.
int Exec(const Command& command)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const std::string& change : command.env) {
        const std::size_t eq = change.find('=');
        if (eq == std::string::npos) unsetenv(change.c_str());
        else setenv(change.substr(0, eq).c_str(), change.substr(eq + 1).c_str(), 1);
    }
    if (!command.output.empty()) {
        const int fd = open(command.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0) return 126;
    }
    if (command.closeErrors) close(2);
    if (!command.folder.empty() && chdir(command.folder.c_str()) != 0) return 126;
    if (command.unprivileged && !BecomeUnprivileged()) return 126;
    std::vector<char*> argv;
    for (const std::string& arg : command.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    return 127;
}

}  // namespace

Child::Child(const std::function<int()>& body) : pid_(fork())
{
    if (pid_ == 0) _exit(body() & 0xFF);
    ended_ = pid_ < 0;
}

Child::Child(const Command& command) : Child([&command] { return Exec(command); }) {}

Child::~Child()
{
    Stop(SIGKILL);
}

bool Child::Reap(int options)
{
    if (ended_) return true;
    int status = 0;
    rusage usage{};
    const pid_t got = wait4(pid_, &status, options, &usage);
    if (got == 0) return false;
    ended_ = true;
    if (got != pid_) return true;
    ending_.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ending_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    ending_.peakKiB = usage.ru_maxrss;
    return true;
}

bool Child::EndsWithin(int ms)
{
    for (int waited = 0; !Reap(WNOHANG); waited += 10) {
        if (waited >= ms) return false;
        usleep(10 * 1000);
    }
    return true;
}

Ending Child::Stop(int signal)
{
    if (!ended_ && signal != 0) kill(pid_, signal);
    Reap(0);
    return ending_;
}

Ending RunProgram(const Command& command, int limitMs, int signal)
{
    Child child(command);
    if (limitMs > 0 && !child.EndsWithin(limitMs)) return child.Stop(signal);
    return child.Wait();
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (had_) setenv(name_, old_.c_str(), 1);
    else unsetenv(name_);
}

// The server writes its display's number to the pipe once it serves.
Command XServer::MakeCommand(int ready[2])
{
    if (pipe(ready) != 0) ready[0] = ready[1] = -1;
    Command xvfb({"Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp"});
    xvfb.output = "/dev/null";
    return xvfb;
}

XServer::XServer() : server_(MakeCommand(ready_))
{
    close(ready_[1]);
    char number[16] = {};
    if (read(ready_[0], number, sizeof number - 1) > 0) display_ = "DISPLAY=:" + std::to_string(std::atoi(number));
    close(ready_[0]);
}

}  // namespace test
