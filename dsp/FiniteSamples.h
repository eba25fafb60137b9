#pragma once
#include <cstdint>

namespace quorbel {

/// Copies `n` samples from `input` to `output`, each NaN or infinity as 0 and every finite sample bit for
/// bit. Eight samples at a time on their bit patterns; `output` may be `input`. Real-time safe.
void copyFiniteSamples(const float* input, float* output, std::int64_t n) noexcept;

} // namespace quorbel
