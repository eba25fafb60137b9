#pragma once
/// The parameter events that hosts schedule for a unit, handed to its render thread.

#include <atomic>
#include <cstddef>
#include <memory>

#include "audiotoolbox/AURenderEvent.h"

namespace platform {

/// A bounded lock-free queue of parameter events (a sequence-numbered ring: any number of
/// producers, one consumer at a time), and a preallocated list into which the consumer drains it.
/// Producers never wait; the consumer never waits nor allocates.
class ScheduledEventQueue {
public:
    /// The most events that can wait for the next slice; further events are dropped.
    static constexpr std::size_t capacity = 1024;

    /// Allocates the ring and the list.
    ScheduledEventQueue();
    ScheduledEventQueue(const ScheduledEventQueue&) = delete;
    ScheduledEventQueue& operator=(const ScheduledEventQueue&) = delete;

    /// Queues a parameter event (type 2 when `rampDurationSampleFrames` is above 0, else type 1).
    /// Returns false, dropping the event, when the queue is full. Any thread; lock-free.
    bool push(AUEventSampleTime eventSampleTime, AUAudioFrameCount rampDurationSampleFrames,
              AUParameterAddress address, AUValue value) noexcept;

    /// Moves the queued events, in queue order, into the preallocated list and returns its head
    /// (null when none). The list is valid until the next call. Consumer only; real-time safe.
    const AURenderEvent* takeEventList() noexcept;

    /// Discards the queued events. Consumer only (while no render runs); real-time safe.
    void clear() noexcept;

private:
    struct Cell {
        std::atomic<std::size_t> sequence{0};
        AUParameterEvent event{};
    };

    bool pop(AUParameterEvent& event) noexcept;

    std::unique_ptr<Cell[]> cells_;
    std::unique_ptr<AURenderEvent[]> list_;
    alignas(64) std::atomic<std::size_t> enqueuePosition_{0};
    alignas(64) std::atomic<std::size_t> dequeuePosition_{0};
};

} // namespace platform
