// Renders through QuorbelDSPKernel with the allocator and pthread_mutex_lock replaced by counting
// versions (tests/support/AllocationTrap) and expects no such call while rendering.
#include "dsp/QuorbelDSPKernel.h"
#include "support/AllocationTrap.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <vector>

namespace quorbel {
namespace {

using test::inRenderScope;
using Counts = test::TrapCounts;

// The counters must see what they are meant to see, or a zero below would prove nothing.
TEST(RealTimeSafety, CountersSeeAllocationsAndLocks) {
    const Counts seen = test::exerciseTrap();
    EXPECT_GE(seen.newDelete, 4);
    EXPECT_GE(seen.locks, 1);
    if (test::trapCountsCAllocator()) {
        EXPECT_GE(seen.allocator, 2);
    } else {
        GTEST_LOG_(INFO) << "AddressSanitizer build: the C allocator is the sanitizer's and is not counted";
    }
}

struct RenderCase {
    const char* name;
    bool broken;
    std::int64_t filterMode;
};

TEST(RealTimeSafety, ProcessAllocatesNothingAndTakesNoLock) {
    // 13000 frames run as slices of 6144, 6144 and 712.
    const std::int64_t frameCounts[] = {0, 1, 64, 137, 512, 4096, 13000};
    const RenderCase cases[] = {{"wavy", false, 0}, {"choppy", true, 0}, {"choppy high-pass", true, 2}};
    constexpr std::int64_t maxFrames = 13000;

    // Noise with non-finite samples sprinkled in, which enter as silence.
    std::vector<float> source = test::noise(2 * maxFrames, 3, 1.0f);
    for (std::size_t i = 100; i < source.size(); i += 997) {
        source[i] =
            i % 2 == 0 ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
    }

    for (const RenderCase& c : cases) {
        QuorbelDSPKernel kernel;
        kernel.modulation().input.broken = c.broken;
        kernel.modulation().input.filterMode = c.filterMode;
        kernel.modulation().input.orbit = 0.6;
        kernel.modulation().input.vexity = 0.5;
        kernel.modulation().input.confusion = -0.7;
        kernel.allocate(2, maxFrames, 44100.0);
        platform::OwnedAudioBufferList buffers(2, maxFrames);

        // Enough calls that both spectral kernels complete many frames and the modulation ticks often; the
        // first call after allocation is inside the counted scope.
        double secondsRendered = 0.0;
        const Counts seen = inRenderScope([&] {
            for (int round = 0; round < 40; ++round) {
                for (std::int64_t frames : frameCounts) {
                    buffers.prepare(static_cast<std::uint32_t>(frames));
                    for (std::uint32_t ch = 0; ch < 2; ++ch) {
                        float* dst = buffers.channel(ch);
                        for (std::int64_t i = 0; i < frames; ++i) {
                            dst[i] = source[static_cast<std::size_t>(ch * maxFrames + i)];
                        }
                    }
                    kernel.process(buffers.list(), frames);
                    secondsRendered += static_cast<double>(frames) / 44100.0;
                }
            }
        });
        EXPECT_EQ(seen.allocator, 0) << c.name;
        EXPECT_EQ(seen.newDelete, 0) << c.name;
        EXPECT_EQ(seen.locks, 0) << c.name;
        EXPECT_GT(secondsRendered, 2.0); // many spectral frames of the larger kernel
        EXPECT_GT(kernel.modulation().time(), 1.5) << c.name;
        EXPECT_EQ(kernel.params().squeeze, c.broken);
    }
}

} // namespace
} // namespace quorbel
