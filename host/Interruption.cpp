#include "host/Interruption.h"

#include "support/OutputFile.h"
#include "support/SignalsBlocked.h"
#include "ui/DispatchQueue.h"
#include "ui/NSApplication.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <pthread.h>
#include <unistd.h>

namespace auhost {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "read and written by the signal handler");
using FirstSignal = Interruption::FirstSignal;
static_assert(std::atomic<FirstSignal>::is_always_lock_free, "read by the signal handler");
std::atomic<int> firstSignal{0};
std::atomic<FirstSignal> firstSignalDoes{FirstSignal::endsAuhost};
/// Set by the work item that the first signal posts, on the main thread.
int runLoopEndedBy = 0;
pid_t mainThread = 0;
/// "auhost: stopped by SIGINT; WHAT\n" for each signal of kSignals; written only while the main thread
/// blocks them, read only by the handler on the main thread. Never destroyed: a signal may come while
/// the process ends.
std::string* const messages = new std::string[std::size(kSignals)];

/// Ends the process now: async-signal-safe calls only.
[[noreturn]] void endNow(int signal) {
    platform::support::OutputFile::removeTemporaries();
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (kSignals[i] == signal) {
            [[maybe_unused]] const ssize_t written =
                ::write(STDERR_FILENO, messages[i].data(), messages[i].size());
        }
    }
    ::_exit(128 + signal);
}

void onSignal(int signal) {
    const int savedErrno = errno;
    if (::gettid() != mainThread) {
        // The main thread blocks these signals while it changes what the handler reads: send it on there.
        ::tgkill(::getpid(), mainThread, signal);
    } else if (int none = 0; firstSignal.compare_exchange_strong(none, signal)) {
        switch (firstSignalDoes.load()) {
        case FirstSignal::endsAuhost:
            endNow(signal);
        case FirstSignal::endsRunLoop:
            // Posting is lock-free and allocates nothing, so it may interrupt the main thread anywhere, even
            // in a post or a drain of its own. A full queue leaves only the ending at once.
            if (!platform::DispatchQueue::main().async([] {
                    runLoopEndedBy = firstSignal.load();
                    platform::NSApplication::shared().terminate();
                })) {
                endNow(signal);
            }
            break;
        case FirstSignal::isRecorded:
            break;
        }
    } else if (signal != SIGHUP) {
        endNow(signal);
    }
    errno = savedErrno;
}

} // namespace

void Interruption::install(const std::string& what) {
    const platform::support::SignalsBlocked blocked;
    // A progress bar may hold the terminal's line: the message takes it over.
    const std::string start = ::isatty(STDERR_FILENO) != 0 ? "\r\033[K" : "";
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        messages[i] =
            start + "auhost: stopped by " + name(kSignals[i]) + (what.empty() ? "" : "; " + what) + "\n";
    }
    if (mainThread != 0) {
        return;
    }
    mainThread = ::gettid();
    for (const int s : kSignals) {
        struct sigaction previous {};
        if (::sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = onSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int other : kSignals) {
            sigaddset(&action.sa_mask, other);
        }
        ::sigaction(s, &action, nullptr);
    }
}

void Interruption::setFirstSignal(FirstSignal what) {
    firstSignalDoes.store(what);
}

int Interruption::caught() noexcept {
    return firstSignal.load();
}

int Interruption::endedRunLoop() noexcept {
    return runLoopEndedBy;
}

std::string Interruption::name(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(signal);
    }
}

} // namespace auhost
