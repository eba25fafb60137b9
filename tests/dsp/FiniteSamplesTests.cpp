#include "dsp/FiniteSamples.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quorbel {
namespace {

TEST(FiniteSamples, NonFiniteSamplesBecomeZeroAndEveryOtherKeepsItsBits) {
    using L = std::numeric_limits<float>;
    const float special[] = {L::quiet_NaN(),
                             -L::quiet_NaN(),
                             std::bit_cast<float>(0x7f800001u),
                             L::infinity(),
                             -L::infinity(),
                             -0.0f,
                             L::denorm_min(),
                             L::max(),
                             L::lowest(),
                             0.3f,
                             -1e-30f};
    // Every special value at every lane of the eight-sample blocks and in the tail.
    for (std::int64_t n : {19, 8, 3}) {
        for (std::size_t at = 0; at < static_cast<std::size_t>(n); ++at) {
            for (float x : special) {
                std::vector<float> in(static_cast<std::size_t>(n), 0.5f);
                in[at] = x;
                std::vector<float> out(in.size(), 7.0f);
                copyFiniteSamples(in.data(), out.data(), n);
                for (std::size_t i = 0; i < in.size(); ++i) {
                    const std::uint32_t expected =
                        std::isfinite(in[i]) ? std::bit_cast<std::uint32_t>(in[i]) : 0u;
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(out[i]), expected) << n << " " << at << " " << x;
                }
            }
        }
    }
}

} // namespace
} // namespace quorbel
