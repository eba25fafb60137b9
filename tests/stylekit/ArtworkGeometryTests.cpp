#include "stylekit/ArtworkRenderer.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorbel;
using platform::CGRect;

namespace {

CGRect groupOf(KnobsStyleKitDrawing which, CGRect frame) {
    return artworkGroupRect(*knobsStyleKitArtwork(which).group, frame);
}

} // namespace

TEST(ArtworkGroup, RectanglesOfTheWorkedFrames) {
    using D = KnobsStyleKitDrawing;
    struct Case {
        D drawing;
        CGRect frame;
        CGRect expected;
    };
    const Case cases[] = {
        {D::MixUnderlay, {0, 0, 100, 100}, {28.7, 1.15, 41.56, 19.6}},
        {D::FeedUnderlay, {0, 0, 100, 100}, {23.29, 4.19, 52.2, 18.42}},
        {D::ToneUnderlay, {0, 0, 100, 100}, {21.9, 3.88, 52.26, 18.9}},
        {D::OrbitUnderlay, {0, 0, 100, 100}, {20.33, -0.27, 58.91, 26.05}},
        {D::DoubtUnderlay, {0, 0, 100, 100}, {16.31, 1.57, 66.17, 26.38}},
        {D::VexityUnderlay, {0, 0, 100, 100}, {13.15, 1.22, 71.69, 29.9}},
        {D::MasterUnderlay, {0, 0, 100, 100}, {11.71, 2.41, 75.34, 29.59}},
        {D::NeoOverlay, {0, 0, 100, 100}, {19.34, 19.56, 61.32, 60.49}},
        {D::NeoOverlay, {0, 0, 64, 64}, {12.34, 12.56, 39.32, 38.49}},
        {D::NeoOverlay, {0, 0, 0, 0}, {0.34, -0.44, -0.68, 0.49}},
        {D::RadioOff, {0, 0, 30, 30}, {2, 2, 26, 26}},
        {D::RadioOn, {0, 0, 20, 20}, {1, 1, 18, 18}},
        {D::RadioOn, {0, 0, 24, 24}, {2, 2, 21, 21}},
        {D::BP, {0, 0, 23, 23}, {2.93, 3.24, 16.62, 16.31}},
        {D::HP, {0, 0, 23, 23}, {1.83, 3.24, 17.72, 15.94}},
        {D::LP, {0, 0, 23, 23}, {3.43, 2.24, 14.12, 16.66}},
        {D::Fail, {0, 0, 46, 23}, {3.40, 3.54, 28.53, 15.09}},
        {D::Bypass, {0, 0, 57.5, 23}, {1.12, 3.92, 53.86, 17.08}},
        {D::Mute, {0, 0, 100, 50}, {7.94, 9.57, 83.18, 27.94}},
        {D::BP, {0, 0, 100, 100}, {10.93, 13.24, 74.62, 70.31}},
        {D::HP, {0, 0, 100, 100}, {8.83, 12.24, 76.72, 71.94}},
        {D::LP, {0, 0, 100, 100}, {16.43, 9.24, 61.12, 74.66}},
        {D::QuorFooter, {0, 0, 400, 50}, {17.88, 15.16, 366.44, 24.34}},
        {D::QuorFooter, {0, 0, 100, 100}, {4.88, 30.16, 91.44, 48.34}},
        // The origin moves the rectangle and nothing else; a negative size is taken standardized.
        {D::MixUnderlay, {50, 60, 100, 100}, {78.7, 61.15, 41.56, 19.6}},
        {D::MixUnderlay, {100, 100, -100, -100}, {28.7, 1.15, 41.56, 19.6}},
    };
    for (const Case& c : cases) {
        const CGRect g = groupOf(c.drawing, c.frame);
        const auto name = knobsStyleKitDrawingName(c.drawing);
        EXPECT_NEAR(g.origin.x, c.expected.origin.x, 1e-9) << name << " " << c.frame.size.width;
        EXPECT_NEAR(g.origin.y, c.expected.origin.y, 1e-9) << name << " " << c.frame.size.width;
        EXPECT_NEAR(g.size.width, c.expected.size.width, 1e-9) << name << " " << c.frame.size.width;
        EXPECT_NEAR(g.size.height, c.expected.size.height, 1e-9) << name << " " << c.frame.size.width;
    }
    // Bottom edges that sit 0.01 above the snapped placement.
    const CGRect lp = groupOf(D::LP, {0, 0, 23, 23});
    EXPECT_NEAR(lp.maxY(), 18.90, 1e-9);
    EXPECT_NEAR(groupOf(D::Bypass, {0, 0, 57.5, 23}).maxY(), 21.0, 1e-9);
    EXPECT_NEAR(groupOf(D::Mute, {0, 0, 100, 50}).maxY(), 37.51, 1e-9);
    EXPECT_NEAR(groupOf(D::QuorFooter, {0, 0, 400, 50}).maxY(), 39.5, 1e-9);
}

TEST(ArtworkGroup, KnobCapIsCentredAtEveryWholePointWidth) {
    for (int w = 1; w <= 400; ++w) {
        const CGRect g = groupOf(KnobsStyleKitDrawing::NeoOverlay, {0, 0, double(w), double(w)});
        ASSERT_NEAR(g.minX(), w - g.maxX(), 1e-9) << w;
    }
}

TEST(ArtworkOval, NestedRectangleOfTheRadioDot) {
    const struct {
        double size;
        CGRect dot;
    } cases[] = {{30, {9, 9, 13, 13}}, {20, {6, 6, 9, 9}}, {24, {7, 7, 11, 11}}};
    for (const auto& c : cases) {
        const CGRect g = groupOf(KnobsStyleKitDrawing::RadioOn, {0, 0, c.size, c.size});
        EXPECT_EQ(artworkOvalRect(g, 0.25, 0.75), c.dot) << c.size;
    }
}

TEST(ArtworkPoint, MapsFractionsIntoTheStandardizedGroup) {
    const CGRect cap = groupOf(KnobsStyleKitDrawing::NeoOverlay, {0, 0, 100, 100});
    const auto apex = artworkPoint(cap, {0.5, 0.02373});
    EXPECT_NEAR(apex.x, 50, 1e-9);
    EXPECT_NEAR(apex.y, 20.9954277, 1e-7);
    const auto holeCentre = artworkPoint(cap, {0.5, 0.50811});
    EXPECT_NEAR(holeCentre.y, 50.2955739, 1e-7);
    EXPECT_NEAR(artworkPoint(cap, {0.77911, 0.50811}).x - holeCentre.x, 17.1150252, 1e-7);
    EXPECT_NEAR(artworkPoint(cap, {0.5, 0.79087}).y - holeCentre.y, 17.1041524, 1e-7);

    const CGRect mix = groupOf(KnobsStyleKitDrawing::MixUnderlay, {0, 0, 100, 100});
    const auto first = artworkPoint(mix, {0.06797, 0.41418});
    EXPECT_NEAR(first.x, 31.52, 0.005);
    EXPECT_NEAR(first.y, 9.27, 0.005);

    // A 0 x 0 frame gives a negative group width: points come from the standardized rectangle.
    const CGRect tiny = groupOf(KnobsStyleKitDrawing::NeoOverlay, {0, 0, 0, 0});
    EXPECT_NEAR(artworkPoint(tiny, {0, 0}).x, -0.34, 1e-9);
    EXPECT_NEAR(artworkPoint(tiny, {1, 1}).x, 0.34, 1e-9);
    EXPECT_NEAR(artworkPoint(tiny, {1, 1}).y, 0.05, 1e-9);
}

TEST(ArtworkShapePath, FollowsTheDataAndSetsOnlyWhatTheShapeSets) {
    const ArtworkDrawing& cap = knobsStyleKitArtwork(KnobsStyleKitDrawing::NeoOverlay);
    const CGRect g = groupOf(KnobsStyleKitDrawing::NeoOverlay, {0, 0, 100, 100});
    const auto outline = artworkShapePath(cap.shapes[0], g);
    // Two subpaths, each a move, its segments and a close: 1 + 36 + 1 and 1 + 4 + 1 elements.
    EXPECT_EQ(outline.elementCount(), 44);
    EXPECT_EQ(outline.miterLimit(), 4);
    EXPECT_EQ(outline.windingRule(), platform::NSWindingRuleNonZero);

    const ArtworkDrawing& radio = knobsStyleKitArtwork(KnobsStyleKitDrawing::RadioOn);
    const CGRect r = groupOf(KnobsStyleKitDrawing::RadioOn, {0, 0, 30, 30});
    const auto dot = artworkShapePath(radio.shapes[0], r);
    const auto ring = artworkShapePath(radio.shapes[1], r);
    EXPECT_EQ(dot.windingRule(), platform::NSWindingRuleNonZero);
    EXPECT_EQ(dot.miterLimit(), platform::NSBezierPath::defaultMiterLimit);
    EXPECT_EQ(ring.windingRule(), platform::NSWindingRuleEvenOdd);
    EXPECT_EQ(ring.miterLimit(), platform::NSBezierPath::defaultMiterLimit);
    platform::CGPoint p[3]{};
    ring.element(6, p); // first point of the inner circle: (0.5, 0.125) of the group
    EXPECT_EQ(p[0], (platform::CGPoint{15, 5.25}));
}

TEST(KnobsStyleKitArtwork, NamesRoundTripInTheKitsOrder) {
    std::size_t index = 0;
    for (KnobsStyleKitDrawing d : allKnobsStyleKitDrawings) {
        EXPECT_EQ(static_cast<std::size_t>(d), index++);
        EXPECT_EQ(knobsStyleKitDrawingNamed(knobsStyleKitDrawingName(d)), d);
    }
    EXPECT_FALSE(knobsStyleKitDrawingNamed("neooverlay"));
    EXPECT_FALSE(knobsStyleKitArtwork(KnobsStyleKitDrawing::NeoUnderlay).group);
    EXPECT_TRUE(knobsStyleKitArtwork(KnobsStyleKitDrawing::NeoUnderlay).shapes.empty());
}
