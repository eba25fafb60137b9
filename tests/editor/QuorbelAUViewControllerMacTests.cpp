// The editor's view controller: the panel's frames at several sizes, and the binding of its controls to the
// unit's parameters, driven through the offscreen back end with injected mouse events.
#include "editor/QuorbelAUViewControllerMac.h"

#include "audiounit/QuorbelComponent.h"
#include "stylekit/KnobsStyleKit.h"
#include "support/ImageDifference.h"
#include "ui/DispatchQueue.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>

using namespace platform;
using quorbel::AURotaryControl;
using quorbel::KnobsStyleKit;
using quorbel::QuorbelAUViewControllerMac;
using quorbel::test::maxChannelDifference;

namespace {

/// The bitmap that an image yields at the platform's density.
std::shared_ptr<CGImage> bitmap(const std::shared_ptr<NSImage>& image) {
    return image->CGImageForProposedRect(nullptr, nullptr, nullptr);
}

/// The view controller, counting its refreshes; runs beforeKnobChanged, when set, as a knob calls back.
class CountingController : public QuorbelAUViewControllerMac {
public:
    void updateControlsFromParameters() override {
        ++refreshes;
        QuorbelAUViewControllerMac::updateControlsFromParameters();
    }
    void knobChanged(AURotaryControl* knob) override {
        if (beforeKnobChanged) {
            beforeKnobChanged();
        }
        QuorbelAUViewControllerMac::knobChanged(knob);
    }
    int refreshes = 0;
    std::function<void()> beforeKnobChanged;
};

/// A controller with its unit, shown in a window of its preferred size, the main queue drained.
class Panel : public ::testing::Test {
protected:
    void SetUp() override {
        backend = &OffscreenBackend::install();
        controller = std::make_shared<CountingController>();
        ASSERT_NE(controller->createAudioUnit(quorbel::kQuorbelComponentDescription, nullptr), nullptr);
        window = std::make_shared<NSWindow>(CGRect(0, 0, 100, 100), NSWindowStyleMaskTitled);
        window->setContentViewController(controller);
        window->makeKeyAndOrderFront();
        settle();
    }
    void TearDown() override { window->close(); }

    AUParameter& parameter(AUParameterAddress address) {
        return *controller->audioUnit->parameterTree()->parameterWithAddress(address);
    }
    /// Runs the main queue and draws until nothing is left to do, which a few turns must reach: a layout
    /// that asked for another one would go on turn after turn.
    void settle() {
        int turns = 0;
        while (backend->runOnce() && turns < 10) {
            ++turns;
        }
        EXPECT_LT(turns, 10) << "the panel never settles";
    }
    /// Sets a parameter as a host would and lets the refreshes it queues run.
    void hostSets(AUParameterAddress address, AUValue value) {
        parameter(address).setValue(value);
        settle();
    }
    void resize(CGSize size) {
        window->setContentSize(size);
        settle();
    }
    /// The three filter buttons' states as "lp bp hp", 1 for on.
    std::string filterStates() const {
        return std::to_string(controller->lowPassBtn->state()) +
               std::to_string(controller->bandPassBtn->state()) +
               std::to_string(controller->highPassBtn->state());
    }
    void doubleClick(NSView& view) {
        backend->advanceClock(1);
        backend->click(view, {view.bounds().midX(), view.bounds().midY()}, 2);
    }

    OffscreenBackend* backend = nullptr;
    std::shared_ptr<CountingController> controller;
    std::shared_ptr<NSWindow> window;
};

} // namespace

TEST_F(Panel, FramesAtThePreferredSize) {
    EXPECT_EQ(window->contentSize(), CGSize(480, 320));
    EXPECT_EQ(controller->knobSize, 115);
    EXPECT_EQ(controller->radioSize, 23);
    const QuorbelAUViewControllerMac& c = *controller;
    const struct {
        const NSView* view;
        CGRect frame;
    } expected[] = {
        {c.mixKnob.get(), {125.5, 23, 115, 115}},        {c.feedKnob.get(), {11.5, 23, 115, 115}},
        {c.toneKnob.get(), {239.5, 23, 115, 115}},       {c.orbitKnob.get(), {125.5, 193.5, 115, 115}},
        {c.vexityKnob.get(), {11.5, 193.5, 115, 115}},   {c.confusionKnob.get(), {239.5, 193.5, 115, 115}},
        {c.volumeKnob.get(), {353.5, 119.75, 115, 115}}, {c.highPassBtn.get(), {445.5, 11.5, 23, 23}},
        {c.bandPassBtn.get(), {445.5, 34.5, 23, 23}},    {c.lowPassBtn.get(), {445.5, 57.5, 23, 23}},
        {c.bypassBtn.get(), {445.5, 285.5, 23, 23}},     {c.brokenBtn.get(), {445.5, 262.5, 23, 23}},
        {c.lpLabel.get(), {420.5, 57.5, 23, 23}},        {c.bpLabel.get(), {420.5, 34.5, 23, 23}},
        {c.hpLabel.get(), {420.5, 11.5, 23, 23}},        {c.brokenLabel.get(), {397.5, 262.5, 46, 23}},
        {c.bypassLabel.get(), {386, 285.5, 57.5, 23}},
    };
    for (const auto& e : expected) {
        const CGRect f = e.view->frame();
        EXPECT_EQ(f, e.frame) << f.origin.x << " " << f.origin.y << " " << f.size.width << " "
                              << f.size.height;
    }
    EXPECT_TRUE(controller->view()->isFlipped());
    // Every image at its control's size: both button images and the captions.
    EXPECT_EQ(c.bypassBtn->image()->size(), CGSize(23, 23));
    EXPECT_EQ(c.bypassBtn->alternateImage()->size(), CGSize(23, 23));
    EXPECT_EQ(c.bypassLabel->image()->size(), CGSize(57.5, 23));
    EXPECT_EQ(c.mixKnob->underlayLayer->contents()->width(), 230u); // 115 points at 2 pixels per point
}

TEST_F(Panel, SizesScaleWithTheView) {
    const struct {
        CGSize size;
        double knob, radio, column, bottomRow;
        CGPoint master;
        double buttonsX;
    } cases[] = {
        {{800, 600}, 200, 40, 206.667, 380, {580, 230}, 740},
        {{320, 320}, 90, 18, 9 + (320 - 90 - 18) / 3.0, 221, {221, 128.5}, 293},
        {{320, 480}, 115, 23, 72.167, 353.5, {193.5, 199.75}, 285.5},
        // Wide and low: 208 / 2.3 = 90.43 is below the diagonal's 127.0 / 5.
        {{600, 208}, 90, 18, 173, 109, {501, 72.5}, 573},
    };
    for (const auto& e : cases) {
        resize(e.size);
        EXPECT_EQ(controller->knobSize, e.knob);
        EXPECT_EQ(controller->radioSize, e.radio);
        EXPECT_NEAR(controller->mixKnob->frame().origin.x, e.column, 5e-4);
        EXPECT_EQ(controller->vexityKnob->frame().origin.y, e.bottomRow);
        EXPECT_EQ(controller->volumeKnob->frame().origin, e.master);
        EXPECT_EQ(controller->lowPassBtn->frame().origin.x, e.buttonsX);
        EXPECT_EQ(controller->bypassBtn->frame().origin.y + e.radio, e.bottomRow + e.knob);
    }
}

// Knob faces, caption and button drawings, each at its control's size; the panel yellow (0.925, 0.863,
// 0.11) around and between them, in the buttons' corners too (no bezel).
TEST_F(Panel, EveryControlShowsItsOwnDrawingOnThePanelYellow) {
    const QuorbelAUViewControllerMac& c = *controller;
    const CGRect knob(0, 0, 115, 115);
    const struct {
        const AURotaryControl* knob;
        std::shared_ptr<NSImage> face;
    } faces[] = {{c.mixKnob.get(), KnobsStyleKit::imageOfMixUnderlay(knob)},
                 {c.feedKnob.get(), KnobsStyleKit::imageOfFeedUnderlay(knob)},
                 {c.toneKnob.get(), KnobsStyleKit::imageOfToneUnderlay(knob)},
                 {c.orbitKnob.get(), KnobsStyleKit::imageOfOrbitUnderlay(knob)},
                 {c.vexityKnob.get(), KnobsStyleKit::imageOfVexityUnderlay(knob)},
                 {c.confusionKnob.get(), KnobsStyleKit::imageOfDoubtUnderlay(knob)},
                 {c.volumeKnob.get(), KnobsStyleKit::imageOfMasterUnderlay(knob)}};
    for (const auto& e : faces) {
        EXPECT_EQ(maxChannelDifference(*e.knob->underlayLayer->contents(), *bitmap(e.face), true), 0)
            << e.knob->label;
    }
    const struct {
        const NSImageView* caption;
        std::shared_ptr<NSImage> drawing;
    } captions[] = {{c.lpLabel.get(), KnobsStyleKit::imageOfLP({0, 0, 23, 23})},
                    {c.bpLabel.get(), KnobsStyleKit::imageOfBP({0, 0, 23, 23})},
                    {c.hpLabel.get(), KnobsStyleKit::imageOfHP({0, 0, 23, 23})},
                    {c.brokenLabel.get(), KnobsStyleKit::imageOfFail({0, 0, 46, 23})},
                    {c.bypassLabel.get(), KnobsStyleKit::imageOfBypass({0, 0, 57.5, 23})}};
    for (const auto& e : captions) {
        EXPECT_EQ(maxChannelDifference(*bitmap(e.caption->image()), *bitmap(e.drawing), true), 0)
            << e.caption->frame().origin.y;
    }
    const auto off = bitmap(KnobsStyleKit::imageOfRadioOff({0, 0, 23, 23}));
    const auto on = bitmap(KnobsStyleKit::imageOfRadioOn({0, 0, 23, 23}));
    const auto pixels = backend->windowPixels(*window); // one pixel per point
    const auto expectYellow = [&](CGPoint point) {
        const CGImagePixel p = pixels->pixelAt(std::size_t(point.x), std::size_t(point.y));
        EXPECT_NEAR(p.red, 0.925 * 255, 1.5) << point.x << "," << point.y;
        EXPECT_NEAR(p.green, 0.863 * 255, 1.5) << point.x << "," << point.y;
        EXPECT_NEAR(p.blue, 0.11 * 255, 1.5) << point.x << "," << point.y;
    };
    expectYellow({1, 1});
    expectYellow({240, 170});
    for (const NSButton* button : {c.lowPassBtn.get(), c.bandPassBtn.get(), c.highPassBtn.get(),
                                   c.brokenBtn.get(), c.bypassBtn.get()}) {
        EXPECT_EQ(maxChannelDifference(*bitmap(button->image()), *off, true), 0);
        EXPECT_EQ(maxChannelDifference(*bitmap(button->alternateImage()), *on, true), 0);
        expectYellow({button->frame().minX() + 1, button->frame().minY() + 1});
    }
}

TEST_F(Panel, AViewTooSmallForAKnobEmptiesEveryControl) {
    resize({3, 3}); // diagonal / 5 < 1: knob size 0
    EXPECT_EQ(controller->knobSize, 0);
    EXPECT_EQ(controller->mixKnob->frame().size, CGSize(0, 0));
    EXPECT_EQ(controller->bypassBtn->frame().size, CGSize(0, 0));
    EXPECT_EQ(controller->bypassLabel->frame().size, CGSize(0, 0));
    resize({480, 320});
    EXPECT_EQ(controller->mixKnob->frame(), CGRect(125.5, 23, 115, 115));
}

TEST_F(Panel, RefreshClampsAKnobAndSetsItsParameterOnlyWhenItMoves) {
    hostSets(1, 25); // feed: the knob spans 1 to 20
    EXPECT_EQ(controller->feedKnob->value(), 20);
    EXPECT_EQ(parameter(1).value(), 20);
    hostSets(1, 30); // the knob already shows 20: nothing moves, nothing is set
    EXPECT_EQ(controller->feedKnob->value(), 20);
    EXPECT_EQ(parameter(1).value(), 30);
}

TEST_F(Panel, EachKnobFollowsItsOwnParameterAndSetsIt) {
    const QuorbelAUViewControllerMac& c = *controller;
    const struct {
        AURotaryControl* knob;
        AUParameterAddress address;
        float shown, turned;
    } cases[] = {{c.mixKnob.get(), 0, 0.1f, 0.2f},     {c.feedKnob.get(), 1, 2, 3},
                 {c.toneKnob.get(), 2, 300, 400},      {c.orbitKnob.get(), 3, -0.25f, 0.25f},
                 {c.vexityKnob.get(), 4, 0.5f, -0.5f}, {c.confusionKnob.get(), 5, 0.75f, -0.75f},
                 {c.volumeKnob.get(), 6, 0.9f, 0.8f}};
    for (const auto& e : cases) {
        hostSets(e.address, e.shown);
    }
    for (const auto& e : cases) {
        EXPECT_EQ(e.knob->value(), e.shown) << e.address;
        e.knob->setValue(e.turned);
    }
    settle();
    for (const auto& e : cases) {
        EXPECT_EQ(parameter(e.address).value(), e.turned) << e.address;
    }
}

TEST_F(Panel, FilterModeTruncatesAndAnyOtherModeTurnsAllButtonsOff) {
    const struct {
        float mode;
        const char* states;
    } cases[] = {{1.9f, "010"}, {3, "000"},     {-0.5f, "100"}, {NAN, "000"},
                 {2, "001"},    {1e30f, "000"}, {0, "100"},     {-INFINITY, "000"}};
    for (const auto& e : cases) {
        hostSets(9, e.mode);
        EXPECT_EQ(filterStates(), e.states) << e.mode;
    }
}

TEST_F(Panel, SwitchesAreOnAboveOneHalf) {
    for (const auto& [address, button] :
         {std::pair{7u, controller->bypassBtn}, std::pair{8u, controller->brokenBtn}}) {
        hostSets(address, 0.51f);
        EXPECT_EQ(button->state(), NSControlStateValueOn);
        hostSets(address, 0.5f);
        EXPECT_EQ(button->state(), NSControlStateValueOff);
        backend->click(*button, {5, 5}); // a click sets the parameter to 1, the next to 0
        EXPECT_EQ(parameter(address).value(), 1);
        backend->click(*button, {5, 5});
        EXPECT_EQ(parameter(address).value(), 0);
    }
}

TEST_F(Panel, FilterButtonsActAsRadioButtons) {
    int modeSets = 0;
    const auto tree = controller->audioUnit->parameterTree();
    const auto token = tree->tokenByAddingParameterObserver(
        [&](AUParameterAddress address, AUValue) { modeSets += address == 9; });
    EXPECT_EQ(filterStates(), "100");
    backend->click(*controller->bandPassBtn, {5, 5});
    EXPECT_EQ(filterStates(), "010");
    EXPECT_EQ(parameter(9).value(), 1);
    EXPECT_EQ(modeSets, 1);
    backend->advanceClock(1);
    backend->click(*controller->bandPassBtn, {5, 5}); // already on: stays on, sets the mode again
    EXPECT_EQ(filterStates(), "010");
    EXPECT_EQ(parameter(9).value(), 1);
    EXPECT_EQ(modeSets, 2);
    tree->removeParameterObserver(token);
}

TEST_F(Panel, DoubleClicksResetTheKnobs) {
    const struct {
        AURotaryControl* knob;
        AUParameterAddress address;
        float reset;
    } cases[] = {{controller->feedKnob.get(), 1, 3.66f},
                 {controller->toneKnob.get(), 2, 600},
                 {controller->volumeKnob.get(), 6, 0.5f},
                 {controller->mixKnob.get(), 0, 0.5f}};
    hostSets(0, 0.9f);
    for (const auto& e : cases) {
        doubleClick(*e.knob);
        EXPECT_EQ(e.knob->value(), e.reset);
        EXPECT_EQ(parameter(e.address).value(), e.reset);
    }
}

TEST_F(Panel, DisappearingDisconnectsAndAppearingRefreshesOnce) {
    window->orderOut();
    EXPECT_EQ(controller->parameterObserverToken, nullptr);
    const int before = controller->refreshes;
    hostSets(7, 1); // bypass, not observed now
    EXPECT_EQ(controller->refreshes, before);
    EXPECT_EQ(controller->bypassBtn->state(), NSControlStateValueOff);
    window->makeKeyAndOrderFront();
    settle();
    EXPECT_NE(controller->parameterObserverToken, nullptr);
    EXPECT_EQ(controller->refreshes, before + 1);
    EXPECT_EQ(controller->bypassBtn->state(), NSControlStateValueOn);
}

TEST_F(Panel, ASecondUnitTakesOverTheControls) {
    const std::shared_ptr<quorbel::QuorbelAudioUnit> first = controller->audioUnit;
    ASSERT_NE(controller->createAudioUnit(quorbel::kQuorbelComponentDescription, nullptr), nullptr);
    settle();
    hostSets(0, 0.25f); // on the second unit
    EXPECT_EQ(controller->mixKnob->value(), 0.25f);
    first->parameterTree()->parameterWithAddress(0)->setValue(0.75f);
    settle();
    EXPECT_EQ(controller->mixKnob->value(), 0.25f);
}

// A host thread asks for a second unit while the panel disappears and appears on the main thread (run
// under ThreadSanitizer too): the observer moves to the second unit's tree on the main queue.
TEST_F(Panel, ASecondUnitMadeOnAnotherThreadTakesOverWhileThePanelComesAndGoes) {
    const std::shared_ptr<quorbel::QuorbelAudioUnit> first = controller->audioUnit;
    std::atomic<bool> made{false};
    std::shared_ptr<AUAudioUnit> second;
    std::thread host([&] {
        second = controller->createAudioUnit(quorbel::kQuorbelComponentDescription, nullptr);
        made = true;
    });
    for (int turn = 0; turn < 3 || !made; ++turn) {
        window->orderOut();
        window->makeKeyAndOrderFront();
        DispatchQueue::main().drain();
    }
    host.join();
    settle();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(controller->audioUnit, second);
    hostSets(0, 0.25f); // on the second unit
    EXPECT_EQ(controller->mixKnob->value(), 0.25f);
    first->parameterTree()->parameterWithAddress(0)->setValue(0.75f);
    EXPECT_TRUE(DispatchQueue::main().empty()); // the first unit's tree has no observer left
}

// A host thread automating a parameter while the main thread refreshes (run under ThreadSanitizer too).
TEST_F(Panel, ValuesSetOnAnotherThreadReachTheKnob) {
    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int i = 0; i < 500; ++i) {
            parameter(3).setValue(i % 2 == 0 ? -0.5f : 0.5f); // orbit
        }
        done = true;
    });
    while (!done) {
        backend->runOnce();
    }
    automation.join();
    settle();
    EXPECT_EQ(std::fabs(controller->orbitKnob->value()), 0.5f);
    EXPECT_EQ(controller->orbitKnob->value(), parameter(3).value());
}

// A host thread's burst of values while refreshes move the knob: the last value set stays, on the
// parameter and on the knob, however the burst and the refreshes interleave (run under ThreadSanitizer too).
TEST_F(Panel, TheLastValueOfABurstSetOnAnotherThreadStays) {
    for (int run = 0; run < 40; ++run) {
        std::atomic<bool> done{false};
        std::thread host([&] {
            for (int i = 0; i < 9999; ++i) {
                parameter(2).setValue(static_cast<float>(200 + i % 600)); // tone, within the knob's bounds
            }
            parameter(2).setValue(777);
            done = true;
        });
        while (!done) {
            DispatchQueue::main().drain();
        }
        host.join();
        settle();
        EXPECT_EQ(parameter(2).value(), 777) << "run " << run;
        EXPECT_EQ(controller->toneKnob->value(), 777) << "run " << run;
    }
}

// A host thread sets feed to 7 after a refresh has read 25 and while it moves the knob to its bound, 20,
// before the knob sets its parameter: the bound must not replace the newer value (run under ThreadSanitizer
// too).
TEST_F(Panel, AValueSetOnAnotherThreadWhileARefreshClampsTheKnobStays) {
    hostSets(1, 10); // feed: the knob spans 1 to 20
    std::atomic<bool> clamping{false};
    std::atomic<bool> set{false};
    std::thread host([&] {
        while (!clamping) {
            std::this_thread::yield();
        }
        parameter(1).setValue(7);
        set = true;
    });
    controller->beforeKnobChanged = [&] {
        clamping = true;
        while (!set) {
            std::this_thread::yield();
        }
    };
    hostSets(1, 25);
    clamping = true; // lets the host thread end even if no knob called back
    host.join();
    controller->beforeKnobChanged = nullptr;
    settle();
    EXPECT_EQ(parameter(1).value(), 7);
    EXPECT_EQ(controller->feedKnob->value(), 7);
}

// Without a window, as a host may drive it: the connection queued by the factory runs before the view
// exists, and the controls built later show the current values.
TEST(PanelLifecycle, FactoryConnectsOnTheMainQueueAndLateControlsShowCurrentValues) {
    OffscreenBackend::install();
    DispatchQueue::main().drain();
    auto controller = std::make_shared<QuorbelAUViewControllerMac>();
    NSError error;
    EXPECT_EQ(controller->createAudioUnit({}, &error), nullptr); // no component type: the base refuses
    EXPECT_NE(error.code(), 0);
    EXPECT_EQ(controller->audioUnit, nullptr);
    EXPECT_TRUE(DispatchQueue::main().empty());

    auto unit = controller->createAudioUnit(quorbel::kQuorbelComponentDescription, &error);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(controller->audioUnit, unit);
    EXPECT_EQ(controller->parameterObserverToken, nullptr); // not before the main queue runs
    unit->parameterTree()->parameterWithAddress(1)->setValue(12);
    unit->parameterTree()->parameterWithAddress(9)->setValue(2);
    DispatchQueue::main().drain();
    EXPECT_NE(controller->parameterObserverToken, nullptr);
    EXPECT_FALSE(controller->isViewLoaded());

    const auto view = controller->view();
    EXPECT_EQ(controller->preferredContentSize(), CGSize(480, 320));
    EXPECT_EQ(controller->feedKnob->value(), 12);
    EXPECT_EQ(controller->highPassBtn->state(), NSControlStateValueOn);
    EXPECT_EQ(controller->lowPassBtn->state(), NSControlStateValueOff);

    DispatchQueue::main().drain(); // whatever the first refresh queued

    // A refresh queued by a notification, then the controller gone: the refresh does nothing.
    unit->parameterTree()->parameterWithAddress(0)->setValue(0.1f);
    EXPECT_FALSE(DispatchQueue::main().empty());
    controller.reset();
    EXPECT_EQ(DispatchQueue::main().drain(), 1u);
    unit->parameterTree()->parameterWithAddress(0)->setValue(0.2f); // nobody listens any more
    EXPECT_TRUE(DispatchQueue::main().empty());
}

// Built without a unit and not yet laid out: the root view at 480 x 320, each knob with its bounds, reset
// value, label and start value, low-pass on, every button with its 30-point images.
TEST(PanelLifecycle, ControlsStartWithTheirOwnSettingsBeforeAnyUnitOrLayout) {
    OffscreenBackend::install();
    auto controller = std::make_shared<QuorbelAUViewControllerMac>();
    EXPECT_EQ(controller->view()->frame(), CGRect(0, 0, 480, 320));
    const QuorbelAUViewControllerMac& c = *controller;
    const struct {
        const AURotaryControl* knob;
        float lower, upper, reset;
        const char* label;
        float value;
    } knobs[] = {
        {c.mixKnob.get(), 0, 1, 0.5f, "MIX", 0.5f},      {c.feedKnob.get(), 1, 20, 3.66f, "FEED", 5},
        {c.toneKnob.get(), 200, 1000, 600, "TONE", 500}, {c.orbitKnob.get(), -1, 1, 0, "ORBIT", 0},
        {c.vexityKnob.get(), -1, 1, 0, "VEXITY", 0},     {c.confusionKnob.get(), -1, 1, 0, "DOUBT", 0},
        {c.volumeKnob.get(), 0, 1, 0.5f, "MASTER", 0.7f}};
    for (const auto& e : knobs) {
        EXPECT_EQ(e.knob->lowerBound, e.lower) << e.label;
        EXPECT_EQ(e.knob->upperBound, e.upper) << e.label;
        EXPECT_EQ(e.knob->resetValue, e.reset) << e.label;
        EXPECT_EQ(e.knob->label, e.label);
        EXPECT_EQ(e.knob->value(), e.value) << e.label;
        EXPECT_EQ(e.knob->lowAngle, -160);
        EXPECT_EQ(e.knob->highAngle, 160);
    }
    EXPECT_EQ(c.lowPassBtn->state(), NSControlStateValueOn);
    for (const NSButton* button :
         {c.bandPassBtn.get(), c.highPassBtn.get(), c.brokenBtn.get(), c.bypassBtn.get()}) {
        EXPECT_EQ(button->state(), NSControlStateValueOff);
    }
    EXPECT_EQ(c.bypassBtn->image()->size(), CGSize(30, 30));
    EXPECT_EQ(c.bypassBtn->alternateImage()->size(), CGSize(30, 30));
    EXPECT_EQ(c.bypassLabel->image(), nullptr);
}
