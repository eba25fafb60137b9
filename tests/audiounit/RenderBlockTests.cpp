#include "UnitTestSupport.h"

#include <cmath>
#include <vector>

namespace quorbel {
namespace {

using namespace platform;
using test::EventList;
using test::parameter;

constexpr AUAudioFrameCount kMaxFrames = 512;

/// An allocated stereo unit, its internal block, buffers and a pull block that serves a fixed input.
class RenderBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        unit = test::makeUnit();
        ASSERT_TRUE(unit->setMaximumFramesToRender(kMaxFrames));
        ASSERT_TRUE(unit->allocateRenderResources(nullptr));
        block = unit->internalRenderBlock();
        for (AUAudioFrameCount i = 0; i < kMaxFrames; ++i) {
            input[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
        }
        pull = [this](AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, AUAudioFrameCount frames,
                      NSInteger bus, AudioBufferList* data) -> AUAudioUnitStatus {
            ++pulls;
            pulledTimestamp = time;
            pulledBus = bus;
            pulledFlags = *flags;
            if (pullStatus != noErr) {
                return pullStatus;
            }
            for (std::uint32_t ch = 0; ch < data->mNumberBuffers; ++ch) {
                if (data->mBuffers[ch].mData == nullptr) {
                    data->mBuffers[ch].mData = hostBuffers.channel(ch); // the host's own input buffers
                }
                auto* out = static_cast<float*>(data->mBuffers[ch].mData);
                for (AUAudioFrameCount i = 0; i < frames; ++i) {
                    out[i] = input[i];
                }
            }
            return noErr;
        };
    }

    AUAudioUnitStatus render(AUAudioFrameCount frames, const AURenderEvent* events,
                             const AURenderPullInputBlock& pullBlock) {
        buffers.prepare(frames);
        return block(nullptr, &timestamp, frames, 0, buffers.list(), events, pullBlock);
    }

    bool filtersUntouched() const {
        const auto& c = unit->dspKernel()->iirKernel(0).coefficients();
        return c == IIRKernel::Coefficients{};
    }

    std::shared_ptr<QuorbelAudioUnit> unit;
    AUInternalRenderBlock block;
    AURenderPullInputBlock pull;
    OwnedAudioBufferList buffers{2, kMaxFrames};
    OwnedAudioBufferList hostBuffers{2, kMaxFrames};
    float input[kMaxFrames] = {};
    AudioTimeStamp timestamp{};
    int pulls = 0;
    NSInteger pulledBus = -1;
    const AudioTimeStamp* pulledTimestamp = nullptr;
    AudioUnitRenderActionFlags pulledFlags = 99;
    AUAudioUnitStatus pullStatus = noErr;
};

TEST_F(RenderBlockTest, WithoutPullBlockReturnsNoConnectionAndTouchesNothing) {
    buffers.channel(0)[3] = 42.0f;
    EventList events;
    events.addParameter(0, 0.9f);
    EXPECT_EQ(render(64, events.link(), AURenderPullInputBlock{}), -10876);
    EXPECT_EQ(buffers.channel(0)[3], 42.0f);
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 0.5f);
    EXPECT_TRUE(filtersUntouched());
}

TEST_F(RenderBlockTest, FailingPullReturnsItsStatusWithoutEventsOrProcessing) {
    pullStatus = -50;
    EventList events;
    events.addParameter(0, 0.9f);
    EXPECT_EQ(render(64, events.link(), pull), -50);
    EXPECT_EQ(pulls, 1);
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 0.5f);
    EXPECT_TRUE(filtersUntouched());
    EXPECT_EQ(unit->dspKernel()->modulationAccumulator(), 0.0);
}

TEST_F(RenderBlockTest, PullsBusZeroWithClearedFlagsAndProcessesInPlace) {
    ASSERT_EQ(render(kMaxFrames, nullptr, pull), noErr);
    EXPECT_EQ(pulls, 1);
    EXPECT_EQ(pulledBus, 0);
    EXPECT_EQ(pulledTimestamp, &timestamp);
    EXPECT_EQ(pulledFlags, 0u);
    EXPECT_FALSE(filtersUntouched());
    // Default controls (mix 0.5, volume 0.7): the output is the limited dry half plus the wet path, not the
    // input, and finite.
    bool changed = false;
    for (AUAudioFrameCount i = 0; i < kMaxFrames; ++i) {
        EXPECT_TRUE(std::isfinite(buffers.channel(1)[i]));
        changed = changed || buffers.channel(1)[i] != input[i];
    }
    EXPECT_TRUE(changed);
}

TEST_F(RenderBlockTest, NullBufferPointersAreFilledByThePullAndProcessedThere) {
    buffers.prepare(kMaxFrames);
    AudioBuffer nullBuffers[2] = {};
    AudioBufferList list{2, nullBuffers};
    ASSERT_EQ(block(nullptr, &timestamp, kMaxFrames, 0, &list, nullptr, pull), noErr);
    EXPECT_EQ(nullBuffers[0].mData, hostBuffers.channel(0));
    // Processed in the pulled buffers: tanh(2.5 × 0.7 × 0.5 × x) of the dry part alone differs from x.
    EXPECT_NE(hostBuffers.channel(0)[100], input[100]);
}

TEST_F(RenderBlockTest, RampJumpsToItsEndValue) {
    EventList events;
    events.addParameter(index(ParamAddress::mix), 1.0f, 512);
    ASSERT_EQ(render(64, events.link(), pull), noErr);
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 1.0f);
    EXPECT_EQ(unit->dspKernel()->modulation().input.mix.load(), 1.0f);
}

TEST_F(RenderBlockTest, UnknownAddressesAndMIDIEventsAreSkipped) {
    test::NotificationLog log(unit->parameterTree());
    EventList events;
    events.addParameter(12, 5.0f);
    events.addMIDI();
    events.addParameter(index(ParamAddress::tone), 800.0f);
    ASSERT_EQ(render(64, events.link(), pull), noErr);
    EXPECT_EQ(unit->paramValue(ParamAddress::tone), 800.0f);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (i != index(ParamAddress::tone)) {
            EXPECT_EQ(unit->paramValue(static_cast<ParamAddress>(i)), kParameterTable[i].defaultValue);
        }
    }
    using Seen = std::vector<std::pair<AUParameterAddress, AUValue>>;
    EXPECT_EQ(log.seen, (Seen{{2, 800.0f}}));
}

TEST_F(RenderBlockTest, LaterOfTwoEventsWins) {
    test::NotificationLog log(unit->parameterTree());
    EventList events;
    events.addParameter(index(ParamAddress::filterMode), 2.0f);
    events.addParameter(index(ParamAddress::filterMode), 1.0f, 64);
    ASSERT_EQ(render(64, events.link(), pull), noErr);
    EXPECT_EQ(unit->paramValue(ParamAddress::filterMode), 1.0f);
    EXPECT_EQ(unit->dspKernel()->modulation().input.filterMode.load(), 1);
    EXPECT_EQ(log.seen.size(), 2u);
}

TEST_F(RenderBlockTest, ZeroFramesStillPullsAppliesEventsAndProcesses) {
    EventList events;
    events.addParameter(index(ParamAddress::volume), 0.3f);
    ASSERT_EQ(render(0, events.link(), pull), noErr);
    EXPECT_EQ(pulls, 1);
    EXPECT_EQ(unit->paramValue(ParamAddress::volume), 0.3f);
    EXPECT_FALSE(filtersUntouched()); // the kernel ran: a fresh allocation sets its filters at the first call
}

TEST_F(RenderBlockTest, TreeSetToNilSkipsEventsButStillRenders) {
    unit->setParameterTree(nullptr);
    AUInternalRenderBlock treeless = unit->internalRenderBlock();
    EventList events;
    events.addParameter(index(ParamAddress::mix), 0.9f);
    buffers.prepare(64);
    EXPECT_EQ(treeless(nullptr, &timestamp, 64, 0, buffers.list(), events.link(), pull), noErr);
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 0.5f);
    EXPECT_FALSE(filtersUntouched());
}

TEST_F(RenderBlockTest, BlockKeepsTheTreeAndKernelOfItsMakingAndOutlivesTheUnit) {
    std::shared_ptr<AUParameterTree> original = unit->parameterTree();
    unit->setParameterTree(AUParameterTree::createTree({}));
    EventList events;
    events.addParameter(index(ParamAddress::mix), 0.9f);
    ASSERT_EQ(render(64, events.link(), pull), noErr);
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 0.9f); // through the tree the block was made with

    std::shared_ptr<QuorbelDSPKernel> kernel = unit->dspKernel();
    unit.reset();
    events.events[0].parameter.value = 0.1f;
    EXPECT_EQ(render(64, events.link(), pull), noErr);
    EXPECT_EQ(kernel->modulation().input.mix.load(), 0.9f); // the values are gone with the unit
}

TEST_F(RenderBlockTest, EventsOfASliceAreInForceAtTheTickOfThatSlice) {
    // 512 frames at 44100 Hz are 0.0116 s: the second call ticks, after its bypass event was applied.
    ASSERT_EQ(render(kMaxFrames, nullptr, pull), noErr);
    EventList events;
    events.addParameter(index(ParamAddress::bypass), 1.0f);
    ASSERT_EQ(render(kMaxFrames, events.link(), pull), noErr);
    EXPECT_TRUE(unit->dspKernel()->params().bypass);
    for (std::uint32_t ch = 0; ch < 2; ++ch) {
        for (AUAudioFrameCount i = 0; i < kMaxFrames; ++i) {
            ASSERT_EQ(buffers.channel(ch)[i], input[i]);
        }
    }
}

TEST_F(RenderBlockTest, ScheduledBypassLeavesTheAudioUntouchedFromTheNextTick) {
    const AURenderBlock hostBlock = unit->renderBlock();
    unit->scheduleParameterBlock()(AUEventSampleTimeImmediate, 0, index(ParamAddress::bypass), 1.0f);
    // 512 frames at 44100 Hz are 0.0116 s: the second call completes 0.02 s and ticks.
    for (int call = 0; call < 2; ++call) {
        buffers.prepare(kMaxFrames);
        ASSERT_EQ(hostBlock(nullptr, &timestamp, kMaxFrames, 0, buffers.list(), pull), noErr);
    }
    EXPECT_TRUE(unit->shouldBypassEffect());
    for (std::uint32_t ch = 0; ch < 2; ++ch) {
        for (AUAudioFrameCount i = 0; i < kMaxFrames; ++i) {
            ASSERT_EQ(buffers.channel(ch)[i], input[i]);
        }
    }
}

} // namespace
} // namespace quorbel
