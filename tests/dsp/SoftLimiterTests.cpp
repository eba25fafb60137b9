#include "dsp/SoftLimiter.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quorbel {
namespace {

float expected(float x) {
    return std::isfinite(x) ? std::tanh(x) : 0.0f;
}

std::uint32_t bitsOf(float x) {
    return std::bit_cast<std::uint32_t>(x);
}

/// Runs softLimit over `inputs` and compares every result with the C library's tanhf bit for bit.
void expectLibraryBits(const std::vector<float>& inputs) {
    std::vector<float> out = inputs;
    softLimit(out.data(), static_cast<std::int64_t>(out.size()));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_EQ(bitsOf(out[i]), bitsOf(expected(inputs[i])))
            << "x = " << inputs[i] << " (0x" << std::hex << bitsOf(inputs[i]) << ")";
    }
}

TEST(SoftLimiter, MatchesTheLibraryTanhAtEveryPathBoundary) {
    // The boundaries of tanh's and expm1's paths (|x| = 2^-55, 1, 22; |2x| = 0.5 ln2, 1.5 ln2, 2^-25) and
    // the exponent scalings k = 22/23 and 56/57, each with its neighbours.
    const std::uint32_t edges[] = {0x00000000, 0x00000001, 0x007fffff, 0x00800000, 0x24000000, 0x3f800000,
                                   0x41b00000, 0x3e317218, 0x3e851592, 0x32800000, 0x40f40000, 0x41a0c000,
                                   0x41f40000, 0x41f80000, 0x40000000, 0x3f000000};
    std::vector<float> inputs;
    for (std::uint32_t e : edges) {
        for (std::uint32_t d = 0; d < 5; ++d) {
            for (std::uint32_t sign : {0u, 0x80000000u}) {
                inputs.push_back(std::bit_cast<float>(((e + d - 2) & 0x7fffffffu) | sign));
            }
        }
    }
    expectLibraryBits(inputs);
}

TEST(SoftLimiter, MatchesTheLibraryTanhAcrossAllMagnitudes) {
    // About a million inputs spread over every exponent and sign.
    std::vector<float> inputs;
    for (std::uint64_t b = 0; b < (std::uint64_t{1} << 32); b += 4093) {
        inputs.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(b)));
    }
    expectLibraryBits(inputs);
}

// Every one of the 2^32 inputs; about a minute. Run with --gtest_also_run_disabled_tests after touching
// the limiter.
TEST(SoftLimiter, DISABLED_MatchesTheLibraryTanhForEveryFloat) {
    std::vector<float> inputs(1 << 20);
    for (std::uint64_t base = 0; base < (std::uint64_t{1} << 32); base += inputs.size()) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            inputs[i] = std::bit_cast<float>(static_cast<std::uint32_t>(base + i));
        }
        expectLibraryBits(inputs);
    }
}

TEST(SoftLimiter, NonFiniteSamplesBecomeZeroAndNothingBeyondNIsTouched) {
    const float inf = std::numeric_limits<float>::infinity();
    for (std::int64_t n = 0; n <= 19; ++n) {
        std::vector<float> v(24, 7.0f);
        for (std::int64_t i = 0; i < n; ++i) {
            v[static_cast<std::size_t>(i)] = (i % 3 == 0) ? inf : (i % 3 == 1 ? -inf : std::nanf(""));
        }
        softLimit(v.data(), n);
        for (std::int64_t i = 0; i < 24; ++i) {
            ASSERT_EQ(v[static_cast<std::size_t>(i)], i < n ? 0.0f : 7.0f) << "n " << n << " i " << i;
        }
    }
}

} // namespace
} // namespace quorbel
