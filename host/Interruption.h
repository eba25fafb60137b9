#pragma once
/// How auhost ends on SIGINT, SIGTERM and SIGHUP.

#include <string>

namespace auhost {

/// The handling of SIGINT, SIGTERM and SIGHUP, one for the process. A signal that was ignored when auhost
/// started (SIGHUP under nohup, SIGINT in the background of a script) stays ignored. The first signal
/// caught decides how auhost ends; those that follow it are ignored.
///
/// - By default (after install()) a signal ends auhost at once, inside the handler: the temporary files of
///   the output files being written are removed (OutputFile::removeTemporaries), "auhost: stopped by
///   SIGNAL; WHAT" goes to stderr, and the exit status is 128 + the signal's number.
/// - While the run loop runs an editor window (relayToRunLoop(true)), the handler only records the signal
///   and posts to the main queue a work item that ends the run loop (NSApplication::terminate); the
///   program then reads caught() and ends as it sees fit, outside the handler.
///
/// The handler's work runs on the main thread: a signal caught on another thread is sent on to it.
/// Main thread only.
class Interruption {
public:
    /// Installs the handlers (the first call) and sets WHAT, the rest of the message of an ending at once.
    static void install(const std::string& what);
    /// Whether signals end the run loop instead of the process.
    static void relayToRunLoop(bool relay);
    /// The first signal caught, 0 when none came.
    static int caught() noexcept;
    /// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
    static std::string name(int signal);
};

} // namespace auhost
