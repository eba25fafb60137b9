#pragma once
#include <atomic>

namespace quorbel {

/// A value that one thread stores and another loads whole, without a lock and free of data races
/// (relaxed atomic order: nothing is ordered with anything else). Copying loads, assigning stores.
template <typename T> class Relaxed {
public:
    static_assert(std::atomic<T>::is_always_lock_free, "a Relaxed value must never take a lock");

    constexpr Relaxed(T value = T{}) noexcept : value_(value) {}
    Relaxed(const Relaxed& other) noexcept : value_(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept {
        store(other.load());
        return *this;
    }
    Relaxed& operator=(T value) noexcept {
        store(value);
        return *this;
    }
    operator T() const noexcept { return load(); }

    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};

} // namespace quorbel
