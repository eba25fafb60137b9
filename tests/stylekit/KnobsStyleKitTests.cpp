#include "support/StyleKitTestSupport.h"

#include "stylekit/ArtworkRenderer.h"
#include "stylekit/KnobsStyleKit.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <gtest/gtest.h>

#include <cmath>

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
