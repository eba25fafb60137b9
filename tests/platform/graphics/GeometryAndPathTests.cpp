#include "support/GraphicsTestSupport.h"

#include "graphics/CGGeometry.h"
#include "graphics/CGPath.h"
#include "graphics/NSBezierPath.h"
#include "graphics/NSColor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace platform;
using graphics_test::CurrentBitmap;
using graphics_test::near;

TEST(CGRect, AccessorsStandardizeNegativeSizes) {
    const CGRect r(10, 20, -4, -6);
    EXPECT_EQ(r.minX(), 6);
    EXPECT_EQ(r.maxX(), 10);
    EXPECT_EQ(r.minY(), 14);
    EXPECT_EQ(r.maxY(), 20);
    EXPECT_EQ(r.width(), 4);
    EXPECT_EQ(r.height(), 6);
    EXPECT_EQ(r.midX(), 8);
    EXPECT_EQ(r.midY(), 17);
    EXPECT_EQ(r.standardized(), CGRect(6, 14, 4, 6));
    EXPECT_TRUE(CGRect(0, 0, 0, 5).isEmpty());
    EXPECT_TRUE(CGRect(0, 0, NAN, 5).isEmpty());
}

TEST(CGRect, InsetShrinksEachSide) {
    EXPECT_EQ(CGRectInset(CGRect(0, 0, 100, 100), 5, 5), CGRect(5, 5, 90, 90));
    EXPECT_EQ(CGRectInset(CGRect(10, 10, -20, 40), 2, 4), CGRect(-8, 14, 16, 32));
}

TEST(NSBezierPath, ElementsReportTheirPointsInThePlatformOrder) {
    NSBezierPath path;
    path.move({1, 2});
    path.line({3, 4});
    path.curve({9, 9}, {5, 6}, {7, 8});
    path.curve({12, 13}, {10, 11});
    path.close();
    ASSERT_EQ(path.elementCount(), 5);
    CGPoint p[3]{};
    EXPECT_EQ(path.element(0, p), NSBezierPathElementMoveTo);
    EXPECT_EQ(p[0], (CGPoint{1, 2}));
    EXPECT_EQ(path.element(1, p), NSBezierPathElementLineTo);
    EXPECT_EQ(p[0], (CGPoint{3, 4}));
    EXPECT_EQ(path.element(2, p), NSBezierPathElementCubicCurveTo);
    EXPECT_EQ(p[0], (CGPoint{5, 6}));
    EXPECT_EQ(p[1], (CGPoint{7, 8}));
    EXPECT_EQ(p[2], (CGPoint{9, 9}));
    EXPECT_EQ(path.element(3, p), NSBezierPathElementQuadraticCurveTo);
    EXPECT_EQ(p[0], (CGPoint{10, 11}));
    EXPECT_EQ(p[1], (CGPoint{12, 13}));
    EXPECT_EQ(path.element(4, p), NSBezierPathElementClosePath);
    EXPECT_EQ(path.element(99, p), NSBezierPathElementClosePath);
    EXPECT_EQ(path.lineWidth(), 1.0);
    EXPECT_EQ(path.miterLimit(), 10.0);
    EXPECT_EQ(path.windingRule(), NSWindingRuleNonZero);
}

TEST(NSBezierPath, OvalPassesThroughTheEdgeMidpoints) {
    const NSBezierPath oval = NSBezierPath::bezierPathWithOvalInRect(CGRect(9, 9, 13, 13));
    ASSERT_EQ(oval.elementCount(), 6); // move, four quarter arcs, close
    CGPoint p[3]{};
    EXPECT_EQ(oval.element(0, p), NSBezierPathElementMoveTo);
    EXPECT_EQ(p[0], (CGPoint{22, 15.5}));
    const CGPoint ends[4] = {{15.5, 22}, {9, 15.5}, {15.5, 9}, {22, 15.5}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(oval.element(i + 1, p), NSBezierPathElementCubicCurveTo);
        EXPECT_EQ(p[2], ends[i]);
    }
}

// Two nested squares wound the same way: the non-zero rule fills the inner one, even-odd leaves it open.
TEST(NSBezierPath, WindingRuleDecidesWhetherTheInnerSquareIsFilled) {
    for (const NSWindingRule rule : {NSWindingRuleNonZero, NSWindingRuleEvenOdd}) {
        CurrentBitmap bitmap(40, 40);
        NSBezierPath path;
        for (const double inset : {0.0, 10.0}) {
            path.move({inset, inset});
            path.line({40 - inset, inset});
            path.line({40 - inset, 40 - inset});
            path.line({inset, 40 - inset});
            path.close();
        }
        path.setWindingRule(rule);
        NSColor(1, 0, 0, 1).setFill();
        path.fill();
        const auto image = bitmap.image();
        EXPECT_TRUE(near(image->pixelAt(5, 20), 255, 0, 0, 255));
        EXPECT_EQ(image->pixelAt(20, 20).alpha, rule == NSWindingRuleNonZero ? 255 : 0);
    }
}

TEST(NSBezierPath, StrokeUsesStrokeColourAndLineWidthInUserUnits) {
    CurrentBitmap bitmap(40, 40);
    CGContextScaleCTM(bitmap.context(), 4, 4); // 4 pixels per unit
    NSBezierPath path;
    path.move({5, 0});
    path.line({5, 10});
    path.setLineWidth(1);
    NSColor(0, 0, 1, 1).setStroke();
    NSColor(1, 0, 0, 1).setFill();
    path.stroke();
    NSBezierPath wide; // 2 units wide about x = 8: pixels 28 to 35
    wide.move({8, 0});
    wide.line({8, 10});
    wide.setLineWidth(2);
    wide.stroke();
    const auto image = bitmap.image();
    int blue = 0;
    int blueWide = 0;
    for (std::size_t x = 0; x < 40; ++x) {
        (x < 25 ? blue : blueWide) += near(image->pixelAt(x, 20), 0, 0, 255, 255) ? 1 : 0;
    }
    EXPECT_EQ(blue, 4);
    EXPECT_EQ(blueWide, 8);
}

TEST(NSBezierPath, NonFiniteOrContextlessDrawingIsSkipped) {
    NSBezierPath path;
    path.move({0, 0});
    path.line({10, 0});
    path.line({0, 10});
    path.close();
    path.fill(); // no current context: nothing, and no crash
    CurrentBitmap bitmap(10, 10);
    NSBezierPath bad = path;
    bad.line({NAN, 3});
    bad.fill();
    EXPECT_EQ(bitmap.image()->pixelAt(1, 1).alpha, 0);
    path.fill();
    EXPECT_EQ(bitmap.image()->pixelAt(1, 1).alpha, 255);
}

TEST(CGMutablePath, AppendsElementsThroughTheTransform) {
    CGMutablePath path;
    const CGAffineTransform shift{1, 0, 0, 1, 10, 20};
    path.move({1, 1}, shift);
    path.addQuadCurve({3, 3}, {2, 2});
    path.addCurve({6, 6}, {4, 4}, {5, 5});
    CGPathCloseSubpath(&path);
    ASSERT_EQ(path.elements().size(), 4u);
    EXPECT_EQ(path.elements()[0], (CGPathElement{kCGPathElementMoveToPoint, {CGPoint{11, 21}}}));
    EXPECT_EQ(path.elements()[1],
              (CGPathElement{kCGPathElementAddQuadCurveToPoint, {CGPoint{2, 2}, CGPoint{3, 3}}}));
    EXPECT_EQ(path.elements()[2],
              (CGPathElement{kCGPathElementAddCurveToPoint, {CGPoint{4, 4}, CGPoint{5, 5}, CGPoint{6, 6}}}));
    EXPECT_EQ(path.elements()[3].type, kCGPathElementCloseSubpath);
}

TEST(NSGraphicsContext, CurrentContextIsPerThreadAndStacked) {
    EXPECT_EQ(NSGraphicsContext::current(), nullptr);
    auto outer = NSGraphicsContext::graphicsContextWithCGContext(CGBitmapContextCreate(1, 1), true);
    auto inner = NSGraphicsContext::graphicsContextWithCGContext(nullptr, false);
    {
        NSGraphicsContext::CurrentScope a(outer);
        {
            NSGraphicsContext::CurrentScope b(inner);
            EXPECT_EQ(NSGraphicsContext::current(), inner.get());
            EXPECT_EQ(NSGraphicsContext::current()->cgContext(), nullptr);
        }
        EXPECT_EQ(NSGraphicsContext::current(), outer.get());
        NSGraphicsContext* seenByOtherThread = outer.get();
        std::thread([&] { seenByOtherThread = NSGraphicsContext::current(); }).join();
        EXPECT_EQ(seenByOtherThread, nullptr);
    }
    EXPECT_EQ(NSGraphicsContext::current(), nullptr);
    NSGraphicsContext::popCurrent(); // popping an empty stack is harmless
}

TEST(NSColor, SetsTheCurrentContextsColoursAndKeepsComponents) {
    NSColor(1, 0, 0, 1).setFill(); // no current context: nothing
    CurrentBitmap bitmap(1, 1);
    const NSColor c = NSColor::blackColor().colorWithAlphaComponent(0.3);
    c.setFill();
    NSColor(0.1, 0.2, 0.3, 0.4).setStroke();
    EXPECT_EQ(bitmap.context()->fillColor(), (CGColor{0, 0, 0, 0.3}));
    EXPECT_EQ(bitmap.context()->strokeColor(), (CGColor{0.1, 0.2, 0.3, 0.4}));
}

TEST(CGContext, FillsEllipseInscribedInTheRectangle) {
    CurrentBitmap bitmap(100, 60);
    CGContextSetFillColorWithColor(bitmap.context(), CGColor{0, 1, 0, 1});
    CGContextFillEllipseInRect(bitmap.context(), CGRect(10, 10, 80, 40));
    CGContextFillEllipseInRect(bitmap.context(), CGRect(0, 0, 0, 0)); // empty: nothing, context stays usable
    const auto image = bitmap.image();
    EXPECT_TRUE(near(image->pixelAt(50, 30), 0, 255, 0, 255));
    EXPECT_TRUE(near(image->pixelAt(12, 30), 0, 255, 0, 255));
    EXPECT_EQ(image->pixelAt(12, 12).alpha, 0); // corner of the rectangle, outside the ellipse
    EXPECT_EQ(image->pixelAt(50, 8).alpha, 0);
    EXPECT_EQ(cairo_status(bitmap.context()->cairo()), CAIRO_STATUS_SUCCESS);
}
