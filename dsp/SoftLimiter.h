#pragma once
#include <cstdint>

namespace quorbel {

/// The output stage's limiter over `n` samples in place: tanhf(x) for every finite x, 0 for NaN and ±inf.
/// Bit for bit the C library's single-precision tanh (the fdlibm algorithm: expm1f of 2|x| and one
/// division), computed branch-free so that the loop vectorises. Real-time safe.
void softLimit(float* samples, std::int64_t n) noexcept;

} // namespace quorbel
