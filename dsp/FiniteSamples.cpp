// A sample is not finite exactly when all eight exponent bits are set (NaN or ±inf). Each lane keeps its
// bit pattern when it is finite and becomes +0 otherwise: an and, a compare and an and-not per lane, on
// the SSE2 baseline's four lanes.
#include "dsp/FiniteSamples.h"

#include <cstdint>
#include <cstring>

namespace quorbel {

namespace {

using Ints4 = std::int32_t __attribute__((vector_size(16)));

constexpr std::int32_t kExponentBits = 0x7f800000;

} // namespace

void copyFiniteSamples(const float* input, float* output, std::int64_t n) noexcept {
    std::int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        Ints4 a;
        Ints4 b;
        std::memcpy(&a, input + i, sizeof a);
        std::memcpy(&b, input + i + 4, sizeof b);
        a &= ~((a & kExponentBits) == kExponentBits); // a lane compares to -1 (all bits) where true
        b &= ~((b & kExponentBits) == kExponentBits);
        std::memcpy(output + i, &a, sizeof a);
        std::memcpy(output + i + 4, &b, sizeof b);
    }
    for (; i < n; ++i) {
        std::int32_t v;
        std::memcpy(&v, input + i, sizeof v);
        v = (v & kExponentBits) == kExponentBits ? 0 : v;
        std::memcpy(output + i, &v, sizeof v);
    }
}

} // namespace quorbel
