#pragma once

namespace platform {

/// Stand-in for Core Animation's transactions: begin and commit nest, and a transaction may disable
/// actions. The stand-in has no implicit animations, so every layer change shows at once whether or not
/// actions are disabled; the nesting and the flag are kept for the callers that read them. Main thread.
class CATransaction {
public:
    CATransaction() = delete;
    /// Opens a transaction (nested inside any open one).
    static void begin();
    /// Closes the innermost open transaction; nothing when none is open.
    static void commit();
    /// Sets the innermost open transaction's flag (nothing when none is open).
    static void setDisableActions(bool flag);
    /// The innermost open transaction's flag; false outside every transaction.
    static bool disableActions();
    /// Transactions open now.
    static int depth();
};

} // namespace platform
