// The rotary knob, driven through the offscreen back end with injected mouse events.
#include "editor/AURotaryControl.h"
#include "stylekit/KnobsStyleKit.h"
#include "stylekit/QuorStyleKit.h"
#include "support/ImageDifference.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace platform;
using quorbel::AURotaryControl;
using quorbel::KnobsStyleKit;
using quorbel::QuorStyleKit;
using quorbel::test::maxChannelDifference;

namespace {

/// The cap's rotation in degrees, read back from its transform.
double capDegrees(const AURotaryControl& knob) {
    const CATransform3D& t = knob.overlayLayer->transform();
    return std::atan2(t.m12, t.m11) * 180 / std::numbers::pi;
}

/// A 100-point knob (bounds 0 to 1, value 0.5) filling the content of a window; counts its face
/// renderings and its value callbacks.
class Knob : public ::testing::Test {
protected:
    void SetUp() override {
        backend = &OffscreenBackend::install();
        window = std::make_shared<NSWindow>(CGRect(0, 0, 100, 100), NSWindowStyleMaskTitled);
        knob = std::make_shared<AURotaryControl>(CGRect(0, 0, 100, 100));
        knob->underlayImageProvider = [this](double w, double h) {
            ++faces;
            return KnobsStyleKit::imageOfNeoUnderlay(CGRect(0, 0, w, h));
        };
        knob->resetValue = 0.25f;
        window->setContentView(knob);
        window->makeKeyAndOrderFront();
        backend->runUntilIdle();
        knob->setValue(0.5f);
        knob->onValueChanged = [this] { ++changes; };
    }
    void TearDown() override { window->close(); }

    OffscreenBackend* backend = nullptr;
    std::shared_ptr<NSWindow> window;
    std::shared_ptr<AURotaryControl> knob;
    int faces = 0;
    int changes = 0;
};

} // namespace

TEST_F(Knob, ValueSetterClampsAndCallsBackOnlyOnAChange) {
    EXPECT_EQ(capDegrees(*knob), 0);
    EXPECT_TRUE(CATransform3DIsIdentity(knob->overlayLayer->transform()));
    knob->setValue(0.5f);
    EXPECT_EQ(changes, 0);
    double capSeenByCallback = 0;
    knob->onValueChanged = [&] {
        ++changes;
        capSeenByCallback = capDegrees(*knob); // the cap turns before the callback
    };
    knob->setValue(2);
    EXPECT_EQ(knob->value(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_NEAR(capDegrees(*knob), 160, 1e-9);
    EXPECT_NEAR(capSeenByCallback, 160, 1e-9);
    knob->setValue(NAN);
    EXPECT_EQ(knob->value(), 0);
    EXPECT_NEAR(capDegrees(*knob), -160, 1e-9);
    EXPECT_EQ(changes, 2);
}

TEST_F(Knob, FiftyPointDragTurnsTheCapByTheDiagonalProjection) {
    struct Case {
        CGPoint to;
        float value;
        double degrees;
    };
    // From the centre: right, up, and right plus down (no projection on the diagonal); then 18 points
    // right, where the divisor 3.1415925 gives 0.591157079 and pi would give 0.591157019.
    const Case cases[] = {{{100, 50}, 0.75321400f, 81.02847},
                          {{50, 0}, 0.75321400f, 81.02847},
                          {{100, 100}, 0.5f, 0},
                          {{68, 50}, 0.591157079f, 29.17025}};
    for (const Case& c : cases) {
        knob->setValue(0.5f);
        changes = 0;
        backend->drag(*knob, {50, 50}, c.to);
        EXPECT_EQ(knob->value(), c.value) << c.to.x << "," << c.to.y;
        EXPECT_NEAR(capDegrees(*knob), c.degrees, 5e-5);
        EXPECT_EQ(changes > 0, c.value != 0.5f); // one call per step that moved the cap
    }
}

// The feed knob's range (1 to 20) at 5, dragged to the right: 32 points give 8.07908249 and 23 points
// 7.21309042 (pi itself as the divisor gives 8.07908154 at 32 points); 26 points give 7.50175476 only when
// the angle is summed in 32-bit arithmetic, which a 64-bit sum of the same terms misses.
TEST_F(Knob, DragSumsTheAngleInSinglePrecision) {
    knob->lowerBound = 1;
    knob->upperBound = 20;
    for (const auto& [right, value] :
         {std::pair{32.0, 8.07908249f}, std::pair{23.0, 7.21309042f}, std::pair{26.0, 7.50175476f}}) {
        knob->setValue(5);
        backend->drag(*knob, {50, 50}, {50 + right, 50});
        EXPECT_EQ(knob->value(), value) << right;
    }
}

// A knob 200 points wide, 100 high, at 0.25 (-80 degrees): 100 points to the right is 100 / sqrt 2 along the
// diagonal, 1.41421 quarters of the width, 81.02847 degrees: the cap ends at 1.02847 degrees, the value at
// (1.02847 + 160) / 320.
TEST_F(Knob, DragTurnsFromTheAngleItBeganAtByOneRadianPerQuarterOfTheWidth) {
    window->setContentSize({200, 100});
    backend->runUntilIdle();
    ASSERT_EQ(knob->bounds().size, CGSize(200, 100));
    knob->setValue(0.25f);
    backend->drag(*knob, {100, 50}, {200, 50});
    EXPECT_NEAR(capDegrees(*knob), 1.02847, 5e-5);
    EXPECT_NEAR(knob->value(), 0.5032140, 2e-7);
}

TEST_F(Knob, DraggingFarStopsAtTheEnds) {
    backend->drag(*knob, {50, 50}, {1000, 50});
    EXPECT_EQ(knob->value(), 1);
    EXPECT_NEAR(capDegrees(*knob), 160, 1e-9);
    backend->drag(*knob, {50, 50}, {-1000, 50});
    EXPECT_EQ(knob->value(), 0);
    EXPECT_NEAR(capDegrees(*knob), -160, 1e-9);
}

TEST_F(Knob, CancelledDragReturnsToWhereItBeganAndEndedChangesNothing) {
    // Escape mid-drag, then a lost pointer mid-drag: back to 0.5 each time.
    for (int way = 0; way < 2; ++way) {
        backend->mouseDown(*knob, {50, 50});
        backend->mouseDragged(*knob, {60, 50});
        backend->mouseDragged(*knob, {100, 50});
        EXPECT_EQ(knob->value(), 0.75321400f);
        if (way == 0) {
            backend->pressEscape(*window);
        } else {
            backend->losePointerGrab(*window);
        }
        EXPECT_EQ(knob->value(), 0.5f);
        EXPECT_EQ(capDegrees(*knob), 0);
        backend->mouseDragged(*knob, {0, 50}); // the cancelled drag sees no more
        backend->mouseUp(*knob, {0, 50});
        EXPECT_EQ(knob->value(), 0.5f);
    }
    // The release, wherever it happens, keeps the value of the last movement.
    backend->mouseDown(*knob, {50, 50});
    backend->mouseDragged(*knob, {60, 50});
    backend->mouseDragged(*knob, {100, 50});
    backend->mouseUp(*knob, {0, 0});
    EXPECT_EQ(knob->value(), 0.75321400f);
}

TEST_F(Knob, DoubleClickSetsTheResetValueOnce) {
    backend->click(*knob, {50, 50}, 1);
    EXPECT_EQ(knob->value(), 0.5f);
    backend->advanceClock(1);
    backend->click(*knob, {50, 50}, 2);
    EXPECT_EQ(knob->value(), 0.25f);
    EXPECT_EQ(changes, 1);
    backend->advanceClock(1);
    backend->click(*knob, {50, 50}, 2); // already at the reset value: no callback
    EXPECT_EQ(changes, 1);
}

TEST_F(Knob, BothLayersFillTheKnobAndTheDefaultFaceShowsTheLabel) {
    knob->underlayImageProvider = nullptr;
    knob->label = "MIX";
    knob->updateLayers();
    const auto face = [](const char* label) {
        return QuorStyleKit::imageOfDefaultKnob({100, 100}, label)
            ->CGImageForProposedRect(nullptr, nullptr, nullptr);
    };
    EXPECT_EQ(maxChannelDifference(*knob->underlayLayer->contents(), *face("MIX")), 0);
    EXPECT_GT(maxChannelDifference(*knob->underlayLayer->contents(), *face("")), 100);
    for (const auto& layer : {knob->underlayLayer, knob->overlayLayer}) { // both centred on the knob
        EXPECT_EQ(layer->position(), CGPoint(50, 50));
        EXPECT_EQ(layer->bounds(), CGRect(0, 0, 100, 100));
    }
}

TEST_F(Knob, ZeroSizeDrawsNothingAndKeepsWhatItShowed) {
    const auto contents = knob->overlayLayer->contents();
    ASSERT_NE(contents, nullptr);
    knob->setValue(1);
    const CATransform3D turned = knob->overlayLayer->transform();
    const int facesBefore = faces;
    for (const CGSize size : {CGSize{0, 100}, CGSize{100, 0}, CGSize{NAN, 100}}) {
        knob->setFrameSize(size);
        knob->updateLayers();
    }
    EXPECT_EQ(faces, facesBefore);
    EXPECT_EQ(knob->overlayLayer->contents(), contents);
    EXPECT_EQ(knob->overlayLayer->transform(), turned);

    auto empty = std::make_shared<AURotaryControl>(CGRect(0, 0, 0, 0));
    EXPECT_EQ(empty->underlayLayer->contents(), nullptr);
    EXPECT_EQ(empty->overlayLayer->contents(), nullptr);
}

TEST_F(Knob, TurningRendersNoImageAndRedrawsOncePerTurn) {
    const auto face = knob->underlayLayer->contents();
    const auto cap = knob->overlayLayer->contents();
    const int facesBefore = faces;
    backend->runUntilIdle();
    const long drawn = window->displayCount();
    backend->mouseDown(*knob, {50, 50});
    for (int x = 51; x <= 80; ++x) {
        backend->mouseDragged(*knob, {double(x), 50});
        if (x % 10 == 0) {
            backend->runUntilIdle(); // composite the window now and then, as a run loop would
        }
    }
    backend->mouseUp(*knob, {80, 50});
    backend->runUntilIdle();
    EXPECT_GT(knob->value(), 0.5f);
    EXPECT_EQ(faces, facesBefore);
    EXPECT_EQ(knob->underlayLayer->contents(), face);
    EXPECT_EQ(knob->overlayLayer->contents(), cap);
    EXPECT_EQ(window->displayCount(), drawn + 3); // thirty moves, three turns, three drawings
}

// In the knob's flipped space a positive rotation turns the cap clockwise: a quarter turn up from the
// middle puts the yellow pointer at the right, a quarter turn down at the left.
TEST_F(Knob, RaisingTheValueTurnsThePointerClockwise) {
    auto pointerX = [&] {
        backend->runUntilIdle();
        const auto pixels = backend->windowPixels(*window);
        double sum = 0;
        int count = 0;
        for (std::size_t y = 0; y < pixels->height(); ++y) {
            for (std::size_t x = 0; x < pixels->width(); ++x) {
                const CGImagePixel p = pixels->pixelAt(x, y);
                if (p.red > 200 && p.green > 180 && p.blue < 80) { // the pointer's yellow
                    sum += double(x);
                    ++count;
                }
            }
        }
        return count > 0 ? sum / count : -1;
    };
    knob->setValue(0.5f);
    EXPECT_NEAR(pointerX(), 50, 3);
    knob->setValue(0.5f + 90.0f / 320.0f);
    EXPECT_GT(pointerX(), 60);
    knob->setValue(0.5f - 90.0f / 320.0f);
    EXPECT_LT(pointerX(), 40);
}
