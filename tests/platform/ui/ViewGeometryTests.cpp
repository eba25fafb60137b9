// Hit testing and point conversion between views, flipped and not, and the compositor's placement.
#include "UITestSupport.h"
#include "ui/Compositor.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

using namespace platform;
using ui_test::FlippedView;

namespace {} // namespace

// A 200 x 100 window (y up); inside it a flipped 100 x 50 view at (20, 10); inside that an unflipped
// 10 x 10 view at (5, 5) (5 points below the flipped view's top).
TEST(NSView, ConvertsPointsAndHitTestsAcrossFlippedAndUnflippedViews) {
    OffscreenBackend::install();
    auto window = std::make_shared<NSWindow>(CGRect(0, 0, 200, 100), NSWindowStyleMaskTitled);
    auto flipped = std::make_shared<FlippedView>(CGRect(20, 10, 100, 50));
    auto inner = std::make_shared<NSView>(CGRect(5, 5, 10, 10));
    window->contentView()->addSubview(flipped);
    flipped->addSubview(inner);

    // The flipped view's top-left corner is at window (20, 60); its y grows downward.
    EXPECT_EQ(flipped->convertPointToView({0, 0}, nullptr), (CGPoint{20, 60}));
    EXPECT_EQ(flipped->convertPointFromView({30, 50}, nullptr), (CGPoint{10, 10}));
    // The inner view's bottom-left corner is 15 points below the flipped view's top: window (25, 45).
    EXPECT_EQ(inner->convertPointToView({0, 0}, nullptr), (CGPoint{25, 45}));
    EXPECT_EQ(inner->convertPointToView({0, 0}, flipped.get()), (CGPoint{5, 15}));
    EXPECT_EQ(flipped->convertPointToView({5, 15}, inner.get()), (CGPoint{0, 0}));
    EXPECT_EQ(inner->convertRectToView(inner->bounds(), flipped.get()), CGRect(5, 5, 10, 10));

    NSView* content = window->contentView().get();
    auto hitAt = [&](CGPoint windowPoint) { return content->hitTest(windowPoint); };
    // The top and left edges as seen are inside a view, the bottom and right edges outside.
    EXPECT_EQ(hitAt({25, 55}), inner.get());   // inner's top-left corner
    EXPECT_EQ(hitAt({25, 45}), flipped.get()); // inner's bottom edge
    EXPECT_EQ(hitAt({35, 50}), flipped.get()); // inner's right edge
    EXPECT_EQ(hitAt({20, 60}), flipped.get()); // the flipped view's top-left corner
    EXPECT_EQ(hitAt({20, 10}), content);       // its bottom edge
    EXPECT_EQ(hitAt({150, 90}), content);
    inner->setHidden(true);
    EXPECT_EQ(hitAt({25, 55}), flipped.get());
}

TEST(Compositor, PlacesLayersAndSubviewsWhereTheirFramesSay) {
    OffscreenBackend::install();
    auto root = std::make_shared<NSView>(CGRect(0, 0, 40, 20));
    root->setWantsLayer(true);
    root->layer()->setBackgroundColor(CGColor{0, 0, 1, 1});
    auto flipped = std::make_shared<FlippedView>(CGRect(0, 0, 10, 10)); // bottom-left of an unflipped root
    flipped->setWantsLayer(true);
    flipped->layer()->setBackgroundColor(CGColor{1, 0, 0, 1});
    auto bar = CALayer::layer(); // a sublayer at the flipped view's top: 10 x 2 centred at (5, 1)
    bar->setBounds({0, 0, 10, 2});
    bar->setPosition({5, 1});
    bar->setBackgroundColor(CGColor{0, 1, 0, 1});
    flipped->layer()->addSublayer(bar);
    root->addSubview(flipped);

    const auto image = Compositor::renderView(*root, 2);
    ASSERT_EQ(image->width(), 80u);
    ASSERT_EQ(image->height(), 40u);
    EXPECT_EQ(image->pixelAt(70, 5).blue, 255);  // root background, top right
    EXPECT_EQ(image->pixelAt(5, 38).red, 255);   // flipped view, bottom left of the picture
    EXPECT_EQ(image->pixelAt(5, 21).green, 255); // its sublayer, at its top (row 20 to 23)
    EXPECT_EQ(image->pixelAt(5, 19).blue, 255);  // above the flipped view: the root again
}
