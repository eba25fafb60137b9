#pragma once
/// Stand-in for the platform's main dispatch queue: a fixed-capacity, lock-free, multi-producer queue of
/// small callables, drained on the main thread by the run loop of the user-interface back end.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

namespace platform {

/// The main queue (`DispatchQueue.main`). Any thread may post to it, the real-time render thread
/// included: `async` never allocates, never locks and never waits. Work items are callables of at most
/// `inlineBytes` bytes (a lambda capturing a few pointers, a weak or shared pointer), moved into inline
/// storage of a slot of a ring of `capacity` slots (bounded multi-producer ring with per-slot sequence
/// numbers). Only the main thread drains it, running the items in the order their posts took a slot.
///
/// A post into a full queue returns false and keeps nothing: the caller loses that work item and must
/// not count on it running. Posting an idempotent item (such as a full refresh of a panel from current
/// values) loses nothing then, since the items still queued do the same work later.
///
/// A signal handler may post too, an item that is built without allocating (a lambda without captures):
/// the post is lock-free, so it may interrupt any code of the main thread, a post or a drain included.
///
/// Waking: while the run loop sleeps it polls `wakeDescriptor()` (an eventfd). The first post that lands
/// while the loop has announced it sleeps (`prepareToSleep`) writes to the descriptor, without blocking
/// (EFD_NONBLOCK; a full counter is as good as a wake-up); no other post makes a system call.
class DispatchQueue {
public:
    /// Slots in the ring; a post beyond this many undrained items fails.
    static constexpr std::size_t capacity = 1024;
    /// Largest callable a slot holds inline.
    static constexpr std::size_t inlineBytes = 64;

    /// The process's main queue: one object per process, constant-initialised, so that no post from any
    /// thread ever runs an initialisation guard.
    static DispatchQueue& main() noexcept { return mainQueue_; }

    /// Queues `work` to run on the main thread at the next drain. Real-time safe: no allocation, lock,
    /// wait or (unless the run loop sleeps) system call; `work` is moved into the slot, so its own move
    /// must not allocate. Returns false, keeping nothing, when the queue is full.
    template <typename F> bool async(F&& work) noexcept {
        using Work = std::decay_t<F>;
        static_assert(sizeof(Work) <= inlineBytes, "work item too large for the queue's inline storage");
        static_assert(alignof(Work) <= alignof(std::max_align_t), "work item over-aligned");
        static_assert(std::is_nothrow_move_constructible_v<Work> ||
                          std::is_nothrow_copy_constructible_v<Work>,
                      "work item must move without throwing");
        static_assert(std::is_invocable_v<Work&>, "work item must be callable without arguments");
        std::size_t position = 0;
        Slot* slot = claimSlot(position);
        if (slot == nullptr) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        ::new (static_cast<void*>(slot->storage)) Work(std::forward<F>(work));
        slot->run = [](void* p) { (*static_cast<Work*>(p))(); };
        slot->destroy = [](void* p) { static_cast<Work*>(p)->~Work(); };
        publish(slot, position);
        return true;
    }

    /// Runs, on the calling (main) thread, the items queued before the call and returns how many ran.
    /// Items that these post run at the next drain, so a drain always ends. Allocates what the items do.
    std::size_t drain();
    /// True when no item waits (an item whose post is still under way counts as waiting). Main thread.
    bool empty() const noexcept;
    /// Items refused because the queue was full, since the process started.
    std::size_t droppedCount() const noexcept { return dropped_.load(std::memory_order_relaxed); }

    /// The eventfd that a sleeping run loop polls for readability beside its other descriptors, made on
    /// first use; -1 when the system refused to make one (then the loop must not sleep longer than a short
    /// timeout). Main thread.
    int wakeDescriptor() noexcept;
    /// Called by the run loop just before it polls: from now on the first post writes the descriptor.
    /// Returns false when items already wait (the loop must not sleep then; the flag is cleared).
    bool prepareToSleep() noexcept;
    /// Called by the run loop after its poll returns: clears the flag and empties the descriptor.
    void finishSleeping() noexcept;

    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;
    ~DispatchQueue();

private:
    // A slot's sequence number, less its index (so that every slot starts at zero): the slot is free for
    // the post at position p when sequence + index == p, and holds that post's item when it is p + 1.
    struct Slot {
        std::atomic<std::size_t> sequence{0};
        void (*run)(void*) = nullptr;
        void (*destroy)(void*) = nullptr;
        alignas(std::max_align_t) unsigned char storage[inlineBytes]{};
    };

    constexpr DispatchQueue() = default;
    Slot* claimSlot(std::size_t& position) noexcept;
    void publish(Slot* slot, std::size_t position) noexcept;

    static DispatchQueue mainQueue_;

    static_assert(std::atomic<std::size_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free &&
                      std::atomic<int>::is_always_lock_free,
                  "posts from signal handlers");
    Slot slots_[capacity]{};
    alignas(64) std::atomic<std::size_t> enqueuePosition_{0};
    alignas(64) std::size_t dequeuePosition_ = 0;
    std::atomic<bool> sleeping_{false};
    std::atomic<std::size_t> dropped_{0};
    std::atomic<int> wakeFd_{-1};
    bool wakeFdTried_ = false;
};

} // namespace platform
