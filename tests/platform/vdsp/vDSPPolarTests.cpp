#include "vdsp/PolarBlocks.h"
#include "vdsp/vDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace platform {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Distance in units in the last place between two floats of the same sign (0 for equal values, including
// two NaNs and +0/−0).
std::int64_t ulps(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) ? 0 : std::numeric_limits<std::int64_t>::max();
    }
    if (a == b) {
        return 0;
    }
    auto ordered = [](float f) {
        std::int32_t i;
        std::memcpy(&i, &f, sizeof i);
        return i < 0 ? -static_cast<std::int64_t>(i & 0x7fffffff) : static_cast<std::int64_t>(i);
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

// Arguments of every kind: a wide spread of magnitudes and signs, then the special values.
std::vector<float> arguments(std::size_t n, unsigned seed, float spread) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_real_distribution<float> exponent(-spread, spread);
    std::vector<float> v(n);
    for (auto& x : v) {
        x = mantissa(rng) * std::exp2(exponent(rng));
    }
    const float specials[] = {0.0f, -0.0f, kInf, -kInf, kNaN, 1.0f, -1.0f, 1e-40f, -3.0f};
    for (std::size_t i = 0; i < std::size(specials) && i < n; ++i) {
        v[(i * 7919) % n] = specials[i];
    }
    return v;
}

// SLEEF's 1.0-ulp functions against the C library's (itself within about 1 ulp of exact): within 2 ulp,
// and special values exactly as the C library gives them.
constexpr std::int64_t kPhaseUlps = 2;

TEST(vDSPPolar, PhasesMatchTheCLibrary) {
    // 1003 elements: vector blocks and a scalar tail; strides 1 and (2, 3) for the gathering path.
    const std::size_t n = 1003;
    auto re = arguments(2 * n, 1, 40.0f);
    auto im = arguments(2 * n, 2, 40.0f);
    // Signed zeros and infinities: ±π, −π, 3π/4; the last one falls in the scalar tail.
    const struct {
        std::size_t at;
        float y, x;
    } specials[] = {{5, 0.0f, -0.0f}, {9, -0.0f, -1.0f}, {11, kInf, -kInf}, {n - 1, -0.0f, -2.0f}};
    for (const auto& s : specials) {
        im[s.at] = s.y;
        re[s.at] = s.x;
    }
    const DSPSplitComplex z{re.data(), im.data()};
    std::vector<float> unit(n), strided(3 * n);
    vDSP_zvphas(&z, 1, unit.data(), 1, n);
    vDSP_zvphas(&z, 2, strided.data(), 3, n);
    for (std::size_t k = 0; k < n; ++k) {
        const float expected = std::atan2(im[k], re[k]);
        ASSERT_LE(ulps(unit[k], expected), kPhaseUlps) << "atan2(" << im[k] << ", " << re[k] << ")";
        ASSERT_EQ(std::signbit(unit[k]), std::signbit(expected)) << k;
        const float expectedStrided = std::atan2(im[2 * k], re[2 * k]);
        ASSERT_LE(ulps(strided[3 * k], expectedStrided), kPhaseUlps) << k;
    }
}

// ρ·cos θ and ρ·sin θ: SLEEF's sine and cosine within 2 ulp of the C library's, and one more for the
// product's rounding. Angles reach far beyond 2π (a twisted phase grows with the magnitude).
constexpr std::int64_t kRectUlps = 3;

TEST(vDSPPolar, RectMatchesTheCLibraryInPlaceAndStrided) {
    const std::size_t n = 1003;
    const auto rho = arguments(n, 3, 20.0f);
    const auto theta = arguments(n, 4, 16.0f);
    std::vector<float> pairs(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        pairs[2 * k] = rho[k];
        pairs[2 * k + 1] = theta[k];
    }
    std::vector<float> strided(4 * n, -1.0f);
    vDSP_rect(pairs.data(), 2, strided.data(), 4, n);
    vDSP_rect(pairs.data(), 2, pairs.data(), 2, n); // in place, as the spectral kernel calls it
    for (std::size_t k = 0; k < n; ++k) {
        const float x = rho[k] * std::cos(theta[k]);
        const float y = rho[k] * std::sin(theta[k]);
        ASSERT_LE(ulps(pairs[2 * k], x), kRectUlps) << "rho " << rho[k] << " theta " << theta[k];
        ASSERT_LE(ulps(pairs[2 * k + 1], y), kRectUlps) << "rho " << rho[k] << " theta " << theta[k];
        ASSERT_EQ(ulps(strided[4 * k], pairs[2 * k]), 0) << k; // same values, NaN included
        ASSERT_EQ(ulps(strided[4 * k + 1], pairs[2 * k + 1]), 0) << k;
        ASSERT_EQ(strided[4 * k + 2], -1.0f); // untouched between the strided pairs
    }
}

// The run-time choice takes the widest blocks the processor has; every width must hold the same accuracy
// wherever it runs, so each is checked directly (the wider ones where the processor has them).
TEST(vDSPPolar, EveryBlockWidthMatchesTheCLibrary) {
    using Phases = std::size_t (*)(const float*, const float*, float*, std::size_t);
    using Rect = std::size_t (*)(const float*, const float*, float*, float*, std::size_t);
    struct Width {
        const char* name;
        bool available;
        Phases phases;
        Rect rect;
        std::size_t lanes;
    };
    const Width widths[] = {
        {"4-wide", true, polar::phasesSse, polar::rectSse, 4},
        {"8-wide", __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"), polar::phasesAvx2,
         polar::rectAvx2, 8},
        {"16-wide", __builtin_cpu_supports("avx512f") != 0, polar::phasesAvx512, polar::rectAvx512, 16},
    };
    const std::size_t n = 512;
    const auto a = arguments(n, 5, 30.0f);
    const auto b = arguments(n, 6, 30.0f);
    for (const Width& w : widths) {
        if (!w.available) {
            continue;
        }
        SCOPED_TRACE(w.name);
        std::vector<float> out(n), re(n), im(n);
        ASSERT_EQ(w.phases(a.data(), b.data(), out.data(), n), n);
        ASSERT_EQ(w.rect(a.data(), b.data(), re.data(), im.data(), n), n);
        for (std::size_t k = 0; k < n; ++k) {
            ASSERT_LE(ulps(out[k], std::atan2(a[k], b[k])), kPhaseUlps) << k;
            ASSERT_LE(ulps(re[k], a[k] * std::cos(b[k])), kRectUlps) << k;
            ASSERT_LE(ulps(im[k], a[k] * std::sin(b[k])), kRectUlps) << k;
        }
        // Each leaves the tail to the caller.
        EXPECT_EQ(w.phases(a.data(), b.data(), out.data(), w.lanes + 3), w.lanes);
    }
}

} // namespace
} // namespace platform
