#include "support/StyleKitTestSupport.h"

#include "stylekit/ArtworkRenderer.h"
#include "stylekit/KnobsStyleKit.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace quorbel;
using platform::CGRect;
using stylekit_test::CurrentBitmap;
using stylekit_test::opaque;
using stylekit_test::render;
using stylekit_test::samePixels;

namespace {

constexpr double brass[3] = {0.663, 0.518, 0.298};
constexpr double maroon[3] = {0.18, 0.082, 0.09};
constexpr double yellow[3] = {0.925, 0.863, 0.11};

std::size_t px(double points, double density) {
    return static_cast<std::size_t>(std::floor(points * density));
}

} // namespace

TEST(KnobsStyleKit, RadioRingAndDot) {
    // 30 x 30 at 4 pixels per point: ring from 2 to 28 (inner edge 5.25 and 24.75), dot in (9, 9, 13, 13).
    constexpr double d = 4;
    const auto off = render(*KnobsStyleKit::imageOfRadioOff(CGRect(0, 0, 30, 30)), d);
    const auto on = render(*KnobsStyleKit::imageOfRadioOn(CGRect(0, 0, 30, 30)), d);
    ASSERT_EQ(off->width(), 120u);
    for (const auto& image : {off, on}) {
        EXPECT_TRUE(opaque(image->pixelAt(px(3.6, d), px(15, d)), 0, 0, 0));  // left of the ring
        EXPECT_TRUE(opaque(image->pixelAt(px(15, d), px(26.4, d)), 0, 0, 0)); // bottom of the ring
        EXPECT_EQ(image->pixelAt(px(1, d), px(15, d)).alpha, 0);              // outside
        EXPECT_EQ(image->pixelAt(px(7, d), px(15, d)).alpha, 0);              // between ring and dot
        EXPECT_EQ(image->pixelAt(px(2, d), px(2, d)).alpha, 0);               // corner of the group
    }
    EXPECT_EQ(off->pixelAt(px(15.5, d), px(15.5, d)).alpha, 0);
    EXPECT_TRUE(opaque(on->pixelAt(px(15.5, d), px(15.5, d)), 0, 0, 0));
    EXPECT_TRUE(opaque(on->pixelAt(px(21.6, d), px(15.5, d)), 0, 0, 0)); // dot reaches 22 on the right
    EXPECT_EQ(on->pixelAt(px(22.4, d), px(15.5, d)).alpha, 0);
    EXPECT_TRUE(opaque(on->pixelAt(px(9.4, d), px(15.5, d)), 0, 0, 0)); // and 9 on the left
    EXPECT_EQ(on->pixelAt(px(8.6, d), px(15.5, d)).alpha, 0);

    // Switching images changes only the dot.
    for (std::size_t y = 0; y < off->height(); ++y) {
        for (std::size_t x = 0; x < off->width(); ++x) {
            const bool inDot = x >= px(9, d) && x < px(22, d) && y >= px(9, d) && y < px(22, d);
            if (!inDot) {
                ASSERT_EQ(off->pixelAt(x, y).alpha, on->pixelAt(x, y).alpha) << x << "," << y;
            }
        }
    }
}

TEST(KnobsStyleKit, KnobCapBodyHolePointerAndOnePointOutline) {
    for (const double size : {64.0, 100.0, 115.0, 230.0}) {
        constexpr double d = 4;
        const CGRect frame(0, 0, size, size);
        const CGRect g =
            artworkGroupRect(*knobsStyleKitArtwork(KnobsStyleKitDrawing::NeoOverlay).group, frame);
        const auto at = [&](double fx, double fy) {
            const auto p = artworkPoint(g, {fx, fy});
            return std::pair{px(p.x, d), px(p.y, d)};
        };
        const auto image = render(*KnobsStyleKit::imageOfNeoOverlay(frame), d);
        const auto [bx, by] = at(0.15, 0.5);
        EXPECT_TRUE(opaque(image->pixelAt(bx, by), maroon[0], maroon[1], maroon[2])) << size;
        const auto [hx, hy] = at(0.5, 0.5);
        EXPECT_EQ(image->pixelAt(hx, hy).alpha, 0) << size; // the hole is open
        const auto [cx, cy] = at(0.02, 0.02);
        EXPECT_EQ(image->pixelAt(cx, cy).alpha, 0) << size; // outside the teeth
        const auto [tx, ty] = at(0.5, 0.14);
        EXPECT_TRUE(opaque(image->pixelAt(tx, ty), yellow[0], yellow[1], yellow[2])) << size;

        // The hole's leftmost edge is vertical: the brass outline across it is 1 point wide.
        const auto [ex, ey] = at(0.22089, 0.50811);
        int brassPixels = 0;
        const auto reach = static_cast<std::size_t>(3 * d);
        for (std::size_t x = ex - reach; x <= ex + reach; ++x) {
            brassPixels += opaque(image->pixelAt(x, ey), brass[0], brass[1], brass[2], 12) ? 1 : 0;
        }
        EXPECT_NEAR(brassPixels, d, 1) << size;
    }
}

TEST(KnobsStyleKit, RadioRingEdgesAndAStretchedFrame) {
    // 30 x 30, ring centre (15, 15): outer radius 13, inner 9.75, every 22.5 degrees.
    constexpr double d = 8;
    const auto on = render(*KnobsStyleKit::imageOfRadioOn(CGRect(0, 0, 30, 30)), d);
    const auto alphaAt = [&](const auto& image, double x, double y) {
        return image->pixelAt(px(x, d), px(y, d)).alpha;
    };
    for (int k = 0; k < 16; ++k) {
        const double a = k * std::numbers::pi / 8;
        const auto at = [&](double r) { return std::pair{15 + r * std::sin(a), 15 - r * std::cos(a)}; };
        for (const double r : {13.4, 9.3}) {
            const auto [x, y] = at(r);
            EXPECT_EQ(alphaAt(on, x, y), 0) << k << " " << r;
        }
        for (const double r : {12.6, 10.2}) {
            const auto [x, y] = at(r);
            EXPECT_EQ(alphaAt(on, x, y), 255) << k << " " << r;
        }
    }

    // 40 x 20: the ring fills the group (3, 1, 35, 18), the dot (12, 6, 17, 9); x and y scale apart.
    const auto wide = render(*KnobsStyleKit::imageOfRadioOn(CGRect(0, 0, 40, 20)), d);
    ASSERT_EQ(wide->width(), 320u);
    EXPECT_EQ(alphaAt(wide, 2.7, 10), 0);
    EXPECT_EQ(alphaAt(wide, 3.3, 10), 255);
    EXPECT_EQ(alphaAt(wide, 37.7, 10), 255);
    EXPECT_EQ(alphaAt(wide, 38.3, 10), 0);
    EXPECT_EQ(alphaAt(wide, 20.5, 0.7), 0);
    EXPECT_EQ(alphaAt(wide, 20.5, 1.3), 255);
    EXPECT_EQ(alphaAt(wide, 20.5, 18.7), 255);
    EXPECT_EQ(alphaAt(wide, 20.5, 19.3), 0);
    EXPECT_EQ(alphaAt(wide, 12.3, 10.5), 255); // dot
    EXPECT_EQ(alphaAt(wide, 11.7, 10.5), 0);
    EXPECT_EQ(alphaAt(wide, 20.5, 6.3), 255);
    EXPECT_EQ(alphaAt(wide, 20.5, 5.7), 0);
    EXPECT_EQ(alphaAt(wide, 20.5, 14.7), 255);
    EXPECT_EQ(alphaAt(wide, 20.5, 15.3), 0);
}

TEST(KnobsStyleKit, KnobCapTeethHoleAndPointer) {
    // 100 x 100: group (19.34, 19.56, 61.32, 60.49); the hole's centre (50, 50.2955739), half-axes
    // 17.1150252 and 17.1041524; the brass outline reaches half a point to either side of every edge.
    constexpr double d = 4;
    const auto image = render(*KnobsStyleKit::imageOfNeoOverlay(CGRect(0, 0, 100, 100)), d);
    const auto pixel = [&](double x, double y) { return image->pixelAt(px(x, d), px(y, d)); };
    const auto isMaroon = [&](double x, double y) {
        return opaque(pixel(x, y), maroon[0], maroon[1], maroon[2]);
    };
    const auto isYellow = [&](double x, double y) {
        return opaque(pixel(x, y), yellow[0], yellow[1], yellow[2]);
    };

    // Nine teeth 40 degrees apart, one at the top, and the gaps between them: sampled at 0.47 of the
    // group about the hole's centre (the tips reach about 0.5 of it, the gaps about 0.43).
    for (int k = 0; k < 18; ++k) {
        const double a = k * 20 * std::numbers::pi / 180;
        const double x = 19.34 + 61.32 * (0.5 + 0.47 * std::sin(a));
        const double y = 19.56 + 60.49 * (0.50811 - 0.47 * std::cos(a));
        EXPECT_EQ(pixel(x, y).alpha, k % 2 == 0 ? 255 : 0) << k * 20 << " degrees";
    }
    // The hole: open inside its edge, maroon outside the outline.
    for (const double s : {-1.0, 1.0}) {
        EXPECT_EQ(pixel(50 + s * (17.1150252 - 0.9), 50.3).alpha, 0) << s;
        EXPECT_TRUE(isMaroon(50 + s * (17.1150252 + 0.9), 50.3)) << s;
        EXPECT_EQ(pixel(50.2, 50.2955739 + s * (17.1041524 - 0.9)).alpha, 0) << s;
        EXPECT_TRUE(isMaroon(50.2, 50.2955739 + s * (17.1041524 + 0.9))) << s;
    }
    // Pointer: apex at (50, 20.9954277), base at y 19.56 + 60.49 x 0.18862 = 30.97, 0.077 of the group wide.
    EXPECT_TRUE(isMaroon(50, 20.5));
    EXPECT_TRUE(isYellow(50, 22.5));
    EXPECT_TRUE(isYellow(48.2, 30.4));
    EXPECT_TRUE(isYellow(51.8, 30.4));
    EXPECT_TRUE(isMaroon(47.4, 30.4));
    EXPECT_TRUE(isMaroon(52.6, 30.4));
    EXPECT_TRUE(isMaroon(50, 31.6));

    // Every point of the cap has its mirror image about the vertical through the centre: mirrored pixels
    // differ only by the rasterizer's antialiasing of the edges (premultiplied components compared).
    int worst = 0;
    for (std::size_t y = 0; y < image->height(); ++y) {
        for (std::size_t x = 0; x < image->width() / 2; ++x) {
            const auto p = image->pixelAt(x, y);
            const auto q = image->pixelAt(image->width() - 1 - x, y);
            const auto differ = [&](int a, int b) { return std::abs(a * p.alpha - b * q.alpha) / 255; };
            worst = std::max({worst, std::abs(p.alpha - q.alpha), differ(p.red, q.red),
                              differ(p.green, q.green), differ(p.blue, q.blue)});
        }
    }
    EXPECT_LE(worst, 32);
}

TEST(KnobsStyleKit, ImagesIgnoreTheFrameOrigin) {
    using ImageFunction = std::shared_ptr<platform::NSImage> (*)(CGRect);
    for (const ImageFunction f : {&KnobsStyleKit::imageOfMixUnderlay, &KnobsStyleKit::imageOfNeoOverlay,
                                  &KnobsStyleKit::imageOfRadioOn}) {
        const auto moved = f(CGRect(50, 60, 100, 100));
        EXPECT_EQ(moved->size(), (platform::CGSize{100, 100}));
        EXPECT_TRUE(moved->isFlipped());
        EXPECT_TRUE(samePixels(*render(*moved, 1), *render(*f(CGRect(0, 0, 100, 100)), 1)));
    }
}

TEST(KnobsStyleKit, DrawingDirectlyPlacesTheArtworkInTheFrame) {
    CurrentBitmap bitmap(200, 200);
    KnobsStyleKit::drawRadioOn(CGRect(100, 100, 30, 30));
    const auto image = bitmap.image();
    EXPECT_TRUE(opaque(image->pixelAt(115, 115), 0, 0, 0));
    EXPECT_EQ(image->pixelAt(15, 15).alpha, 0);
    // The last fill colour stays current: nothing is saved or restored.
    EXPECT_EQ(bitmap.context()->fillColor(), (platform::CGColor{0, 0, 0, 1}));
}

TEST(KnobsStyleKit, NeoUnderlayIsBlank) {
    CurrentBitmap bitmap(20, 20);
    KnobsStyleKit::drawRadioOff(CGRect(0, 0, 20, 20));
    const auto before = bitmap.image();
    KnobsStyleKit::drawNeoUnderlay(CGRect(0, 0, 20, 20));
    EXPECT_TRUE(samePixels(*before, *bitmap.image()));

    const auto image = KnobsStyleKit::imageOfNeoUnderlay(CGRect(5, 5, 20, 10));
    EXPECT_EQ(image->size(), (platform::CGSize{20, 10}));
    const auto pixels = render(*image, 2);
    for (std::size_t y = 0; y < pixels->height(); ++y) {
        for (std::size_t x = 0; x < pixels->width(); ++x) {
            ASSERT_EQ(pixels->pixelAt(x, y).alpha, 0);
        }
    }
    EXPECT_TRUE(image->drawingHandler()(CGRect(0, 0, 20, 10))); // a context is current here
}

TEST(KnobsStyleKit, ImageHandlersFailWithoutACurrentContext) {
    const auto cap = KnobsStyleKit::imageOfNeoOverlay(CGRect(0, 0, 64, 64));
    EXPECT_FALSE(cap->drawingHandler()(CGRect(0, 0, 64, 64)));
    EXPECT_FALSE(KnobsStyleKit::imageOfNeoUnderlay(CGRect(0, 0, 64, 64))->drawingHandler()(CGRect()));
    KnobsStyleKit::drawNeoOverlay(CGRect(0, 0, 64, 64)); // no context: draws nothing, no crash
}

TEST(KnobsStyleKit, EveryDrawingRendersAtOddAndDegenerateSizes) {
    for (const CGRect frame : {CGRect(0, 0, 0, 0), CGRect(0, 0, 0.4, 0.7), CGRect(0, 0, 57.5, 23),
                               CGRect(0, 0, -30, 30), CGRect(0, 0, NAN, 10), CGRect(0, 0, 1e6, 1)}) {
        for (const KnobsStyleKitDrawing which : allKnobsStyleKitDrawings) {
            const auto bitmap = render(*knobsStyleKitImage(which, frame), 1);
            EXPECT_LE(bitmap->width(), 32767u);
        }
    }
}

// Everything but the knob cap is opaque black; the wordmark is black at alpha 0.224.
TEST(KnobsStyleKit, ArtworkColours) {
    for (const KnobsStyleKitDrawing which : allKnobsStyleKitDrawings) {
        if (which == KnobsStyleKitDrawing::NeoOverlay || which == KnobsStyleKitDrawing::NeoUnderlay) {
            continue;
        }
        const auto image = render(*knobsStyleKitImage(which, CGRect(0, 0, 120, 60)), 2);
        int strongest = 0;
        bool black = true;
        for (std::size_t y = 0; y < image->height(); ++y) {
            for (std::size_t x = 0; x < image->width(); ++x) {
                const auto p = image->pixelAt(x, y);
                strongest = std::max(strongest, int(p.alpha));
                black = black && p.red == 0 && p.green == 0 && p.blue == 0;
            }
        }
        const auto name = knobsStyleKitDrawingName(which);
        EXPECT_TRUE(black) << name;
        EXPECT_EQ(strongest, which == KnobsStyleKitDrawing::QuorFooter ? std::lround(0.224 * 255) : 255)
            << name;
    }
}

// Drawing the same translucent artwork twice paints it twice: alpha 0.224 becomes 1 - (1 - 0.224)^2.
TEST(ArtworkRenderer, TranslucentDrawingDrawnTwiceDarkens) {
    ArtworkDrawing tint{{{0, 0, 0, 0.224}}, ArtworkGroup{0, 0, 1, 0, 0, 0, 0, 1, 0, 0}, {}};
    tint.shapes.push_back(artworkLetterShape({artworkPolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}})}));
    CurrentBitmap bitmap(10, 10);
    drawArtwork(tint, CGRect(0, 0, 10, 10));
    const int once = bitmap.image()->pixelAt(5, 5).alpha;
    drawArtwork(tint, CGRect(0, 0, 10, 10));
    const int twice = bitmap.image()->pixelAt(5, 5).alpha;
    EXPECT_NEAR(once, 0.224 * 255, 1);
    EXPECT_NEAR(twice, (1 - (1 - 0.224) * (1 - 0.224)) * 255, 1);
}
