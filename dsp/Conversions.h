#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

namespace quorbel {

/// The integral part of a 64-bit float as a signed 64-bit integer, defined for every input:
/// NaN gives 0, values beyond the range (infinities included) saturate. The input is expected to be
/// integral already (after round, floor or trunc); a fraction is truncated toward zero.
inline std::int64_t saturatingInt64(double x) noexcept {
    if (std::isnan(x)) {
        return 0;
    }
    // 2^63 is exactly representable; every double below it and at or above -2^63 converts safely.
    constexpr double limit = 9223372036854775808.0;
    if (x >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (x < -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(x);
}

/// -x, saturating: the most negative integer, which has no negation, gives the largest.
constexpr std::int64_t saturatingNegate(std::int64_t x) noexcept {
    return x == std::numeric_limits<std::int64_t>::min() ? std::numeric_limits<std::int64_t>::max() : -x;
}

} // namespace quorbel
