#include "support/XvfbServer.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace quorbel::test {

bool XvfbServer::start(int width, int height, double timeoutSeconds) {
    stop();
    error_.clear();
    int ready[2] = {-1, -1};
    if (pipe2(ready, O_CLOEXEC) != 0) {
        error_ = "cannot make a pipe for the server";
        return false;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = server_.start({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                        screen, "-nolisten", "tcp", "-noreset", "-nocursor"},
                                       {}, ready[1]);
    close(ready[1]);

    // The server writes its display number and a newline once it accepts connections; the pipe closes
    // early when it ends first.
    std::string number;
    bool complete = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (started && !complete) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd descriptor{ready[0], POLLIN, 0};
        char c = 0;
        if (left.count() <= 0 || poll(&descriptor, 1, static_cast<int>(left.count())) <= 0 ||
            read(ready[0], &c, 1) != 1) {
            break;
        }
        complete = c == '\n';
        if (!complete) {
            number += c;
        }
    }
    close(ready[0]);
    if (!complete || number.empty()) {
        const std::string printed = server_.output();
        stop();
        error_ = "Xvfb did not start (is the xvfb package installed? scripts/install-deps.sh installs it)";
        if (!printed.empty()) {
            error_ += "; it printed:\n" + printed;
        }
        return false;
    }
    display_ = ":" + number;
    return true;
}

void XvfbServer::stop() {
    server_.stop();
    display_.clear();
}

XvfbServer& XvfbServer::shared() {
    static XvfbServer server;
    static const bool started = [] {
        // Tests drive the server from connections of their own on other threads too.
        XInitThreads();
        if (!server.start()) {
            return false;
        }
        setenv("DISPLAY", server.displayName().c_str(), 1);
        return true;
    }();
    (void)started;
    return server;
}

} // namespace quorbel::test
