// Renders through the audio unit's render block with parameter events of every kind, scheduled and direct,
// while tree observers are notified on the render thread and another thread sets values, adds and removes
// observers; expects no allocation and no lock on the render thread.
#include "support/AllocationTrap.h"
#include "support/Noise.h"

#include "audiounit/QuorbelAudioUnit.h"
#include "audiounit/QuorbelComponent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quorbel {
namespace {

using namespace platform;
using test::TrapCounts;

// The counters must see what they are meant to see, or a zero below would prove nothing.
TEST(RenderBlockRealTimeSafety, CountersSeeAllocationsAndLocks) {
    const TrapCounts seen = test::exerciseTrap();
    EXPECT_GE(seen.newDelete, 4);
    EXPECT_GE(seen.locks, 1);
    if (test::trapCountsCAllocator()) {
        EXPECT_GE(seen.allocator, 2);
    }
}

/// A parameter or ramp event for a linked list on the stack.
AURenderEvent parameterEvent(AUParameterAddress address, AUValue value, AUAudioFrameCount ramp) {
    AURenderEvent e{};
    e.parameter.eventType = ramp > 0 ? AURenderEventParameterRamp : AURenderEventParameter;
    e.parameter.rampDurationSampleFrames = ramp;
    e.parameter.parameterAddress = address;
    e.parameter.value = value;
    return e;
}

TEST(RenderBlockRealTimeSafety, RenderingWithEventsAndObserversAllocatesNothingAndTakesNoLock) {
    constexpr AUAudioFrameCount maxFrames = 1024;
    const AUAudioFrameCount frameCounts[] = {0, 1, 64, 137, 512, 1024};

    registerQuorbelComponent();
    auto unit = AUAudioUnit::instantiate<QuorbelAudioUnit>(kQuorbelComponentDescription, 0, nullptr);
    ASSERT_NE(unit, nullptr);
    ASSERT_TRUE(unit->setMaximumFramesToRender(maxFrames));
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    const std::shared_ptr<AUParameterTree> tree = unit->parameterTree();

    // Observers notified on the render thread: one counting, one reading values and texts' inputs.
    std::atomic<long> notified{0};
    std::atomic<float> lastValue{0.0f};
    tree->tokenByAddingParameterObserver([&](AUParameterAddress, AUValue) { notified.fetch_add(1); });
    tree->tokenByAddingParameterObserver([&](AUParameterAddress address, AUValue) {
        if (AUParameter* p = tree->parameterWithAddress(address)) {
            lastValue.store(p->value());
        }
    });

    const AURenderBlock hostBlock = unit->renderBlock();
    const AUInternalRenderBlock internalBlock = unit->internalRenderBlock();
    const AUScheduleParameterBlock schedule = unit->scheduleParameterBlock();
    OwnedAudioBufferList buffers(2, maxFrames);
    const std::vector<float> source = test::noise(maxFrames, 5, 1.0f);
    const AURenderPullInputBlock pull = [&](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                            AUAudioFrameCount frames, NSInteger,
                                            AudioBufferList* data) -> AUAudioUnitStatus {
        for (std::uint32_t ch = 0; ch < data->mNumberBuffers; ++ch) {
            auto* out = static_cast<float*>(data->mBuffers[ch].mData);
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                out[i] = source[i];
            }
        }
        return noErr;
    };

    // A control thread meanwhile sets values through the tree and adds and removes an observer.
    std::atomic<bool> stop{false};
    std::thread control([&] {
        AUParameter* orbit = tree->parameterWithAddress(3);
        float v = -1.0f;
        while (!stop.load()) {
            orbit->setValue(v);
            v = v > 1.0f ? -1.0f : v + 0.01f;
            const AUParameterObserverToken token =
                tree->tokenByAddingParameterObserver([](AUParameterAddress, AUValue) {});
            tree->removeParameterObserver(token);
            schedule(AUEventSampleTimeImmediate, 16, 5, v);
        }
    });

    long calls = 0;
    std::atomic<int> status{noErr};
    TrapCounts seen{};
    std::thread render([&] {
        seen = test::inRenderScope([&] {
            for (int round = 0; round < 30; ++round) {
                for (AUAudioFrameCount frames : frameCounts) {
                    // Through the host's block: scheduled events from the control thread arrive as the list.
                    buffers.prepare(frames);
                    int s = hostBlock(nullptr, nullptr, frames, 0, buffers.list(), pull);
                    // Directly: a list with ramps, a MIDI event, an unknown address and switches flipping.
                    AURenderEvent events[6] = {
                        parameterEvent(0, 0.3f + 0.01f * static_cast<float>(round % 50), 0),
                        parameterEvent(2, 300.0f + static_cast<float>(round), 256),
                        {},
                        parameterEvent(12, 1.0f, 0),
                        parameterEvent(8, round % 2 == 0 ? 1.0f : 0.0f, 0),
                        parameterEvent(9, static_cast<float>(round % 3), 0),
                    };
                    events[2].MIDI.eventType = AURenderEventMIDI;
                    events[2].MIDI.length = 3;
                    for (int i = 0; i < 5; ++i) {
                        events[i].head.next = &events[i + 1];
                    }
                    buffers.prepare(frames);
                    const int d = internalBlock(nullptr, nullptr, frames, 0, buffers.list(), events, pull);
                    if (s == noErr) {
                        s = d;
                    }
                    if (s != noErr) {
                        status.store(s);
                    }
                    ++calls;
                }
            }
        });
    });
    render.join();
    stop.store(true);
    control.join();

    EXPECT_EQ(status.load(), noErr);
    EXPECT_EQ(seen.allocator, 0);
    EXPECT_EQ(seen.newDelete, 0);
    EXPECT_EQ(seen.locks, 0);
    EXPECT_EQ(calls, 30 * 6);
    // Five known events per direct call reached the observers (plus whatever the control thread caused).
    EXPECT_GE(notified.load(), 30 * 6 * 5);
    EXPECT_GT(unit->dspKernel()->modulation().time(), 1.0); // the kernel ticked many times
    for (std::uint32_t ch = 0; ch < 2; ++ch) {
        for (AUAudioFrameCount i = 0; i < maxFrames; ++i) {
            ASSERT_TRUE(std::isfinite(buffers.channel(ch)[i]));
        }
    }
}

} // namespace
} // namespace quorbel
