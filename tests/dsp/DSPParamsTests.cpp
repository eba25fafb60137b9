#include "dsp/Conversions.h"
#include "dsp/DSPParams.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

namespace quorbel {
namespace {

TEST(DSPParams, FreshRecordsHoldTheirInitialValues) {
    const ModulationInput in;
    EXPECT_EQ(in.orbit, 0.0);
    EXPECT_EQ(in.vexity, 0.0);
    EXPECT_EQ(in.confusion, 0.0);
    EXPECT_EQ(in.mix, 0.5f);
    EXPECT_EQ(in.feed, 5.0f);
    EXPECT_EQ(in.tone, 500.0f);
    EXPECT_FALSE(in.broken);
    EXPECT_EQ(in.volume, 0.7f);
    EXPECT_FALSE(in.bypass);
    EXPECT_EQ(in.filterMode, 0);

    const QuorDSPParams p;
    EXPECT_EQ(p.swish, 0.0005f);
    EXPECT_EQ(p.bleed, 0.05f);
    EXPECT_EQ(p.residue, 5.0f);
    EXPECT_EQ(p.smudge, 0.5f);
    EXPECT_EQ(p.drift, 0);
    EXPECT_FALSE(p.squeeze);
    EXPECT_FALSE(p.purge);
    EXPECT_EQ(p.frequency, 500.0);
    EXPECT_EQ(p.Q, 3.0);
    EXPECT_EQ(p.filterMode, 0);
    EXPECT_EQ(p.mix, 0.5f);
    EXPECT_EQ(p.volume, 0.7f);
    EXPECT_FALSE(p.bypass);
    EXPECT_EQ(p.warble1, 0.0f);
    EXPECT_EQ(p.warble2, 0.0f);
    EXPECT_EQ(p.spread, 0.0f);
}

TEST(DSPParams, ModulationInputCopiesFieldByField) {
    ModulationInput in;
    in.orbit = 0.25;
    in.filterMode = 2;
    in.broken = true;
    const ModulationInput copy = in;
    in.orbit = 0.75;
    EXPECT_EQ(copy.orbit, 0.25);
    EXPECT_EQ(copy.filterMode, 2);
    EXPECT_TRUE(copy.broken);
}

TEST(DSPParams, ConcurrentWritesAndCopiesSeeWholeValues) {
    // Each field is stored whole: a reader never sees a torn 64-bit value.
    ModulationInput in;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 200000; ++i) {
            in.orbit = (i & 1) ? -1.0 : 1.0;
        }
        stop = true;
    });
    while (!stop) {
        const ModulationInput copy = in;
        const double v = copy.orbit;
        ASSERT_TRUE(v == 0.0 || v == 1.0 || v == -1.0);
    }
    writer.join();
}

TEST(Conversions, SaturatingInt64HasADefinedResultForEveryInput) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(saturatingInt64(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(saturatingInt64(std::numeric_limits<double>::infinity()), max);
    EXPECT_EQ(saturatingInt64(-std::numeric_limits<double>::infinity()), min);
    EXPECT_EQ(saturatingInt64(1e300), max);
    EXPECT_EQ(saturatingInt64(-1e300), min);
    EXPECT_EQ(saturatingInt64(9223372036854775808.0), max);
    EXPECT_EQ(saturatingInt64(-9223372036854775808.0), min);
    EXPECT_EQ(saturatingInt64(-3.0), -3);
    EXPECT_EQ(saturatingInt64(1.9), 1);
    EXPECT_EQ(saturatingInt64(-0.7), 0);
    EXPECT_EQ(saturatingNegate(min), max);
    EXPECT_EQ(saturatingNegate(3), -3);
}

} // namespace
} // namespace quorbel
