// Makes each allocation of the unit's allocateRenderResources fail in turn (tests/support/AllocationTrap)
// and expects the platform's error instead of an exception, and a unit that is still usable.
#include "support/AllocationTrap.h"

#include "audiounit/QuorbelAudioUnit.h"
#include "audiounit/QuorbelComponent.h"

#include <gtest/gtest.h>

namespace quorbel {
namespace {

using namespace platform;

/// One render call through the host's block; the pull leaves the buffers as they are.
AUAudioUnitStatus renderOnce(QuorbelAudioUnit& unit, OwnedAudioBufferList& buffers) {
    const AURenderPullInputBlock pull = [](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                           AUAudioFrameCount, NSInteger,
                                           AudioBufferList*) -> AUAudioUnitStatus { return noErr; };
    buffers.prepare(1024);
    return unit.renderBlock()(nullptr, nullptr, 1024, 0, buffers.list(), pull);
}

TEST(AllocationFailure, UnitReportsThePlatformErrorAndStaysUsable) {
    registerQuorbelComponent();
    OwnedAudioBufferList buffers(2, 1024);
    long failures = 0;
    for (long n = 1;; ++n) {
        SCOPED_TRACE(n);
        auto unit = AUAudioUnit::instantiate<QuorbelAudioUnit>(kQuorbelComponentDescription, 0, nullptr);
        ASSERT_NE(unit, nullptr);
        ASSERT_TRUE(unit->setMaximumFramesToRender(1024));

        // A first allocation that fails leaves the unit unallocated.
        NSError error;
        bool allocated = false;
        test::failNthNew(n);
        EXPECT_NO_THROW(allocated = unit->allocateRenderResources(&error));
        const bool failed = test::nthNewFailed();
        test::failNthNew(0);
        if (!failed) {
            EXPECT_TRUE(allocated);
            break;
        }
        ++failures;
        EXPECT_FALSE(allocated);
        EXPECT_TRUE(error.code() == kAudio_MemFullError || error.code() == kAudioUnitErr_FailedInitialization)
            << error.code();
        EXPECT_FALSE(error.localizedDescription().empty());
        EXPECT_FALSE(unit->renderResourcesAllocated());
        EXPECT_FALSE(unit->dspKernel()->isAllocated());
        EXPECT_EQ(renderOnce(*unit, buffers), kAudioUnitErr_Uninitialized);

        // A failed allocation of an allocated unit leaves it allocated and rendering.
        ASSERT_TRUE(unit->allocateRenderResources(&error));
        test::failNthNew(n);
        EXPECT_NO_THROW(allocated = unit->allocateRenderResources(&error));
        const bool failedAgain = test::nthNewFailed();
        test::failNthNew(0);
        EXPECT_EQ(allocated, !failedAgain);
        EXPECT_TRUE(unit->renderResourcesAllocated());
        EXPECT_TRUE(unit->dspKernel()->isAllocated());
        EXPECT_EQ(renderOnce(*unit, buffers), noErr);
    }
    EXPECT_GT(failures, 40);
}

} // namespace
} // namespace quorbel
