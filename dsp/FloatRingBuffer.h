#pragma once
#include <cstdint>
#include <vector>

namespace quorbel {

/// Fixed-capacity FIFO of 32-bit float samples. Never grows and never fails: every operation clamps its
/// request to what the queue can do. Each transfer is at most two block copies; nothing here allocates
/// after construction. One thread at a time.
class FloatRingBuffer final {
public:
    /// A queue of `capacity` (≥ 1) slots, all 0. Allocates.
    explicit FloatRingBuffer(std::int64_t capacity);

    /// Zeroes every slot and empties the queue. Not real-time safe (touches the whole storage).
    void reset();

    /// Appends min(free space, n) samples from the start of `source`; the rest are dropped. Real-time safe.
    void write(const float* source, std::int64_t n) noexcept;
    /// Appends min(free space, n) zeros. Real-time safe.
    void writeZeros(std::int64_t n) noexcept;
    /// Removes the min(count, n) oldest samples into `destination`. Real-time safe.
    void read(float* destination, std::int64_t n) noexcept;
    /// Copies the min(count, n) oldest samples into `destination`; the queue is unchanged. Real-time safe.
    void peek(float* destination, std::int64_t n) const noexcept;
    /// Copies min(capacity, n) slots from the write position on (wrapping once): the samples that the next
    /// writes will overwrite, i.e. those written `capacity` writes earlier. Real-time safe.
    void peekAtWritePosition(float* destination, std::int64_t n) const noexcept;
    /// Removes the min(count, n) oldest samples. Real-time safe.
    void discard(std::int64_t n) noexcept;

    std::int64_t capacity() const noexcept { return capacity_; }
    std::int64_t count() const noexcept { return count_; }
    std::int64_t freeSpace() const noexcept { return capacity_ - count_; }
    std::int64_t readPos() const noexcept { return readPos_; }
    std::int64_t writePos() const noexcept { return writePos_; }

private:
    void copyOut(std::int64_t from, float* destination, std::int64_t k) const noexcept;

    std::int64_t capacity_;
    std::vector<float> buffer_;
    std::int64_t readPos_ = 0;
    std::int64_t writePos_ = 0;
    std::int64_t count_ = 0;
};

} // namespace quorbel
