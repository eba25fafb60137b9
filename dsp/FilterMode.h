#pragma once
/// The responses of the biquad filter as the `filterMode` parameter numbers them, and the one conversion of
/// that parameter's value to a mode number.

#include "dsp/Conversions.h"

#include <cstddef>
#include <cstdint>

namespace quorbel {

/// The filter's responses, numbered 0, 1 and 2 as the parameter counts them.
enum class FilterMode : std::int64_t { lowPass, bandPass, highPass };

/// Number of filter modes (numbers 0 to 2).
inline constexpr std::size_t kFilterModeCount = 3;

/// The number of a mode. Real-time safe.
constexpr std::int64_t modeNumber(FilterMode mode) noexcept {
    return static_cast<std::int64_t>(mode);
}

/// The mode number of a `filterMode` parameter value: truncated toward zero; NaN gives 0, and values beyond
/// the signed 64-bit range (infinities included) saturate. Real-time safe.
inline std::int64_t filterModeNumber(float value) noexcept {
    return saturatingInt64(static_cast<double>(value));
}

/// The response that a mode number filters with: 1 band pass, 2 high pass, every other number low pass.
/// Real-time safe.
constexpr FilterMode filterModeOf(std::int64_t n) noexcept {
    if (n == modeNumber(FilterMode::bandPass)) {
        return FilterMode::bandPass;
    }
    if (n == modeNumber(FilterMode::highPass)) {
        return FilterMode::highPass;
    }
    return FilterMode::lowPass;
}

} // namespace quorbel
