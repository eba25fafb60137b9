#pragma once
/// How auhost ends on SIGINT, SIGTERM and SIGHUP.

#include <string>

namespace auhost {

/// The handling of SIGINT, SIGTERM and SIGHUP, one for the process. A signal that was ignored when auhost
/// started (SIGHUP under nohup, SIGINT in the background of a script) stays ignored.
///
/// The first signal caught does what setFirstSignal() last chose:
/// - endsAuhost (the default, after install()): it ends auhost at once, inside the handler. The temporary
///   files of the output files being written are removed (OutputFile::removeTemporaries), "auhost: stopped
///   by SIGNAL; WHAT" goes to stderr, and the exit status is 128 + the signal's number.
/// - endsRunLoop, while the run loop runs an editor window: the handler posts to the main queue a work item
///   that ends the run loop (NSApplication::terminate). The program then reads endedRunLoop() and ends as
///   it sees fit, outside the handler.
/// - isRecorded, once the session has ended and its work is being saved: the handler only records it
///   (caught()), so that it never cuts the save short.
///
/// A second signal, SIGINT or SIGTERM after a first was caught, ends auhost at once as above, with its own
/// number: a save that hangs can still be stopped. A second SIGHUP is ignored: a hang-up comes in bursts
/// (a session that ends sends SIGTERM and SIGHUP together; a shell passes on its own SIGHUP after the
/// terminal's), and none of them asks to give up what the first let finish.
///
/// The handler's work runs on the main thread: a signal caught on another thread is sent on to it.
/// Main thread only.
class Interruption {
public:
    /// Installs the handlers (the first call) and sets WHAT, the rest of the message of an ending at once.
    static void install(const std::string& what);
    /// What the first signal caught does.
    enum class FirstSignal { endsAuhost, endsRunLoop, isRecorded };
    /// Chooses what the first signal does from now on (endsAuhost until this is called).
    static void setFirstSignal(FirstSignal what);
    /// The first signal caught, 0 when none came.
    static int caught() noexcept;
    /// The first signal when the run loop ran its work item (the signal ended the session, or came in the
    /// same turn as what did), else 0: none came, or the run loop had returned before it.
    static int endedRunLoop() noexcept;
    /// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
    static std::string name(int signal);
};

} // namespace auhost
