#include "support/StyleKitTestSupport.h"

#include "graphics/NSFont.h"
#include "graphics/NSStringDrawing.h"
#include "stylekit/QuorStyleKit.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quorbel;
using platform::CGRect;
using stylekit_test::CurrentBitmap;
using stylekit_test::opaque;
using stylekit_test::render;

namespace {

/// Extent of the pixels of the panel yellow (the label ink).
using LabelInk = graphics_test::Ink;

LabelInk labelInk(const platform::CGImage& image) {
    // Yellow over grey: red and green well above blue.
    return graphics_test::inkWhere(image, [](const platform::CGImagePixel& p) {
        return p.alpha == 255 && p.red > 150 && p.green > 140 && p.blue < 80;
    });
}

} // namespace

TEST(QuorStyleKit, ColoursAreCreatedOnceWithTheirComponents) {
    EXPECT_EQ(&QuorStyleKit::backgroundColor(), &QuorStyleKit::backgroundColor());
    EXPECT_EQ(QuorStyleKit::backgroundColor(), platform::NSColor(0.925, 0.863, 0.11, 1));
    EXPECT_EQ(QuorStyleKit::knobOuterColor(), platform::NSColor(0.15, 0.15, 0.15, 1));
    EXPECT_EQ(QuorStyleKit::knobInnerColor(), platform::NSColor(0.35, 0.35, 0.35, 1));
}

TEST(QuorStyleKit, DefaultKnobDiscsAndCentredLabel) {
    // 100 x 100 at 1 pixel per point: outer disc (5, 5, 90, 90), inner (12.2, 12.2, 75.6, 75.6),
    // label band from 75 to 95.
    const auto image = render(*QuorStyleKit::imageOfDefaultKnob({100, 100}, "MIX"), 1);
    ASSERT_EQ(image->width(), 100u);
    EXPECT_EQ(image->pixelAt(3, 50).alpha, 0);
    EXPECT_EQ(image->pixelAt(10, 10).alpha, 0); // corner, outside the disc
    EXPECT_TRUE(opaque(image->pixelAt(8, 50), 0.15, 0.15, 0.15));
    EXPECT_TRUE(opaque(image->pixelAt(14, 50), 0.35, 0.35, 0.35));
    EXPECT_TRUE(opaque(image->pixelAt(50, 30), 0.35, 0.35, 0.35));
    const LabelInk ink = labelInk(*image);
    ASSERT_GT(ink.count, 20);
    EXPECT_NEAR((ink.minX + ink.maxX) / 2, 50, 1.5);
    EXPECT_GE(ink.minY, 75);
    EXPECT_LE(ink.maxY, 95);
    EXPECT_LT(ink.maxX - ink.minX, 40); // three capitals of 12 points, not a wider fallback

    // Font and band follow the height only: at 200 x 100 the label has the same height.
    const auto wide = render(*QuorStyleKit::imageOfDefaultKnob({200, 100}, "MIX"), 1);
    const LabelInk wideInk = labelInk(*wide);
    EXPECT_NEAR(wideInk.maxY - wideInk.minY, ink.maxY - ink.minY, 1);
    EXPECT_NEAR((wideInk.minX + wideInk.maxX) / 2, 100, 1.5);
    EXPECT_TRUE(opaque(wide->pixelAt(12, 50), 0.15, 0.15, 0.15)); // outer ellipse from x = 10
    EXPECT_EQ(wide->pixelAt(8, 50).alpha, 0);
}

TEST(QuorStyleKit, DefaultKnobDiscEdgesAndLabelLayout) {
    struct Case {
        double w, h;
        CGRect outer, inner;
    };
    const Case cases[] = {{100, 100, {5, 5, 90, 90}, {12.2, 12.2, 75.6, 75.6}},
                          {200, 100, {10, 5, 180, 90}, {24.4, 12.2, 151.2, 75.6}}};
    constexpr double d = 4;
    for (const Case& c : cases) {
        const auto image = render(*QuorStyleKit::imageOfDefaultKnob({c.w, c.h}, "Jig"), d);
        const auto at = [&](double x, double y) {
            return image->pixelAt(static_cast<std::size_t>(x * d), static_cast<std::size_t>(y * d));
        };
        const double midX = c.w / 2 + 0.1;
        const double midY = c.h / 2 + 0.1;
        // Left, right and top edges of each disc, 0.3 of a point to either side.
        EXPECT_EQ(at(c.outer.minX() - 0.3, midY).alpha, 0) << c.w;
        EXPECT_TRUE(opaque(at(c.outer.minX() + 0.3, midY), 0.15, 0.15, 0.15)) << c.w;
        EXPECT_TRUE(opaque(at(c.outer.maxX() - 0.3, midY), 0.15, 0.15, 0.15)) << c.w;
        EXPECT_EQ(at(c.outer.maxX() + 0.3, midY).alpha, 0) << c.w;
        EXPECT_EQ(at(midX, c.outer.minY() - 0.3).alpha, 0) << c.w;
        EXPECT_TRUE(opaque(at(midX, c.outer.minY() + 0.3), 0.15, 0.15, 0.15)) << c.w;
        EXPECT_TRUE(opaque(at(c.inner.minX() - 0.3, midY), 0.15, 0.15, 0.15)) << c.w;
        EXPECT_TRUE(opaque(at(c.inner.minX() + 0.3, midY), 0.35, 0.35, 0.35)) << c.w;
        EXPECT_TRUE(opaque(at(c.inner.maxX() + 0.3, midY), 0.15, 0.15, 0.15)) << c.w;
        EXPECT_TRUE(opaque(at(c.inner.maxX() - 0.3, midY), 0.35, 0.35, 0.35)) << c.w;
        EXPECT_TRUE(opaque(at(midX, c.inner.minY() - 0.3), 0.15, 0.15, 0.15)) << c.w;
        EXPECT_TRUE(opaque(at(midX, c.inner.minY() + 0.3), 0.35, 0.35, 0.35)) << c.w;

        // The label is the platform's string drawing of it into (0, 0.75 h, w, 0.2 h), medium system
        // font of 0.12 h, centred, in the panel yellow, over the discs.
        CurrentBitmap expected(static_cast<std::size_t>(c.w * d), static_cast<std::size_t>(c.h * d));
        platform::CGContextScaleCTM(expected.context(), d, d);
        QuorStyleKit::drawDefaultKnob(CGRect(0, 0, c.w, c.h), "");
        platform::NSMutableParagraphStyle centred;
        centred.setAlignment(platform::NSTextAlignmentCenter);
        platform::NSStringDrawInRect(
            "Jig", CGRect(0, 0.75 * c.h, c.w, 0.2 * c.h),
            {platform::NSFont::systemFontOfSize(0.12 * c.h, platform::NSFontWeightMedium),
             platform::NSColor(0.925, 0.863, 0.11, 1), centred});
        EXPECT_TRUE(stylekit_test::samePixels(*image, *expected.image())) << c.w;
    }
}

TEST(QuorStyleKit, EmptyLabelDrawsTheDiscsOnly) {
    const auto image = render(*QuorStyleKit::imageOfDefaultKnob({60, 60}, ""), 2);
    EXPECT_EQ(labelInk(*image).count, 0);
    EXPECT_TRUE(opaque(image->pixelAt(60, 60), 0.35, 0.35, 0.35));
}

TEST(QuorStyleKit, DrawsIntoTheFrameAndNeedsAContext) {
    QuorStyleKit::drawDefaultKnob(CGRect(0, 0, 50, 50), "X"); // no context: nothing
    CurrentBitmap bitmap(200, 100);
    QuorStyleKit::drawDefaultKnob(CGRect(100, 0, 100, 100), "MIX");
    const auto image = bitmap.image();
    EXPECT_EQ(image->pixelAt(50, 50).alpha, 0);
    EXPECT_TRUE(opaque(image->pixelAt(150, 30), 0.35, 0.35, 0.35));
    EXPECT_NEAR((labelInk(*image).minX + labelInk(*image).maxX) / 2, 150, 1.5);
}
