#include "stylekit/ArtworkRenderer.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

// Every drawing's constants, worked through the group rule at many frame sizes, square and not.
TEST(ArtworkGroup, EveryDrawingsConstantsAtManyFrameSizes) {
    using D = KnobsStyleKitDrawing;
    struct Row {
        D drawing;
        double fL, kL, fR, kR, dW, fT, kT, fB, kB, dH;
    };
    const Row rows[] = {
        {D::MixUnderlay, 0.28251, -0.2, 0.70351, 0.24, -0.44, 0.00905, 0.35, 0.20792, -0.24, 0.6},
        {D::NeoOverlay, 0.19539, 0.16, 0.80461, -0.16, 0.32, 0.19708, -0.06, 0.79844, 0.45, -0.51},
        {D::FeedUnderlay, 0.23413, 0.21, 0.75412, 0.02, 0.2, 0.04553, 0.31, 0.22448, -0.11, 0.42},
        {D::ToneUnderlay, 0.21916, -0.4, 0.74211, 0.34, -0.74, 0.03952, -0.38, 0.22812, -0.27, -0.1},
        {D::OrbitUnderlay, 0.2037, 0.17, 0.79513, 0.25, -0.09, -0.00215, -0.23, 0.25631, -0.27, 0.05},
        {D::DoubtUnderlay, 0.16196, 0.19, 0.82355, 0.02, 0.17, 0.0168, -0.07, 0.27619, -0.45, 0.38},
        {D::VexityUnderlay, 0.13097, 0.35, 0.84677, -0.34, 0.69, 0.01357, 0.28, 0.31051, 0.39, -0.1},
        {D::RadioOff, 0.0625, 0.5, 0.9375, 0.5, 0, 0.0625, 0.5, 0.9375, 0.5, 0},
        {D::RadioOn, 0.0625, 0.5, 0.9375, 0.5, 0, 0.0625, 0.5, 0.9375, 0.5, 0},
        {D::BP, 0.10827, -0.43, 0.85227, -0.05, -0.38, 0.13196, 0.26, 0.83996, -0.05, 0.31},
        {D::HP, 0.09102, -0.33, 0.85227, -0.05, -0.28, 0.12221, 0.26, 0.83996, 0.32, -0.06},
        {D::LP, 0.1629, 0.07, 0.77415, -0.05, 0.12, 0.09521, 0.26, 0.83996, -0.41, 0.66},
        {D::Mute, 0.07769, -0.44, 0.9072, 0.38, -0.82, 0.19506, -0.07, 0.74106, -0.02, -0.06},
        {D::Fail, 0.07347, 0.1, 0.68697, -0.43, 0.53, 0.14642, -0.04, 0.78842, -0.13, 0.09},
        {D::Bypass, 0.02576, 0.38, 0.96236, -0.48, 0.86, 0.17183, -0.42, 0.89183, 0.5, -0.92},
        {D::MasterUnderlay, 0.12141, -0.21, 0.87513, 0.45, -0.66, 0.02501, 0.09, 0.32109, -0.5, 0.59},
        {D::QuorFooter, 0.04395, -0.38, 0.96176, 0.18, -0.56, 0.30077, 0.34, 0.78002, 0, 0.34},
    };
    for (const Row& r : rows) {
        for (int i = 1; i <= 800; ++i) {
            const double W = (i * 53) % 1999 + 1;
            const double H = (i * 37) % 1999 + 1;
            const CGRect g = groupOf(r.drawing, {3, 4, W, H});
            const double left = std::floor(W * r.fL + r.kL);
            const double top = std::floor(H * r.fT + r.kT);
            const auto where = std::string(knobsStyleKitDrawingName(r.drawing)) + " " + std::to_string(i);
            ASSERT_NEAR(g.origin.x, 3 + left + (0.5 - r.kL), 1e-9) << where;
            ASSERT_NEAR(g.origin.y, 4 + top + (0.5 - r.kT), 1e-9) << where;
            ASSERT_NEAR(g.size.width, std::floor(W * r.fR + r.kR) - left + r.dW, 1e-9) << where;
            ASSERT_NEAR(g.size.height, std::floor(H * r.fB + r.kB) - top + r.dH, 1e-9) << where;
        }
    }
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
    // 40 x 20: group (3, 1, 35, 18); each axis snaps on its own: x 3 + floor(9.25), y 1 + floor(5.0).
    const CGRect wide = groupOf(KnobsStyleKitDrawing::RadioOn, {0, 0, 40, 20});
    EXPECT_EQ(wide, CGRect(3, 1, 35, 18));
    EXPECT_EQ(artworkOvalRect(wide, 0.25, 0.75), CGRect(12, 6, 17, 9));
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
    // First quarter arc of the outer circle: control 1 (0.77596, 0), control 2 (1, 0.22404), end (1, 0.5).
    ASSERT_EQ(ring.element(1, p), platform::NSBezierPathElementCubicCurveTo);
    EXPECT_NEAR(p[0].x, 2 + 26 * 0.77596, 1e-9);
    EXPECT_NEAR(p[0].y, 2, 1e-9);
    EXPECT_NEAR(p[1].x, 28, 1e-9);
    EXPECT_NEAR(p[1].y, 2 + 26 * 0.22404, 1e-9);
    EXPECT_EQ(p[2], (platform::CGPoint{28, 15}));
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
