// A render event sets a parameter on the render thread while the editor is connected: the editor's observer
// runs there, under the trap, and the knob follows only when the main queue runs.
#include "support/AllocationTrap.h"

#include "audiotoolbox/AudioBufferList.h"
#include "audiounit/QuorbelComponent.h"
#include "editor/QuorbelAUViewControllerMac.h"
#include "ui/DispatchQueue.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

TEST(EditorRealTimeSafety, CountersSeeAllocationsAndLocks) {
    const quorbel::test::TrapCounts seen = quorbel::test::exerciseTrap();
    EXPECT_GE(seen.newDelete, 4);
    EXPECT_GE(seen.locks, 1);
}

TEST(EditorRealTimeSafety, ARenderEventReachesTheKnobThroughTheMainQueueWithoutAllocatingOrLocking) {
    OffscreenBackend::install();
    auto controller = std::make_shared<quorbel::QuorbelAUViewControllerMac>();
    const auto unit = controller->createAudioUnit(quorbel::kQuorbelComponentDescription, nullptr);
    ASSERT_NE(unit, nullptr);
    // As a host shows the editor: view loaded, sized, laid out, appearing, main queue drained.
    const auto view = controller->view();
    view->setFrameSize({480, 320});
    view->layoutSubtreeIfNeeded();
    controller->viewWillAppear();
    DispatchQueue::main().drain();
    ASSERT_NE(controller->parameterObserverToken, nullptr);
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));

    const AUInternalRenderBlock block = unit->internalRenderBlock();
    OwnedAudioBufferList buffers(2, 512);
    const AURenderPullInputBlock pull = [](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                           AUAudioFrameCount, NSInteger,
                                           AudioBufferList*) -> AUAudioUnitStatus { return noErr; };
    AURenderEvent events[2]{};
    events[0].parameter.eventType = AURenderEventParameter;
    events[0].parameter.parameterAddress = 0; // mix
    events[0].parameter.value = 0.25f;
    events[0].head.next = &events[1];
    events[1].parameter.eventType = AURenderEventParameter;
    events[1].parameter.parameterAddress = 7; // bypass
    events[1].parameter.value = 1;

    AUAudioUnitStatus status = -1;
    quorbel::test::TrapCounts seen;
    std::thread render([&] {
        seen = quorbel::test::inRenderScope(
            [&] { status = block(nullptr, nullptr, 512, 0, buffers.list(), events, pull); });
    });
    render.join();
    EXPECT_EQ(status, noErr);
    EXPECT_EQ(seen.allocator, 0);
    EXPECT_EQ(seen.newDelete, 0);
    EXPECT_EQ(seen.locks, 0);

    EXPECT_EQ(controller->mixKnob->value(), 0.5f); // untouched until the main queue runs
    EXPECT_GE(DispatchQueue::main().drain(), 2u);  // one refresh per event
    EXPECT_EQ(controller->mixKnob->value(), 0.25f);
    EXPECT_EQ(controller->bypassBtn->state(), NSControlStateValueOn);
    unit->deallocateRenderResources();
}
