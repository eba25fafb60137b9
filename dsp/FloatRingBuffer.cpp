#include "dsp/FloatRingBuffer.h"

#include <algorithm>
#include <cstring>

namespace quorbel {

namespace {
std::size_t bytes(std::int64_t samples) {
    return static_cast<std::size_t>(samples) * sizeof(float);
}
} // namespace

FloatRingBuffer::FloatRingBuffer(std::int64_t capacity)
    : capacity_(capacity), buffer_(static_cast<std::size_t>(capacity), 0.0f) {}

void FloatRingBuffer::reset() {
    std::fill(buffer_.begin(), buffer_.end(), 0.0f);
    readPos_ = writePos_ = count_ = 0;
}

void FloatRingBuffer::write(const float* source, std::int64_t n) noexcept {
    const std::int64_t k = std::min(capacity_ - count_, n);
    if (k <= 0) {
        return;
    }
    const std::int64_t first = std::min(capacity_ - writePos_, k);
    std::memcpy(buffer_.data() + writePos_, source, bytes(first));
    if (k > first) {
        std::memcpy(buffer_.data(), source + first, bytes(k - first));
    }
    writePos_ = (writePos_ + k) % capacity_;
    count_ += k;
}

void FloatRingBuffer::writeZeros(std::int64_t n) noexcept {
    const std::int64_t k = std::min(capacity_ - count_, n);
    if (k <= 0) {
        return;
    }
    const std::int64_t first = std::min(capacity_ - writePos_, k);
    std::memset(buffer_.data() + writePos_, 0, bytes(first));
    if (k > first) {
        std::memset(buffer_.data(), 0, bytes(k - first));
    }
    writePos_ = (writePos_ + k) % capacity_;
    count_ += k;
}

void FloatRingBuffer::copyOut(std::int64_t from, float* destination, std::int64_t k) const noexcept {
    const std::int64_t first = std::min(capacity_ - from, k);
    std::memcpy(destination, buffer_.data() + from, bytes(first));
    if (k > first) {
        std::memcpy(destination + first, buffer_.data(), bytes(k - first));
    }
}

void FloatRingBuffer::read(float* destination, std::int64_t n) noexcept {
    const std::int64_t k = std::min(count_, n);
    if (k <= 0) {
        return;
    }
    copyOut(readPos_, destination, k);
    readPos_ = (readPos_ + k) % capacity_;
    count_ -= k;
}

void FloatRingBuffer::peek(float* destination, std::int64_t n) const noexcept {
    const std::int64_t k = std::min(count_, n);
    if (k > 0) {
        copyOut(readPos_, destination, k);
    }
}

void FloatRingBuffer::peekAtWritePosition(float* destination, std::int64_t n) const noexcept {
    const std::int64_t k = std::min(capacity_, n);
    if (k > 0) {
        copyOut(writePos_, destination, k);
    }
}

void FloatRingBuffer::discard(std::int64_t n) noexcept {
    const std::int64_t k = std::min(count_, n);
    if (k <= 0) {
        return;
    }
    readPos_ = (readPos_ + k) % capacity_;
    count_ -= k;
}

} // namespace quorbel
