#pragma once
#include "support/ChildProcess.h"

#include <string>

namespace quorbel::test {

/// An Xvfb server of the test's own, on the first free display: Xvfb picks the number itself and writes it
/// to a pipe once it accepts connections (-displayfd), so parallel tests never collide. The destructor
/// ends it. The server also ends when the thread that started it dies, however it dies (the kernel sends
/// it SIGTERM then), so a crashed or killed test leaves no server behind.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// Starts a server with one screen of `width` x `height` pixels, 24-bit colour, and waits until it
    /// accepts connections. False, with a message in error(), when it cannot.
    bool start(int width = 1280, int height = 1024, double timeoutSeconds = 20);
    /// Ends the server (SIGTERM, then SIGKILL when it lingers) and waits for it.
    void stop();
    bool running() const { return server_.running(); }
    /// The display's name, ":N".
    const std::string& displayName() const { return display_; }
    /// Why start() failed, with what the server printed.
    const std::string& error() const { return error_; }

    /// The process's shared server, started at the first call, with DISPLAY set to it, ended at exit. A
    /// process that uses it and a user-interface back end should call this before anything else of X.
    static XvfbServer& shared();

private:
    ChildProcess server_;
    std::string display_;
    std::string error_;
};

} // namespace quorbel::test
