// Pan and click recognisers through the window's dispatch: their states, the actions they send, and the
// double-click thresholds (500 ms, 4 points).
#include "UITestSupport.h"
#include "ui/NSGestureRecognizer.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;
using ui_test::FlippedView;

namespace {

class Recognizers : public ::testing::Test {
protected:
    void SetUp() override {
        backend = &OffscreenBackend::install();
        window = std::make_shared<NSWindow>(CGRect(0, 0, 200, 200), NSWindowStyleMaskTitled);
        view = std::make_shared<FlippedView>(CGRect(50, 50, 100, 100));
        window->contentView()->addSubview(view);
        pan = std::make_shared<NSPanGestureRecognizer>(
            NSGestureRecognizer::Action([this](NSGestureRecognizer* r) {
                panStates.push_back(r->state());
                translations.push_back(
                    static_cast<NSPanGestureRecognizer*>(r)->translationInView(view.get()));
            }));
        doubleClick = std::make_shared<NSClickGestureRecognizer>(NSGestureRecognizer::Action(
            [this](NSGestureRecognizer* r) { clickStates.push_back(r->state()); }));
        doubleClick->setNumberOfClicksRequired(2);
        view->addGestureRecognizer(pan);
        view->addGestureRecognizer(doubleClick);
    }

    OffscreenBackend* backend = nullptr;
    std::shared_ptr<NSWindow> window;
    std::shared_ptr<FlippedView> view;
    std::shared_ptr<NSPanGestureRecognizer> pan;
    std::shared_ptr<NSClickGestureRecognizer> doubleClick;
    std::vector<NSGestureRecognizerState> panStates;
    std::vector<CGPoint> translations;
    std::vector<NSGestureRecognizerState> clickStates;
};

} // namespace

TEST_F(Recognizers, PanBeginsAtTheFirstMovementAndMeasuresTravelInTheViewsCoordinates) {
    backend->mouseDown(*view, {10, 10});
    EXPECT_TRUE(panStates.empty());
    backend->mouseDragged(*view, {11, 10});
    backend->mouseDragged(*view, {30, 0}); // up, in a flipped view: negative y
    backend->mouseUp(*view, {30, 0});
    EXPECT_EQ(panStates, (std::vector<NSGestureRecognizerState>{NSGestureRecognizerStateBegan,
                                                                NSGestureRecognizerStateChanged,
                                                                NSGestureRecognizerStateEnded}));
    EXPECT_EQ(translations[1], (CGPoint{20, -10}));
    EXPECT_EQ(pan->state(), NSGestureRecognizerStatePossible);
    EXPECT_TRUE(clickStates.empty()); // the press moved more than 4 points
}

TEST_F(Recognizers, PressWithoutMovementFailsThePanAndEscapeOrLostPointerCancelsIt) {
    backend->click(*view, {10, 10});
    EXPECT_TRUE(panStates.empty());
    backend->advanceClock(1);
    for (int way = 0; way < 2; ++way) {
        panStates.clear();
        backend->mouseDown(*view, {10, 10});
        backend->mouseDragged(*view, {20, 10});
        way == 0 ? backend->pressEscape(*window) : backend->losePointerGrab(*window);
        backend->mouseDragged(*view, {40, 10});
        backend->mouseUp(*view, {40, 10});
        EXPECT_EQ(panStates, (std::vector<NSGestureRecognizerState>{NSGestureRecognizerStateBegan,
                                                                    NSGestureRecognizerStateCancelled}));
        backend->advanceClock(1);
    }
}

TEST_F(Recognizers, DoubleClickNeedsTwoPressesWithin500MsAnd4Points) {
    struct Case {
        double gap;     // seconds between the presses
        CGPoint second; // where the second click lands (the first is at 10, 10)
        bool recognised;
    };
    const Case cases[] = {{0.1, {10, 10}, true},
                          {0.49, {14, 10}, true},
                          {0.51, {10, 10}, false},
                          {0.1, {13, 13}, false},
                          {0.1, {10, 15}, false}};
    backend->setEventInterval(0);
    for (const Case& c : cases) {
        clickStates.clear();
        backend->click(*view, {10, 10});
        backend->advanceClock(c.gap);
        backend->click(*view, c.second);
        EXPECT_EQ(clickStates.size(), c.recognised ? 1u : 0u)
            << c.gap << " s, " << c.second.x << "," << c.second.y;
        backend->advanceClock(1);
    }
    // A second press that wanders more than 4 points before its release is no click.
    clickStates.clear();
    backend->click(*view, {10, 10});
    backend->mouseDown(*view, {10, 10});
    backend->mouseDragged(*view, {15, 10});
    backend->mouseUp(*view, {10, 10});
    EXPECT_TRUE(clickStates.empty());
}
