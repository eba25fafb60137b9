#include "support/StyleKitTestSupport.h"

#include "stylekit/DrawingSupport.h"

#include <gtest/gtest.h>

using namespace quorbel;
using platform::CGPoint;
using platform::CGRect;
using stylekit_test::CurrentBitmap;

TEST(RenderPlatformImage, CallsTheCallbackOnlyWhenRenderedWithAContext) {
    int contextCalls = 0;
    int plainCalls = 0;
    CGContextRef seen = nullptr;
    const auto withContext = renderPlatformImage({100, 100}, true, [&](CGContextRef c) {
        ++contextCalls;
        seen = c;
    });
    const auto plain = renderPlatformImage({100, 100}, true, [&] { ++plainCalls; });
    EXPECT_EQ(contextCalls + plainCalls, 0);
    EXPECT_TRUE(withContext->isFlipped());
    EXPECT_EQ(withContext->size(), (CGSize{100, 100}));
    EXPECT_FALSE(renderPlatformImage({4, 4}, false, [](CGContextRef) {})->isFlipped());
    EXPECT_FALSE(renderPlatformImage({4, 4}, false, [] {})->isFlipped());

    // Called straight, with no current graphics context: failure, callbacks not entered.
    EXPECT_FALSE(withContext->drawingHandler()(CGRect(0, 0, 200, 200)));
    EXPECT_FALSE(plain->drawingHandler()(CGRect(0, 0, 200, 200)));
    EXPECT_EQ(contextCalls + plainCalls, 0);

    // A current graphics context without a Core Graphics context fails only the first variant.
    {
        platform::NSGraphicsContext::CurrentScope scope(
            platform::NSGraphicsContext::graphicsContextWithCGContext(nullptr, true));
        EXPECT_FALSE(withContext->drawingHandler()(CGRect()));
        EXPECT_TRUE(plain->drawingHandler()(CGRect()));
        EXPECT_EQ(contextCalls, 0);
        EXPECT_EQ(plainCalls, 1);
    }

    // Every rendering calls again; the first variant gets the context that is current.
    CurrentBitmap bitmap(10, 10);
    withContext->drawInRect(CGRect(0, 0, 10, 10));
    withContext->CGImageForProposedRect(nullptr, nullptr, nullptr);
    EXPECT_EQ(contextCalls, 2);
    EXPECT_NE(seen, nullptr);
}

TEST(CurrentCGContext, IsTheCurrentGraphicsContextsOrNull) {
    EXPECT_EQ(currentCGContext(), nullptr);
    CurrentBitmap bitmap(1, 1);
    EXPECT_EQ(currentCGContext(), bitmap.context());
}

TEST(NSBezierPathExtension, CgPathConvertsElementByElement) {
    platform::NSBezierPath path;
    path.move({1, 2});
    addCurve(path, {7, 8}, {3, 4}, {5, 6});
    path.close();
    addLine(path, {9, 9});
    path.curve({12, 13}, {10, 11}); // quadratic
    const platform::CGMutablePath cg = cgPath(path);
    using platform::CGPathElement;
    ASSERT_EQ(cg.elements().size(), 5u);
    EXPECT_EQ(cg.elements()[0], (CGPathElement{platform::kCGPathElementMoveToPoint, {CGPoint{1, 2}}}));
    EXPECT_EQ(cg.elements()[1], (CGPathElement{platform::kCGPathElementAddCurveToPoint,
                                               {CGPoint{3, 4}, CGPoint{5, 6}, CGPoint{7, 8}}}));
    EXPECT_EQ(cg.elements()[2].type, platform::kCGPathElementCloseSubpath);
    EXPECT_EQ(cg.elements()[3], (CGPathElement{platform::kCGPathElementAddLineToPoint, {CGPoint{9, 9}}}));
    EXPECT_EQ(cg.elements()[4], (CGPathElement{platform::kCGPathElementAddQuadCurveToPoint,
                                               {CGPoint{10, 11}, CGPoint{12, 13}}}));
    EXPECT_TRUE(cgPath(platform::NSBezierPath()).isEmpty());
}

TEST(NSBezierPathExtension, EvenOddFlagAndColoursOfAnEmptyPath) {
    platform::NSBezierPath path;
    EXPECT_FALSE(usesEvenOddFillRule(path));
    setUsesEvenOddFillRule(path, true);
    EXPECT_TRUE(usesEvenOddFillRule(path));
    EXPECT_EQ(path.windingRule(), platform::NSWindingRuleEvenOdd);
    setUsesEvenOddFillRule(path, false);
    EXPECT_FALSE(usesEvenOddFillRule(path));
    EXPECT_EQ(path.windingRule(), platform::NSWindingRuleNonZero);

    CurrentBitmap bitmap(1, 1);
    setFill(path, platform::NSColor(0.1, 0.2, 0.3, 1));
    setStroke(path, platform::NSColor(0.4, 0.5, 0.6, 1));
    EXPECT_EQ(bitmap.context()->fillColor(), (platform::CGColor{0.1, 0.2, 0.3, 1}));
    EXPECT_EQ(bitmap.context()->strokeColor(), (platform::CGColor{0.4, 0.5, 0.6, 1}));
    EXPECT_TRUE(path.isEmpty());
}
