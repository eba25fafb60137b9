#include "support/GraphicsTestSupport.h"

#include "graphics/NSBezierPath.h"
#include "graphics/NSColor.h"
#include "graphics/NSFont.h"
#include "graphics/NSImage.h"
#include "graphics/NSStringDrawing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

using namespace platform;
using graphics_test::CurrentBitmap;
using graphics_test::Ink;
using graphics_test::inkWhere;
using graphics_test::near;

namespace {

/// Fills the top-left quarter of a 100 x 100 canvas, as seen in the image's own space.
bool fillTopLeftQuarter(CGRect) {
    NSBezierPath path;
    path.move({0, 0});
    path.line({50, 0});
    path.line({50, 50});
    path.line({0, 50});
    path.close();
    NSColor(1, 0, 0, 1).setFill();
    path.fill();
    return true;
}

} // namespace

TEST(NSImage, MakingDrawsNothingAndEveryRenderingCallsTheHandler) {
    int calls = 0;
    const auto image = NSImage::imageWithSize({100, 100}, true, [&](CGRect) {
        ++calls;
        return NSGraphicsContext::current() != nullptr;
    });
    EXPECT_EQ(calls, 0);
    image->CGImageForProposedRect(nullptr, nullptr, nullptr);
    EXPECT_EQ(calls, 1);
    CurrentBitmap bitmap(10, 10);
    image->drawInRect(CGRect(0, 0, 10, 10));
    EXPECT_EQ(calls, 2);
    image->drawInRect(CGRect(0, 0, 0, 10)); // empty destination: no rendering
    EXPECT_EQ(calls, 2);
}

TEST(NSImage, BitmapHasTheImageSizeTimesTheDensityInItsConvention) {
    const auto flipped = NSImage::imageWithSize({100, 100}, true, fillTopLeftQuarter);
    const auto bitmap = flipped->CGImageForProposedRect(nullptr, nullptr, nullptr);
    ASSERT_EQ(bitmap->width(), 200u);
    ASSERT_EQ(bitmap->height(), 200u);
    EXPECT_TRUE(near(bitmap->pixelAt(10, 10), 255, 0, 0, 255));
    EXPECT_EQ(bitmap->pixelAt(10, 190).alpha, 0);

    // Without flipping, the same drawing lands at the bottom left.
    const auto unflipped = NSImage::imageWithSize({100, 100}, false, fillTopLeftQuarter);
    const NSImageHints once{1.0};
    const auto upward = unflipped->CGImageForProposedRect(nullptr, nullptr, &once);
    ASSERT_EQ(upward->width(), 100u);
    EXPECT_EQ(upward->pixelAt(10, 10).alpha, 0);
    EXPECT_TRUE(near(upward->pixelAt(10, 90), 255, 0, 0, 255));

    const CGRect proposed(0, 0, 30.25, 10);
    EXPECT_EQ(flipped->CGImageForProposedRect(&proposed, nullptr, nullptr)->width(), 61u); // rounded up

    // A proposed rectangle of another size scales the image's canvas onto it.
    const CGRect twice(0, 0, 200, 100);
    const auto stretched = flipped->CGImageForProposedRect(&twice, nullptr, &once);
    ASSERT_EQ(stretched->width(), 200u);
    EXPECT_TRUE(near(stretched->pixelAt(95, 45), 255, 0, 0, 255));
    EXPECT_EQ(stretched->pixelAt(105, 45).alpha, 0);
    EXPECT_EQ(stretched->pixelAt(95, 55).alpha, 0);
}

TEST(NSImage, HandlerThatReportsFailureGivesATransparentResult) {
    const auto image = NSImage::imageWithSize({20, 20}, true, [](CGRect r) {
        fillTopLeftQuarter(r);
        return false;
    });
    const auto bitmap = image->CGImageForProposedRect(nullptr, nullptr, nullptr);
    for (std::size_t y = 0; y < bitmap->height(); y += 5) {
        for (std::size_t x = 0; x < bitmap->width(); x += 5) {
            ASSERT_EQ(bitmap->pixelAt(x, y).alpha, 0);
        }
    }
    CurrentBitmap target(20, 20);
    image->drawInRect(CGRect(0, 0, 20, 20));
    EXPECT_EQ(target.image()->pixelAt(2, 2).alpha, 0);
}

// The handler always draws in the image's own coordinate space, scaled onto the destination, and
// upright whether or not the destination context is flipped.
TEST(NSImage, DrawsScaledIntoTheDestinationAndUpright) {
    std::vector<CGSize> canvasSizes;
    const auto image = NSImage::imageWithSize({100, 100}, true, [&](CGRect r) {
        canvasSizes.push_back({100, 100});
        return fillTopLeftQuarter(r);
    });
    for (const bool flippedTarget : {true, false}) {
        CurrentBitmap target(200, 200, flippedTarget);
        image->drawInRect(CGRect(0, 0, 200, 200));
        const auto pixels = target.image();
        EXPECT_TRUE(near(pixels->pixelAt(95, 5), 255, 0, 0, 255))
            << flippedTarget; // top left quarter, doubled
        EXPECT_EQ(pixels->pixelAt(105, 5).alpha, 0) << flippedTarget;
        EXPECT_EQ(pixels->pixelAt(5, 105).alpha, 0) << flippedTarget;
    }

    // The canvas ends at the image's bounds: what the handler paints beyond them is cut off.
    const auto spilling = NSImage::imageWithSize({20, 20}, true, [](CGRect) {
        NSColor(1, 0, 0, 1).setFill();
        CGContextFillRect(NSGraphicsContext::current()->cgContext(), CGRect(-10, -10, 40, 40));
        return true;
    });
    CurrentBitmap target(40, 40);
    spilling->drawInRect(CGRect(10, 10, 20, 20));
    const auto pixels = target.image();
    EXPECT_TRUE(near(pixels->pixelAt(15, 15), 255, 0, 0, 255));
    EXPECT_EQ(pixels->pixelAt(5, 15).alpha, 0);
    EXPECT_EQ(pixels->pixelAt(15, 35).alpha, 0);
}

// A handler that throws leaves nothing behind: no leaked context or bitmap (the sanitized build's leak
// checker fails the test), no current context, and the target still draws normally afterwards.
TEST(NSImage, ThrowingHandlerLeaksNothingAndLeavesTheTargetUsable) {
    const auto image = NSImage::imageWithSize({20, 20}, true, [](CGRect r) -> bool {
        fillTopLeftQuarter(r);
        throw std::runtime_error("handler failed");
    });
    EXPECT_THROW(image->CGImageForProposedRect(nullptr, nullptr, nullptr), std::runtime_error);
    EXPECT_EQ(NSGraphicsContext::current(), nullptr);

    CurrentBitmap target(20, 20);
    NSGraphicsContext* outer = NSGraphicsContext::current();
    EXPECT_THROW(image->drawInRect(CGRect(0, 0, 20, 20)), std::runtime_error);
    EXPECT_EQ(NSGraphicsContext::current(), outer);
    CGContextSetFillColorWithColor(target.context(), {0, 0, 1, 1});
    CGContextFillRect(target.context(), CGRect(0, 0, 20, 20));
    EXPECT_TRUE(near(target.image()->pixelAt(15, 15), 0, 0, 255, 255));
}

TEST(CGImage, WritesAPNGFile) {
    const auto image = NSImage::imageWithSize({4, 3}, true, fillTopLeftQuarter);
    const auto bitmap = image->CGImageForProposedRect(nullptr, nullptr, nullptr);
    const std::string path = ::testing::TempDir() + "graphics_tests_image.png";
    ASSERT_TRUE(bitmap->writePNG(path));
    std::ifstream in(path, std::ios::binary);
    char signature[8]{};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    std::remove(path.c_str());
    EXPECT_FALSE(bitmap->writePNG("/nonexistent-directory/x.png"));
}

TEST(NSFont, SystemFontIsAMediumSansWithAScaleIndependentSize) {
    const NSFont font = NSFont::systemFontOfSize(12, NSFontWeightMedium);
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_EQ(font.cssWeight(), 500);
    EXPECT_EQ(NSFont::systemFontOfSize(12).cssWeight(), 400);
    EXPECT_FALSE(font.resolvedFamily().empty());
    const CGSize one = NSStringSizeWithAttributes("MASTER", {font, {}, {}});
    const CGSize two =
        NSStringSizeWithAttributes("MASTER", {NSFont::systemFontOfSize(24, NSFontWeightMedium), {}, {}});
    EXPECT_GT(one.width, 20);
    EXPECT_NEAR(two.width, 2 * one.width, 0.02 * one.width);
}

namespace {

Ink inkOf(const CGImage& image) {
    return inkWhere(image, [](const platform::CGImagePixel& p) { return p.alpha > 128; });
}

} // namespace

TEST(NSStringDrawing, CentresTextInTheRectangleAndClipsToIt) {
    NSMutableParagraphStyle centred;
    centred.setAlignment(NSTextAlignmentCenter);
    const NSStringAttributes attributes{NSFont::systemFontOfSize(12, NSFontWeightMedium), NSColor(0, 0, 1, 1),
                                        centred};
    for (const bool flipped : {true, false}) {
        CurrentBitmap bitmap(100, 100, flipped);
        // As seen: the band from 75 to 95 from the top; in a y-up context that is y 5 to 25.
        NSStringDrawInRect("MIX", CGRect(0, flipped ? 75 : 5, 100, 20), attributes);
        const Ink ink = inkOf(*bitmap.image());
        ASSERT_GT(ink.count, 20) << flipped;
        EXPECT_NEAR((ink.minX + ink.maxX) / 2, 50, 1.5) << flipped;
        EXPECT_GE(ink.minY, 75) << flipped;
        EXPECT_LE(ink.maxY, 95) << flipped;
        // Upright: a cap height of about 0.7 of the size sits in the upper part of the band.
        EXPECT_LT(ink.minY, 80) << flipped;
    }
    CurrentBitmap bitmap(50, 50);
    NSStringDrawInRect("", CGRect(0, 0, 50, 50), attributes);
    NSStringDrawInRect("W W W W", CGRect(10, 10, 30, 6), attributes); // clipped to 6 rows
    const Ink clipped = inkOf(*bitmap.image());
    EXPECT_GE(clipped.minY, 10);
    EXPECT_LE(clipped.maxY, 16);
}
