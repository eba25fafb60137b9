#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace quorbel::test {

/// A program that a test starts (on a test's X server, say) and waits for: its output goes to a file the
/// test can read; the destructor ends it when it still runs (SIGTERM, then SIGKILL), and it also ends when
/// the thread that started it dies.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Starts `argv[0]` (a path, or a name looked up in PATH) with `argv`, in this process's environment
    /// with `environment` ("NAME=value", replacing any NAME) on top, with the default handling of SIGINT,
    /// SIGTERM, SIGHUP and SIGQUIT and no signal blocked; the descriptor `inherit`, when not -1, stays open
    /// in the program. False when it cannot be started.
    bool start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
               int inherit = -1);
    /// Waits up to `timeoutSeconds` for the program to end: its exit status, 128 + the signal's number
    /// when a signal ended it, -1 when it still runs.
    int wait(double timeoutSeconds);
    /// Ends the program if it still runs, and waits for it.
    void stop();
    pid_t pid() const { return pid_; }
    /// Sends `signal` to the program while it runs (never once it has been waited for, when pid() is -1,
    /// which kill() would take as every process); false when it does not run.
    bool signal(int signal);
    bool running() const { return pid_ > 0; }
    /// What the program printed on stdout and stderr so far.
    std::string output() const;

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string outputPath_;
};

} // namespace quorbel::test
