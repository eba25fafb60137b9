// Makes each allocation of QuorbelDSPKernel::allocate fail in turn (tests/support/AllocationTrap) and
// expects the exception to leave the kernel as it was.
#include "dsp/QuorbelDSPKernel.h"
#include "support/AllocationTrap.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <vector>

namespace quorbel {
namespace {

/// Eight calls of 1024 frames into two channels: with one channel of 512 frames allocated, channel 0 is
/// processed up to frame 512 and everything else keeps the input.
std::vector<float> render(QuorbelDSPKernel& kernel) {
    const std::vector<float> signal = test::noise(2 * 8 * 1024, 1, 0.5f);
    platform::OwnedAudioBufferList list(2, 1024);
    std::vector<float> out;
    for (std::size_t call = 0; call < 8; ++call) {
        list.prepare(1024);
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            std::copy_n(signal.begin() + static_cast<long>((2 * call + ch) * 1024), 1024, list.channel(ch));
        }
        kernel.process(list.list(), 1024);
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            out.insert(out.end(), list.channel(ch), list.channel(ch) + 1024);
        }
    }
    return out;
}

TEST(AllocationFailure, KernelKeepsItsEarlierAllocationWhole) {
    QuorbelDSPKernel reference;
    reference.allocate(1, 512, 44100.0);
    const std::vector<float> expected = render(reference);

    long failures = 0;
    for (long n = 1;; ++n) {
        QuorbelDSPKernel kernel;
        kernel.allocate(1, 512, 44100.0);
        test::failNthNew(n);
        bool threw = false;
        try {
            kernel.allocate(2, 1024, 48000.0);
        } catch (const std::exception&) {
            threw = true;
        }
        const bool failed = test::nthNewFailed();
        test::failNthNew(0);
        if (!failed) { // every allocation has had its turn
            EXPECT_FALSE(threw);
            EXPECT_EQ(kernel.channelCount(), 2);
            break;
        }
        ++failures;
        SCOPED_TRACE(n);
        ASSERT_TRUE(threw);
        EXPECT_TRUE(kernel.isAllocated());
        EXPECT_EQ(kernel.channelCount(), 1);
        EXPECT_EQ(kernel.maxFrames(), 512);
        EXPECT_EQ(kernel.sampleRate(), 44100.0);
        ASSERT_EQ(render(kernel), expected);
    }
    EXPECT_GT(failures, 40); // kernels, filters and buffers of two channels

    // A kernel that was never allocated stays so, and passes the audio through.
    QuorbelDSPKernel fresh;
    test::failNthNew(1);
    EXPECT_THROW(fresh.allocate(2, 1024, 48000.0), std::bad_alloc);
    test::failNthNew(0);
    EXPECT_FALSE(fresh.isAllocated());
    EXPECT_EQ(fresh.maxFrames(), 0);
}

} // namespace
} // namespace quorbel
