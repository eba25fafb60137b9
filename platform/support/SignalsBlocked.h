#pragma once

#include <csignal>
#include <pthread.h>

namespace platform::support {

/// Every signal blocked in the calling thread for the scope's lifetime, so that a handler never sees the
/// state that the scope changes half made (a temporary file created but not yet listed, say).
class SignalsBlocked {
public:
    SignalsBlocked() noexcept {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

} // namespace platform::support
