#pragma once

#include <sys/types.h>

#include <csignal>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace test {

// How a child process ended.
struct Ending {
    int status = -1;   // its exit code; -1 when a signal ended it or it never ran
    int signal = 0;    // the signal that ended it
    long peakKiB = 0;  // the most memory it held resident
};

// A program run without a shell, on SDL's dummy drivers unless its changes say otherwise.
struct Command {
    Command(std::vector<std::string> args, std::vector<std::string> changes = {})
        : argv(std::move(args)), env(std::move(changes))
    {
    }

    std::vector<std::string> argv;  // argv[0]: the program's path, or a name looked up on PATH
    std::vector<std::string> env;   // changes: "NAME=value" sets, "NAME" unsets
    std::string folder;             // the working folder, else the test's own
    std::string output;             // the file that takes standard output and error, else the test's own
    bool closeErrors = false;       // standard error closed
    bool unprivileged = false;      // as the user RunUnprivileged runs as
};

// A forked child running a function, whose result (0..255) is its exit code, or a command;
// killed if it still runs at destruction.
class Child {
public:
    explicit Child(const std::function<int()>& body);
    explicit Child(const Command& command);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }
    // True once it has ended, waiting at most `ms` for that.
    bool EndsWithin(int ms);
    // Sends `signal` unless it has ended already, then waits for the end.
    Ending Stop(int signal = SIGTERM);
    Ending Wait() { return Stop(0); }

private:
    bool Reap(int options);

    pid_t pid_ = -1;
    bool ended_ = false;
    Ending ending_;
};

// Runs the command to its end; with a time limit, sends `signal` when it still runs by then.
Ending RunProgram(const Command& command, int limitMs = 0, int signal = SIGTERM);

// An Xvfb server of the test's own, on a free display; Display() is empty when none could start.
class XServer {
public:
    XServer();
    ~XServer() { server_.Stop(); }

    std::string Display() const { return display_; }  // "DISPLAY=:N"
    pid_t Pid() const { return server_.Pid(); }

private:
    static Command MakeCommand(int ready[2]);
    int ready_[2] = {-1, -1};
    Child server_;
    std::string display_;
};

// Sets an environment variable (or unsets it, for nullptr) until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace test
