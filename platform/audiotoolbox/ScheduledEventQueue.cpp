#include "audiotoolbox/ScheduledEventQueue.h"

#include <cstdint>

namespace platform {

namespace {
constexpr std::size_t mask = ScheduledEventQueue::capacity - 1;
static_assert((ScheduledEventQueue::capacity & mask) == 0, "the capacity must be a power of two");
} // namespace

ScheduledEventQueue::ScheduledEventQueue()
    : cells_(std::make_unique<Cell[]>(capacity)), list_(std::make_unique<AURenderEvent[]>(capacity)) {
    for (std::size_t i = 0; i < capacity; ++i) {
        cells_[i].sequence.store(i, std::memory_order_relaxed);
    }
}

// Each cell's sequence number says whose turn it is: equal to a producer's position, the cell is
// free for that producer; one more than a consumer's position, it holds that position's event.
bool ScheduledEventQueue::push(AUEventSampleTime eventSampleTime, AUAudioFrameCount rampDurationSampleFrames,
                               AUParameterAddress address, AUValue value) noexcept {
    std::size_t position = enqueuePosition_.load(std::memory_order_relaxed);
    Cell* cell = nullptr;
    for (;;) {
        cell = &cells_[position & mask];
        const std::size_t sequence = cell->sequence.load(std::memory_order_acquire);
        const auto difference = static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position);
        if (difference == 0) {
            if (enqueuePosition_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                break;
            }
        } else if (difference < 0) {
            return false; // full
        } else {
            position = enqueuePosition_.load(std::memory_order_relaxed);
        }
    }
    AUParameterEvent& event = cell->event;
    event.next = nullptr;
    event.eventSampleTime = eventSampleTime;
    event.eventType = rampDurationSampleFrames > 0 ? AURenderEventParameterRamp : AURenderEventParameter;
    event.reserved[0] = event.reserved[1] = event.reserved[2] = 0;
    event.rampDurationSampleFrames = rampDurationSampleFrames;
    event.parameterAddress = address;
    event.value = value;
    cell->sequence.store(position + 1, std::memory_order_release);
    return true;
}

bool ScheduledEventQueue::pop(AUParameterEvent& event) noexcept {
    const std::size_t position = dequeuePosition_.load(std::memory_order_relaxed);
    Cell& cell = cells_[position & mask];
    if (cell.sequence.load(std::memory_order_acquire) != position + 1) {
        return false; // empty, or the producer of this position has not finished writing
    }
    event = cell.event;
    cell.sequence.store(position + capacity, std::memory_order_release);
    dequeuePosition_.store(position + 1, std::memory_order_relaxed);
    return true;
}

const AURenderEvent* ScheduledEventQueue::takeEventList() noexcept {
    std::size_t count = 0;
    AUParameterEvent event{};
    while (count < capacity && pop(event)) {
        list_[count].parameter = event;
        if (count > 0) {
            list_[count - 1].parameter.next = &list_[count];
        }
        ++count;
    }
    return count > 0 ? &list_[0] : nullptr;
}

void ScheduledEventQueue::clear() noexcept {
    AUParameterEvent discarded{};
    while (pop(discarded)) {
    }
}

} // namespace platform
