// tanhf as the C library computes it (fdlibm's tanhf over its expm1f), restricted to the arguments that tanh
// passes to expm1f and rewritten on vectors of lanes: every lane runs every path and keeps the one its
// argument selects. Each lane performs the same IEEE single-precision operations in the same order as the
// scalar code (no contraction), so the results are identical bit for bit; only the work is spread over lanes.
#include "dsp/SoftLimiter.h"

#include "support/VectorDispatch.h"

#include <bit>
#include <cstdint>
#include <cstring>

// The eight-lane helpers are inlined into the AVX2 loop only; no vector crosses a call boundary, so the
// warning about the vector-passing ABI without AVX does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace quorbel {

namespace {

// Four lanes on the build's SSE2 baseline; eight where the processor has AVX2 (chosen at run time).
using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = std::int32_t __attribute__((vector_size(16)));
using Floats8 = float __attribute__((vector_size(32)));
using Ints8 = std::int32_t __attribute__((vector_size(32)));

#define QUORBEL_LANES template <typename Floats, typename Ints> [[gnu::always_inline]] inline

/// Lane-wise helpers: broadcast a constant, reinterpret float bits as integers and back.
template <typename Floats, typename Ints> struct Lanes {
    [[gnu::always_inline]] static Floats f(float x) noexcept { return Floats{} + x; }
    [[gnu::always_inline]] static Ints i(std::int32_t x) noexcept { return Ints{} + x; }
    [[gnu::always_inline]] static Ints bits(const Floats& x) noexcept { return reinterpret_cast<Ints>(x); }
    [[gnu::always_inline]] static Floats floats(const Ints& x) noexcept {
        return reinterpret_cast<Floats>(x);
    }
};

constexpr float ln2Hi = 6.9313812256e-01f;
constexpr float ln2Lo = 9.0580006145e-06f;
constexpr float invLn2 = 1.4426950216e+00f;
constexpr float q1 = -3.3333335072e-02f;
constexpr float q2 = 1.5873016091e-03f;
constexpr float q3 = -7.9365076090e-05f;
constexpr float q4 = 4.0082177293e-06f;
constexpr float q5 = -2.0109921195e-07f;
static_assert(std::bit_cast<std::uint32_t>(ln2Hi) == 0x3f317180u);
static_assert(std::bit_cast<std::uint32_t>(ln2Lo) == 0x3717f7d1u);
static_assert(std::bit_cast<std::uint32_t>(invLn2) == 0x3fb8aa3bu);
static_assert(std::bit_cast<std::uint32_t>(q1) == 0xbd088889u);
static_assert(std::bit_cast<std::uint32_t>(q2) == 0x3ad00d01u);
static_assert(std::bit_cast<std::uint32_t>(q3) == 0xb8a670cdu);
static_assert(std::bit_cast<std::uint32_t>(q4) == 0x36867e54u);
static_assert(std::bit_cast<std::uint32_t>(q5) == 0xb457edbbu);

/// expm1f(a) for the arguments tanhf uses: a in [2, 44) or a in (-2, 0).
QUORBEL_LANES Floats expm1ForTanh(const Floats& a) noexcept {
    using L = Lanes<Floats, Ints>;
    const Ints ha = L::bits(a) & 0x7fffffff;
    const Ints negative = a < 0.0f;

    // Argument reduction a = k ln2 + r with r = hi - lo; |a| below 1.5 ln2 takes k = ±1 directly.
    const Ints nearOne = ha < 0x3f851592;
    const Ints kGeneral = __builtin_convertvector(invLn2 * a + (negative ? L::f(-0.5f) : L::f(0.5f)), Ints);
    const Floats tk = __builtin_convertvector(kGeneral, Floats);
    const Floats hiGeneral = a - tk * ln2Hi;
    const Floats loGeneral = tk * ln2Lo;
    const Floats hiNear = negative ? a + ln2Hi : a - ln2Hi;
    const Floats loNear = negative ? L::f(-ln2Lo) : L::f(ln2Lo);
    const Floats hi = nearOne ? hiNear : hiGeneral;
    const Floats lo = nearOne ? loNear : loGeneral;
    const Ints kReduced = nearOne ? (negative ? L::i(-1) : L::i(1)) : kGeneral;
    const Floats xReduced = hi - lo;
    const Floats cReduced = (hi - xReduced) - lo;

    const Ints reduced = ha > 0x3eb17218; // |a| > 0.5 ln2
    const Ints tiny = ha < 0x33000000;    // |a| < 2^-25: expm1(a) = a
    const Ints k = reduced ? kReduced : L::i(0);
    const Floats x = reduced ? xReduced : a;
    const Floats c = reduced ? cReduced : L::f(0.0f);

    // x in the primary range.
    const Floats hfx = 0.5f * x;
    const Floats hxs = x * hfx;
    const Floats r1 = 1.0f + hxs * (q1 + hxs * (q2 + hxs * (q3 + hxs * (q4 + hxs * q5))));
    const Floats t = 3.0f - r1 * hfx;
    const Floats e0 = hxs * ((r1 - t) / (6.0f - x * t));

    const Floats resultK0 = x - (x * e0 - hxs);
    const Floats e = (x * (e0 - c) - c) - hxs;
    const Floats resultKm1 = 0.5f * (x - e) - 0.5f;
    const Ints shift = k << 23; // adds k to the exponent
    // k <= -2 or k > 56: 1 - (e - x), scaled by 2^k, minus 1.
    const Floats resultFar = L::floats(L::bits(1.0f - (e - x)) + shift) - 1.0f;
    // 2 <= k <= 22: (1 - 2^-k) - (e - x), scaled by 2^k.
    const Floats twoToMinusK = L::floats((0x7f - k) << 23);
    const Floats resultSmall = L::floats(L::bits((1.0f - twoToMinusK) - (e - x)) + shift);
    // 23 <= k <= 56: (x - (e + 2^-k)) + 1, scaled by 2^k.
    const Floats resultLarge = L::floats(L::bits((x - (e + twoToMinusK)) + 1.0f) + shift);

    Floats result = resultLarge;
    result = k <= 22 ? resultSmall : result;
    result = ((k <= -2) | (k > 56)) ? resultFar : result;
    result = k == -1 ? resultKm1 : result;
    result = k == 0 ? resultK0 : result;
    return tiny ? a : result;
}

QUORBEL_LANES Floats limit(const Floats& x) noexcept {
    using L = Lanes<Floats, Ints>;
    const Ints bits = L::bits(x);
    const Ints ix = bits & 0x7fffffff;
    const Floats ax = L::floats(ix);

    // |x| >= 1: 1 - 2 / (expm1(2|x|) + 2); below: -t / (t + 2) with t = expm1(-2|x|). Lanes that take
    // neither path get a harmless argument.
    const Ints large = ix >= 0x3f800000;
    const Floats argLarge = (ix < 0x41b00000) ? ax + ax : L::f(2.0f);
    const Floats argSmall = (ix >= 0x24000000) ? -2.0f * ax : L::f(-1.0f);
    const Floats t = expm1ForTanh<Floats, Ints>(large ? argLarge : argSmall);
    const Floats zLarge = 1.0f - 2.0f / (t + 2.0f);
    const Floats zSmall = -t / (t + 2.0f);

    Floats z = large ? zLarge : zSmall;
    z = (ix >= 0x41b00000) ? L::f(1.0f) : z; // |x| >= 22: ±1 (1 - 1e-30 rounds to 1)
    const Floats signedZ = (bits < 0) ? -z : z;
    const Floats small = (ix == 0) ? x : x * (1.0f + x); // |x| < 2^-55: x (1 + x); ±0 stays
    const Floats result = (ix < 0x24000000) ? small : signedZ;
    return (ix >= 0x7f800000) ? L::f(0.0f) : result; // NaN and ±inf leave as 0
}

QUORBEL_LANES void limitAll(float* samples, std::int64_t n) noexcept {
    constexpr std::int64_t width = sizeof(Floats) / sizeof(float);
    Floats v;
    std::int64_t i = 0;
    for (; i + width <= n; i += width) {
        std::memcpy(&v, samples + i, sizeof v);
        v = limit<Floats, Ints>(v);
        std::memcpy(samples + i, &v, sizeof v);
    }
    if (i < n) {
        const auto rest = static_cast<std::size_t>(n - i) * sizeof(float);
        v = Lanes<Floats, Ints>::f(0.0f);
        std::memcpy(&v, samples + i, rest);
        v = limit<Floats, Ints>(v);
        std::memcpy(samples + i, &v, rest);
    }
}

#if QUORBEL_VECTOR_VARIANTS
// Without contraction (-ffp-contract=off) AVX2 only widens the lanes; every operation stays the same.
[[gnu::target("avx2")]] void limitAllAvx2(float* samples, std::int64_t n) noexcept {
    limitAll<Floats8, Ints8>(samples, n);
}
#endif

#undef QUORBEL_LANES

} // namespace

void softLimit(float* samples, std::int64_t n) noexcept {
#if QUORBEL_VECTOR_VARIANTS
    if (platform::support::processorVectorExtensions().avx2) {
        limitAllAvx2(samples, n);
        return;
    }
#endif
    limitAll<Floats4, Ints4>(samples, n);
}

} // namespace quorbel
