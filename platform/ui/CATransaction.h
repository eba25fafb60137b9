#pragma once

namespace platform {

/// Stand-in for Core Animation's transactions. The stand-in has no implicit animations, so every layer
/// change shows at once whether or not a transaction disables actions: opening, closing and the flag
/// change nothing. Main thread.
class CATransaction {
public:
    CATransaction() = delete;
    /// Opens a transaction (nested inside any open one).
    static void begin() {}
    /// Closes the innermost open transaction.
    static void commit() {}
    /// Sets the innermost open transaction's disable-actions flag.
    static void setDisableActions(bool) {}
};

} // namespace platform
