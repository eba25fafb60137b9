#pragma once
/// The observers of a parameter tree: added and removed on control threads while any thread,
/// the render thread included, notifies them.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "audiotoolbox/AudioUnitTypes.h"

namespace platform {

/// An observer of parameter changes: the parameter's address and its new value.
using AUParameterObserver = std::function<void(AUParameterAddress address, AUValue value)>;

/// A fixed number of observer slots, each an atomic pointer to an immutable record. Notifying takes
/// no lock, allocates nothing and never waits; adding and removing take a lock among themselves, and
/// removal waits on the remover's side until no notification on another thread still uses the record.
class ParameterObserverList {
public:
    /// The most observers a tree holds at once.
    static constexpr std::size_t capacity = 32;

    ParameterObserverList() = default;
    ParameterObserverList(const ParameterObserverList&) = delete;
    ParameterObserverList& operator=(const ParameterObserverList&) = delete;
    /// Frees every record. No notification may be running (its tree is being destroyed).
    ~ParameterObserverList();

    /// Adds an observer and returns its token, or null when all slots are taken or the observer is
    /// empty. Allocates and takes a lock (held briefly, never while waiting); not for the render thread.
    AUParameterObserverToken add(AUParameterObserver observer);

    /// Removes the observer with this token; unknown or null tokens are ignored. From then on no
    /// notification that starts calls it; before returning, waits (on this thread, yielding) for
    /// notifications on other threads that are still calling it. Removed from inside its own call,
    /// it cannot be freed at once: it is freed by a later add or remove, or with the list. Two observers
    /// running on two threads that each remove the other would wait for each other: don't.
    /// Takes a lock; may wait; frees. Not for the render thread.
    void remove(AUParameterObserverToken token);

    /// Calls every observer except the one whose token is `originator`, in slot order, on this thread.
    /// Real-time safe: no lock, no allocation, no waiting. Observers must not throw.
    void notify(AUParameterAddress address, AUValue value,
                AUParameterObserverToken originator) const noexcept;

private:
    struct Record {
        AUParameterObserver observer;
        AUParameterObserverToken token;
    };
    struct Slot {
        std::atomic<Record*> record{nullptr};
        /// Notifications that have entered this slot and not left it yet.
        mutable std::atomic<std::uint32_t> inFlight{0};
        /// Incremented at every add into this slot (under the lock); part of the token.
        std::uint32_t generation = 0;
    };
    struct Retired {
        std::size_t slot;
        Record* record;
    };

    /// Frees retired records whose slot has no notification in flight. Call with the lock held.
    void collectRetired();
    /// Notifications of `slot` running on the calling thread (they enclose the caller).
    std::uint32_t ownNotifications(const Slot& slot) const noexcept;

    std::array<Slot, capacity> slots_{};
    std::mutex controlMutex_;
    std::vector<Retired> retired_;
};

} // namespace platform
