#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace quorbel::test {

bool ChildProcess::start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         int inherit) {
    stop();
    if (argv.empty()) {
        return false;
    }
    char outputTemplate[] = "/tmp/quorbel-child-XXXXXX";
    const int output = mkostemp(outputTemplate, O_CLOEXEC);
    if (output < 0) {
        return false;
    }
    outputPath_ = outputTemplate;

    // Everything the child needs is made before fork: between fork and exec it may only make system calls.
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string variable = *e;
        const std::string name = variable.substr(0, variable.find('=') + 1);
        bool replaced = false;
        for (const std::string& extra : environment) {
            replaced = replaced || extra.compare(0, name.size(), name) == 0;
        }
        if (!replaced) {
            variables.push_back(variable);
        }
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    for (std::string& v : variables) {
        envp.push_back(v.data());
    }
    args.push_back(nullptr);
    envp.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(output);
        return false;
    }
    if (pid == 0) {
        // The program goes when the thread that started it goes, even by SIGKILL.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(1);
        }
        // The program starts as from a shell in the foreground, whatever the test's own signal settings (a
        // test run in the background of a script ignores SIGINT): default handling, nothing blocked.
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            sigaction(s, &defaults, nullptr);
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        if (inherit >= 0) {
            fcntl(inherit, F_SETFD, 0);
        }
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(output);
    pid_ = pid;
    status_ = -1;
    return true;
}

int ChildProcess::wait(double timeoutSeconds) {
    if (pid_ <= 0) {
        return status_;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool ChildProcess::signal(int signal) {
    return pid_ > 0 && kill(pid_, signal) == 0;
}

void ChildProcess::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (wait(5) < 0) {
            kill(pid_, SIGKILL);
            wait(60);
        }
    }
    if (!outputPath_.empty()) {
        unlink(outputPath_.c_str());
        outputPath_.clear();
    }
}

std::string ChildProcess::output() const {
    std::ifstream in(outputPath_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace quorbel::test
