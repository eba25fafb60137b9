#include "ui/DispatchQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

constinit DispatchQueue DispatchQueue::mainQueue_;

DispatchQueue::~DispatchQueue() {
    // Items still queued when the process ends are destroyed without running, so that what they hold is
    // released.
    for (;;) {
        const std::size_t index = dequeuePosition_ % capacity;
        Slot& slot = slots_[index];
        if (slot.sequence.load(std::memory_order_acquire) + index != dequeuePosition_ + 1) {
            break;
        }
        slot.destroy(slot.storage);
        ++dequeuePosition_;
    }
    const int fd = wakeFd_.load(std::memory_order_relaxed);
    if (fd >= 0) {
        close(fd);
    }
}

DispatchQueue::Slot* DispatchQueue::claimSlot(std::size_t& position) noexcept {
    std::size_t pos = enqueuePosition_.load(std::memory_order_relaxed);
    for (;;) {
        const std::size_t index = pos % capacity;
        Slot& slot = slots_[index];
        const std::size_t sequence = slot.sequence.load(std::memory_order_acquire) + index;
        const auto difference = static_cast<std::intptr_t>(sequence - pos);
        if (difference == 0) {
            if (enqueuePosition_.compare_exchange_weak(pos, pos + 1, std::memory_order_seq_cst,
                                                       std::memory_order_relaxed)) {
                position = pos;
                return &slot;
            }
        } else if (difference < 0) {
            return nullptr; // the slot still holds the item of the previous lap: full
        } else {
            pos = enqueuePosition_.load(std::memory_order_relaxed);
        }
    }
}

void DispatchQueue::publish(Slot* slot, std::size_t position) noexcept {
    slot->sequence.store(position + 1 - position % capacity, std::memory_order_release);
    // Pairs with prepareToSleep: either the sleeper sees this item, or this post sees it asleep.
    if (sleeping_.load(std::memory_order_seq_cst) && sleeping_.exchange(false, std::memory_order_seq_cst)) {
        const int fd = wakeFd_.load(std::memory_order_acquire);
        if (fd >= 0) {
            const std::uint64_t one = 1;
            // Non-blocking: a counter that is already full (EAGAIN) wakes the loop just as well.
            [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
        }
    }
}

std::size_t DispatchQueue::drain() {
    const std::size_t end = enqueuePosition_.load(std::memory_order_acquire);
    std::size_t ran = 0;
    while (dequeuePosition_ != end) {
        const std::size_t index = dequeuePosition_ % capacity;
        Slot& slot = slots_[index];
        if (slot.sequence.load(std::memory_order_acquire) + index != dequeuePosition_ + 1) {
            break; // a post that took this slot has not finished writing it; it runs at the next drain
        }
        const std::size_t position = dequeuePosition_;
        ++dequeuePosition_;
        ++ran;
        // The slot is released after its item ran (its storage stays valid while it runs), even when the
        // item throws.
        struct Release {
            Slot& slot;
            std::size_t value;
            ~Release() {
                slot.destroy(slot.storage);
                slot.sequence.store(value, std::memory_order_release);
            }
        } release{slot, position + capacity - index};
        slot.run(slot.storage);
    }
    return ran;
}

bool DispatchQueue::empty() const noexcept {
    return enqueuePosition_.load(std::memory_order_seq_cst) == dequeuePosition_;
}

int DispatchQueue::wakeDescriptor() noexcept {
    if (!wakeFdTried_) {
        wakeFdTried_ = true;
        wakeFd_.store(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC), std::memory_order_release);
    }
    return wakeFd_.load(std::memory_order_relaxed);
}

bool DispatchQueue::prepareToSleep() noexcept {
    (void)wakeDescriptor();
    sleeping_.store(true, std::memory_order_seq_cst);
    if (!empty()) {
        sleeping_.store(false, std::memory_order_relaxed);
        return false;
    }
    return true;
}

void DispatchQueue::finishSleeping() noexcept {
    sleeping_.store(false, std::memory_order_relaxed);
    const int fd = wakeFd_.load(std::memory_order_relaxed);
    if (fd >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
    }
}

} // namespace platform
