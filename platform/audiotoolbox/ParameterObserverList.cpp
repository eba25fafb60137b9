#include "audiotoolbox/ParameterObserverList.h"

#include <thread>

namespace platform {
namespace {

/// One notification in progress on this thread: a stack of frames lives on the notifying threads'
/// stacks, so that a removal can tell the calls that enclose it from those on other threads.
struct NotificationFrame {
    const void* slot;
    const NotificationFrame* outer;
};

// Initial-exec TLS: reading it never allocates, even in a library opened with dlopen.
[[gnu::tls_model("initial-exec")]] thread_local const NotificationFrame* currentNotification = nullptr;

constexpr unsigned slotBits = 6; // capacity 32 fits in 6 bits
static_assert(ParameterObserverList::capacity < (1u << slotBits));

AUParameterObserverToken makeToken(std::size_t slot, std::uint32_t generation) noexcept {
    const std::uintptr_t bits = (static_cast<std::uintptr_t>(generation) << slotBits) | slot;
    return reinterpret_cast<AUParameterObserverToken>(bits);
}

std::size_t tokenSlot(AUParameterObserverToken token) noexcept {
    return reinterpret_cast<std::uintptr_t>(token) & ((std::uintptr_t{1} << slotBits) - 1);
}

} // namespace

ParameterObserverList::~ParameterObserverList() {
    for (Slot& slot : slots_) {
        delete slot.record.load(std::memory_order_acquire);
    }
    for (const Retired& r : retired_) {
        delete r.record;
    }
}

AUParameterObserverToken ParameterObserverList::add(AUParameterObserver observer) {
    if (!observer) {
        return nullptr;
    }
    std::lock_guard lock(controlMutex_);
    collectRetired();
    for (std::size_t i = 0; i < capacity; ++i) {
        Slot& slot = slots_[i];
        if (slot.record.load(std::memory_order_relaxed) != nullptr) {
            continue;
        }
        // Generation 0 is skipped so that no token is null.
        if (++slot.generation == 0) {
            slot.generation = 1;
        }
        auto* record = new Record{std::move(observer), makeToken(i, slot.generation)};
        slot.record.store(record, std::memory_order_seq_cst);
        return record->token;
    }
    return nullptr;
}

void ParameterObserverList::remove(AUParameterObserverToken token) {
    if (token == nullptr) {
        return;
    }
    const std::size_t index = tokenSlot(token);
    if (index >= capacity) {
        return;
    }
    Slot& slot = slots_[index];
    Record* record = nullptr;
    {
        std::lock_guard lock(controlMutex_);
        Record* current = slot.record.load(std::memory_order_relaxed);
        if (current == nullptr || current->token != token) {
            return;
        }
        // After this exchange no notification that enters the slot can see the record.
        record = slot.record.exchange(nullptr, std::memory_order_seq_cst);
        const std::uint32_t own = ownNotifications(slot);
        if (own > 0) {
            // Removed from inside its own call on this thread: the record is still executing.
            retired_.push_back(Retired{index, record});
            return;
        }
    }
    // Notifications that entered before the exchange may still be calling the record: wait for them
    // here, without the lock, so that an observer that adds or removes observers cannot deadlock us.
    while (slot.inFlight.load(std::memory_order_seq_cst) != 0) {
        std::this_thread::yield();
    }
    delete record;
    std::lock_guard lock(controlMutex_);
    collectRetired();
}

void ParameterObserverList::notify(AUParameterAddress address, AUValue value,
                                   AUParameterObserverToken originator) const noexcept {
    for (const Slot& slot : slots_) {
        // A cheap look first; a record added concurrently may be missed, which is allowed.
        if (slot.record.load(std::memory_order_relaxed) == nullptr) {
            continue;
        }
        // Enter the slot before loading the record (both sequentially consistent): a remover that
        // exchanged the record out either is seen here as null or sees this entry and waits.
        slot.inFlight.fetch_add(1, std::memory_order_seq_cst);
        const Record* record = slot.record.load(std::memory_order_seq_cst);
        if (record != nullptr && record->token != originator) {
            const NotificationFrame frame{&slot, currentNotification};
            currentNotification = &frame;
            record->observer(address, value);
            currentNotification = frame.outer;
        }
        slot.inFlight.fetch_sub(1, std::memory_order_release);
    }
}

void ParameterObserverList::collectRetired() {
    for (std::size_t i = 0; i < retired_.size();) {
        const Slot& slot = slots_[retired_[i].slot];
        if (ownNotifications(slot) == 0 && slot.inFlight.load(std::memory_order_seq_cst) == 0) {
            delete retired_[i].record;
            retired_[i] = retired_.back();
            retired_.pop_back();
        } else {
            ++i;
        }
    }
}

std::uint32_t ParameterObserverList::ownNotifications(const Slot& slot) const noexcept {
    std::uint32_t count = 0;
    for (const NotificationFrame* f = currentNotification; f != nullptr; f = f->outer) {
        if (f->slot == &slot) {
            ++count;
        }
    }
    return count;
}

} // namespace platform
