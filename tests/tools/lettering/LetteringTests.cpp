// The generated lettering of the knob faces, the button captions and the footer wordmark: counts and
// boxes of every letter, the distances of the face letters from the centre, the extents of every
// drawing, the winding of the pieces, one outline per glyph (every occurrence the same outline turned,
// shifted and, on the captions, scaled uniformly), the two outlines that are given exactly, and the
// drawings as they render.

#include "stylekit/ArtworkData.h"
#include "stylekit/ArtworkRenderer.h"
#include "stylekit/KnobsStyleKitArtwork.h"
#include "support/StyleKitTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

using namespace quorbel;
using platform::CGRect;

namespace {

using D = KnobsStyleKitDrawing;

// Counts of one glyph of the alphabet: subpaths, corners of the outline, counters, slits, splinters and
// lines (corners of all subpaths).
struct GlyphCounts {
    char letter;
    int subpaths, outline, counter, slits, splinters, lines;
};

constexpr GlyphCounts alphabet[] = {
    {'a', 12, 18, 1, 5, 5, 54}, {'b', 13, 14, 1, 5, 6, 53}, {'d', 13, 16, 1, 6, 5, 55},
    {'e', 11, 11, 1, 4, 5, 43}, {'f', 8, 15, 0, 4, 3, 38},  {'h', 9, 14, 0, 4, 4, 40},
    {'i', 9, 10, 0, 4, 4, 38},  {'l', 5, 6, 0, 2, 2, 19},   {'m', 14, 21, 0, 6, 7, 63},
    {'n', 10, 14, 0, 4, 5, 43}, {'o', 9, 8, 1, 3, 4, 34},   {'p', 11, 14, 1, 5, 4, 47},
    {'q', 11, 14, 1, 5, 4, 47}, {'r', 8, 11, 0, 3, 4, 34},  {'s', 8, 14, 0, 3, 4, 37},
    {'t', 9, 15, 0, 5, 3, 44},  {'u', 11, 16, 0, 5, 5, 49}, {'v', 7, 9, 0, 3, 3, 29},
    {'x', 9, 14, 0, 4, 4, 39},  {'y', 12, 16, 0, 6, 5, 52},
};

const GlyphCounts& countsOf(char letter) {
    for (const GlyphCounts& g : alphabet) {
        if (g.letter == letter) {
            return g;
        }
    }
    throw std::logic_error("no such glyph");
}

enum class Kind { knob, caption, footer };

// One letter of a drawing: the box of all its points in group fractions and, on a knob face, the angle
// of the box centre about the frame centre (degrees, clockwise from straight up).
struct Letter {
    char letter;
    double fx0, fx1, fy0, fy1, angle;
};

struct Drawing {
    D which;
    LetteringDrawing lettering;
    Kind kind;
    double aspect; // frame width / height at which the letters keep their shapes
    std::vector<Letter> letters;
};

const std::vector<Drawing>& drawings() {
    using L = LetteringDrawing;
    static const std::vector<Drawing> all{
        {D::MixUnderlay,
         L::MixUnderlay,
         Kind::knob,
         1,
         {{'m', 0.00000, 0.39895, 0.26799, 1.00000, -20},
          {'i', 0.47553, 0.64557, 0.00000, 0.82795, 3},
          {'x', 0.71866, 1.00000, 0.29260, 0.97956, 22}}},
        {D::FeedUnderlay,
         L::FeedUnderlay,
         Kind::knob,
         1,
         {{'f', 0.00000, 0.19044, 0.04322, 1.00000, -31},
          {'e', 0.23379, 0.42243, 0.07034, 0.78454, -14},
          {'e', 0.49672, 0.66969, 0.02169, 0.73342, 6},
          {'d', 0.72296, 1.00000, 0.00000, 0.98194, 26}}},
        {D::ToneUnderlay,
         L::ToneUnderlay,
         Kind::knob,
         1,
         {{'t', 0.00000, 0.25800, 0.25391, 0.98955, -32},
          {'o', 0.25506, 0.44727, 0.11856, 0.77990, -15},
          {'n', 0.53406, 0.72960, 0.00000, 0.73706, 7},
          {'e', 0.78580, 1.00000, 0.27268, 1.00000, 29}}},
        {D::OrbitUnderlay,
         L::OrbitUnderlay,
         Kind::knob,
         1,
         {{'o', 0.00000, 0.20841, 0.51020, 0.99620, -37},
          {'r', 0.19979, 0.34161, 0.23239, 0.76407, -20},
          {'b', 0.42418, 0.58874, 0.00000, 0.66998, 0},
          {'i', 0.63586, 0.81016, 0.14514, 0.78881, 19},
          {'t', 0.81918, 1.00000, 0.38507, 1.00000, 37}}},
        {D::DoubtUnderlay,
         L::DoubtUnderlay,
         Kind::knob,
         1,
         {{'d', 0.00000, 0.22731, 0.31987, 0.98486, -40},
          {'o', 0.21716, 0.37801, 0.22516, 0.71157, -21},
          {'u', 0.42401, 0.58522, 0.12968, 0.60756, -1},
          {'b', 0.64069, 0.81914, 0.00000, 0.71115, 20},
          {'t', 0.83024, 1.00000, 0.39650, 1.00000, 42}}},
        {D::VexityUnderlay,
         L::VexityUnderlay,
         Kind::knob,
         1,
         {{'v', 0.00000, 0.18743, 0.53399, 0.94495, -49},
          {'e', 0.17340, 0.33443, 0.27609, 0.70553, -29},
          {'x', 0.34949, 0.49859, 0.14875, 0.55013, -10},
          {'i', 0.54205, 0.64559, 0.00000, 0.56208, 8},
          {'t', 0.69722, 0.81961, 0.13380, 0.69146, 26},
          {'y', 0.77023, 1.00000, 0.43056, 1.00000, 44}}},
        {D::MasterUnderlay,
         L::MasterUnderlay,
         Kind::knob,
         1,
         {{'m', 0.00000, 0.23949, 0.45626, 1.00000, -48},
          {'a', 0.22443, 0.38976, 0.16970, 0.60897, -22},
          {'s', 0.41969, 0.52186, 0.10121, 0.49374, -4},
          {'t', 0.58605, 0.68814, 0.00000, 0.56155, 15},
          {'e', 0.70667, 0.85905, 0.27385, 0.73433, 33},
          {'r', 0.81811, 1.00000, 0.54045, 0.91216, 50}}},
        {D::BP,
         L::BP,
         Kind::caption,
         1,
         {{'b', 0.00000, 0.45565, 0.00000, 0.84110, 0}, {'p', 0.56048, 1.00000, 0.24258, 1.00000, 0}}},
        {D::HP,
         L::HP,
         Kind::caption,
         1,
         {{'h', 0.00000, 0.46995, 0.00000, 0.84117, 0}, {'p', 0.57044, 1.00000, 0.25287, 1.00000, 0}}},
        {D::LP,
         L::LP,
         Kind::caption,
         1,
         {{'l', 0.00000, 0.32147, 0.00000, 0.84290, 0}, {'p', 0.46503, 1.00000, 0.27996, 1.00000, 0}}},
        {D::Mute,
         L::Mute,
         Kind::caption,
         2,
         {{'m', 0.00000, 0.28617, 0.23764, 0.99725, 0},
          {'u', 0.33861, 0.56239, 0.23077, 1.00000, 0},
          {'t', 0.61076, 0.78210, 0.00000, 0.98352, 0},
          {'e', 0.83273, 1.00000, 0.22253, 0.98489, 0}}},
        {D::Fail,
         L::Fail,
         Kind::caption,
         2,
         {{'f', 0.00000, 0.18276, 0.04673, 0.96846, 0},
          {'a', 0.25489, 0.52506, 0.30140, 0.97430, 0},
          {'i', 0.58557, 0.78484, 0.11682, 1.00000, 0},
          {'l', 0.83985, 1.00000, 0.00000, 0.97780, 0}}},
        {D::Bypass,
         L::Bypass,
         Kind::caption,
         2.5,
         {{'b', 0.00000, 0.14478, 0.00000, 0.82708, 0},
          {'y', 0.17905, 0.33248, 0.24687, 1.00000, 0},
          {'p', 0.36932, 0.50897, 0.23854, 0.98333, 0},
          {'a', 0.55381, 0.69539, 0.21771, 0.81771, 0},
          {'s', 0.73094, 0.84113, 0.26667, 0.82500, 0},
          {'s', 0.88981, 1.00000, 0.26667, 0.82500, 0}}},
        // The wordmark's boxes are its own layout: only the letters and their order are fixed.
        {D::QuorFooter,
         L::QuorFooter,
         Kind::footer,
         8,
         {{'q', 0, 0, 0, 0, 0},
          {'u', 0, 0, 0, 0, 0},
          {'o', 0, 0, 0, 0, 0},
          {'r', 0, 0, 0, 0, 0},
          {'b', 0, 0, 0, 0, 0},
          {'e', 0, 0, 0, 0, 0},
          {'l', 0, 0, 0, 0, 0}}},
    };
    return all;
}

struct Point {
    double x, y;
};

using Polygon = std::vector<Point>;

// A subpath's corners in fractions; it must be a closed polygon: lines only, the last back to the start.
Polygon cornersOf(const ArtworkSubpath& subpath) {
    Polygon corners{{subpath.start.fx, subpath.start.fy}};
    for (const ArtworkSegment& s : subpath.segments) {
        corners.push_back({s.to.fx, s.to.fy});
    }
    corners.pop_back(); // the closing line's end is the start again
    return corners;
}

// Twice the signed area; positive for a clockwise turn on screen (y downward).
double signedArea(const Polygon& p) {
    double sum = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % p.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

bool inside(Point q, const Polygon& p) {
    bool in = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > q.y) != (p[j].y > q.y) &&
            q.x < p[i].x + (q.y - p[i].y) * (p[j].x - p[i].x) / (p[j].y - p[i].y)) {
            in = !in;
        }
    }
    return in;
}

struct Box {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    void add(Point p) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
};

Box boxOf(const ArtworkShape& shape) {
    Box box;
    for (const ArtworkSubpath& s : shape.subpaths) {
        for (Point p : cornersOf(s)) {
            box.add(p);
        }
    }
    return box;
}

const ArtworkDrawing& artworkOf(const Drawing& d) {
    return knobsStyleKitArtwork(d.which);
}

std::string nameOf(const Drawing& d, std::size_t shape) {
    return std::string(knobsStyleKitDrawingName(d.which)) + " shape " + std::to_string(shape + 1);
}

// A letter's points in units of a knob frame's size (the same for every drawing of a kind): knob faces in
// frame units; captions and the footer in frame-height units at their aspect ratio, captions then scaled
// to knob units (one caption height is 0.29125 of a knob).
std::vector<Point> pointsInUnits(const Drawing& d, const ArtworkShape& shape) {
    const ArtworkGroup& g = *artworkOf(d).group;
    const double scale = d.kind == Kind::caption ? 0.29125 : 1.0;
    std::vector<Point> points;
    for (const ArtworkSubpath& s : shape.subpaths) {
        for (Point p : cornersOf(s)) {
            points.push_back(
                {(g.fL + (g.fR - g.fL) * p.x) * d.aspect * scale, (g.fT + (g.fB - g.fT) * p.y) * scale});
        }
    }
    return points;
}

// The best rigid motion (with a free uniform scale when `scaled`) taking a onto b, point for point: the
// turn in degrees clockwise on screen, the scale, and the largest distance left between matched points.
struct Fit {
    double turn = 0, scale = 1, residual = INFINITY;
};

Fit fitMotion(const std::vector<Point>& a, const std::vector<Point>& b, bool scaled) {
    Fit fit;
    if (a.size() != b.size() || a.empty()) {
        return fit;
    }
    Point ca{0, 0}, cb{0, 0};
    for (std::size_t i = 0; i < a.size(); ++i) {
        ca = {ca.x + a[i].x / double(a.size()), ca.y + a[i].y / double(a.size())};
        cb = {cb.x + b[i].x / double(b.size()), cb.y + b[i].y / double(b.size())};
    }
    double dot = 0, cross = 0, norm = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Point p{a[i].x - ca.x, a[i].y - ca.y};
        const Point q{b[i].x - cb.x, b[i].y - cb.y};
        dot += p.x * q.x + p.y * q.y;
        cross += p.x * q.y - p.y * q.x;
        norm += p.x * p.x + p.y * p.y;
    }
    const double angle = std::atan2(cross, dot);
    fit.turn = angle * 180 / std::numbers::pi;
    fit.scale = scaled ? std::hypot(dot, cross) / norm : 1.0;
    fit.residual = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Point p{a[i].x - ca.x, a[i].y - ca.y};
        const Point r{fit.scale * (p.x * std::cos(angle) - p.y * std::sin(angle)) + cb.x,
                      fit.scale * (p.x * std::sin(angle) + p.y * std::cos(angle)) + cb.y};
        fit.residual = std::max(fit.residual, std::hypot(r.x - b[i].x, r.y - b[i].y));
    }
    return fit;
}

} // namespace

TEST(Lettering, ShapesSubpathsAndLinesOfEveryLetter) {
    for (const Drawing& d : drawings()) {
        const ArtworkDrawing& art = artworkOf(d);
        ASSERT_EQ(art.shapes.size(), d.letters.size()) << knobsStyleKitDrawingName(d.which);
        for (std::size_t i = 0; i < d.letters.size(); ++i) {
            const ArtworkShape& shape = art.shapes[i];
            const GlyphCounts& want = countsOf(d.letters[i].letter);
            EXPECT_EQ(shape.kind, ArtworkShapeKind::path) << nameOf(d, i);
            EXPECT_EQ(shape.fillColour, 0u) << nameOf(d, i);
            EXPECT_EQ(shape.windingRule, ArtworkWindingRule::nonZero) << nameOf(d, i);
            EXPECT_EQ(shape.miterLimit, std::optional<CGFloat>(4.0)) << nameOf(d, i);
            EXPECT_FALSE(shape.stroke.has_value()) << nameOf(d, i);
            ASSERT_EQ(int(shape.subpaths.size()), want.subpaths) << nameOf(d, i);
            int lines = 0, clockwise = 0, counterClockwise = 0;
            for (const ArtworkSubpath& s : shape.subpaths) {
                for (const ArtworkSegment& seg : s.segments) {
                    EXPECT_EQ(seg.kind, ArtworkSegmentKind::line) << nameOf(d, i);
                }
                ASSERT_FALSE(s.segments.empty());
                EXPECT_EQ(s.segments.back().to, s.start)
                    << nameOf(d, i) << ": ends with a line back to its start";
                lines += int(s.segments.size());
                (signedArea(cornersOf(s)) > 0 ? clockwise : counterClockwise) += 1;
            }
            EXPECT_EQ(lines, want.lines) << nameOf(d, i);
            EXPECT_EQ(int(cornersOf(shape.subpaths[0]).size()), want.outline) << nameOf(d, i);
            // The outline and the splinters run clockwise on screen, counters and slits the other way.
            EXPECT_GT(signedArea(cornersOf(shape.subpaths[0])), 0) << nameOf(d, i);
            EXPECT_EQ(clockwise, 1 + want.splinters) << nameOf(d, i);
            EXPECT_EQ(counterClockwise, want.counter + want.slits) << nameOf(d, i);
        }
    }
}

TEST(Lettering, CountersSecondAndTheDotOfTheIWithItsSlit) {
    for (const Drawing& d : drawings()) {
        const ArtworkDrawing& art = artworkOf(d);
        for (std::size_t i = 0; i < d.letters.size(); ++i) {
            const char letter = d.letters[i].letter;
            const auto& subpaths = art.shapes[i].subpaths;
            if (countsOf(letter).counter == 1) {
                // The counter is the second subpath, the largest of those running counter-clockwise.
                const double counter = signedArea(cornersOf(subpaths[1]));
                EXPECT_LT(counter, 0) << nameOf(d, i);
                for (std::size_t k = 2; k < subpaths.size(); ++k) {
                    EXPECT_GT(signedArea(cornersOf(subpaths[k])), counter) << nameOf(d, i);
                }
            }
            if (letter == 'i') {
                const Polygon dot = cornersOf(subpaths[1]);
                EXPECT_EQ(dot.size(), 4u) << nameOf(d, i);
                EXPECT_GT(signedArea(dot), 0) << nameOf(d, i);
                const auto slitInDot =
                    std::count_if(subpaths.begin() + 2, subpaths.end(), [&](const auto& s) {
                        const Polygon slit = cornersOf(s);
                        return signedArea(slit) < 0 &&
                               std::all_of(slit.begin(), slit.end(), [&](Point p) { return inside(p, dot); });
                    });
                EXPECT_EQ(slitInDot, 1) << nameOf(d, i);
            }
        }
    }
}

TEST(Lettering, EveryDrawingReachesExactlyZeroAndOne) {
    for (const Drawing& d : drawings()) {
        Box all;
        for (const ArtworkShape& shape : artworkOf(d).shapes) {
            const Box b = boxOf(shape);
            all.add({b.x0, b.y0});
            all.add({b.x1, b.y1});
        }
        EXPECT_EQ(all.x0, 0.0) << knobsStyleKitDrawingName(d.which);
        EXPECT_EQ(all.x1, 1.0) << knobsStyleKitDrawingName(d.which);
        EXPECT_EQ(all.y0, 0.0) << knobsStyleKitDrawingName(d.which);
        EXPECT_EQ(all.y1, 1.0) << knobsStyleKitDrawingName(d.which);
        // The first letter reaches the left edge and the last the right one.
        EXPECT_EQ(boxOf(artworkOf(d).shapes.front()).x0, 0.0) << knobsStyleKitDrawingName(d.which);
        EXPECT_EQ(boxOf(artworkOf(d).shapes.back()).x1, 1.0) << knobsStyleKitDrawingName(d.which);
    }
}

TEST(Lettering, EachLetterFillsItsBox) {
    // Knob faces: each glyph has one size on every face, so a box is met as closely as the glyph's
    // proportions allow (within 0.03 of the group); captions meet theirs to the rounding of the tables.
    for (const Drawing& d : drawings()) {
        if (d.kind == Kind::footer) {
            continue;
        }
        const double tolerance = d.kind == Kind::knob ? 0.03 : 0.001;
        for (std::size_t i = 0; i < d.letters.size(); ++i) {
            const Letter& want = d.letters[i];
            const Box b = boxOf(artworkOf(d).shapes[i]);
            EXPECT_NEAR(b.x0, want.fx0, tolerance) << nameOf(d, i);
            EXPECT_NEAR(b.x1, want.fx1, tolerance) << nameOf(d, i);
            EXPECT_NEAR(b.y0, want.fy0, tolerance) << nameOf(d, i);
            EXPECT_NEAR(b.y1, want.fy1, tolerance) << nameOf(d, i);
        }
    }
}

TEST(Lettering, WordmarkLettersStandInReadingOrderWithoutOverlapping) {
    const Drawing& footer = drawings().back();
    const auto& shapes = artworkOf(footer).shapes;
    for (std::size_t i = 1; i < shapes.size(); ++i) {
        EXPECT_LT(boxOf(shapes[i - 1]).x1, boxOf(shapes[i]).x0) << nameOf(footer, i);
    }
    EXPECT_DOUBLE_EQ(artworkOf(footer).colours.at(0).alpha, 0.224);
}

TEST(Lettering, EveryOccurrenceOfAGlyphIsTheSameOutline) {
    // Points in knob units (the wordmark in its own units); every occurrence is the upright form (a
    // caption's, else the wordmark's) turned and shifted, the wordmark's all scaled by one factor, to the
    // rounding of five decimals of the group.
    struct Occurrence {
        const Drawing* drawing;
        std::size_t index;
        std::vector<Point> points;
    };
    std::map<char, std::vector<Occurrence>> byLetter;
    for (const Drawing& d : drawings()) {
        for (std::size_t i = 0; i < d.letters.size(); ++i) {
            byLetter[d.letters[i].letter].push_back({&d, i, pointsInUnits(d, artworkOf(d).shapes[i])});
        }
    }
    const auto first = [](const std::vector<Occurrence>& all, Kind kind) {
        return std::find_if(all.begin(), all.end(),
                            [&](const Occurrence& o) { return o.drawing->kind == kind; });
    };
    double footerScale = 0;
    for (const auto& [letter, occurrences] : byLetter) {
        auto reference = first(occurrences, Kind::caption);
        if (reference == occurrences.end()) {
            reference = first(occurrences, Kind::footer);
        }
        const bool upright = reference != occurrences.end();
        const Occurrence& ref = upright ? *reference : occurrences.front();
        for (const Occurrence& o : occurrences) {
            const bool scaled = (o.drawing->kind == Kind::footer) != (ref.drawing->kind == Kind::footer);
            const Fit fit = fitMotion(ref.points, o.points, scaled);
            const std::string where = nameOf(*o.drawing, o.index) + " (" + letter + ")";
            EXPECT_LT(fit.residual, o.drawing->kind == Kind::footer ? 1.2e-4 : 2e-5) << where;
            if (scaled && o.drawing->kind == Kind::footer) {
                footerScale = footerScale == 0 ? fit.scale : footerScale;
                EXPECT_NEAR(fit.scale, footerScale, 1e-4) << where;
            }
            if (!upright) {
                continue;
            }
            if (o.drawing->kind != Kind::knob) {
                EXPECT_NEAR(fit.turn, 0.0, 0.01)
                    << where; // upright (the wordmark's small letters round coarsely)
            } else {
                // On a knob face the letter stands near the radius through its box centre.
                EXPECT_NEAR(fit.turn, o.drawing->letters[o.index].angle, letter == 'f' ? 10.0 : 7.0) << where;
            }
        }
        // Two occurrences on the faces differ in turn by the difference of their angles, within 3 degrees.
        for (const Occurrence& a : occurrences) {
            for (const Occurrence& b : occurrences) {
                if (a.drawing->kind != Kind::knob || b.drawing->kind != Kind::knob) {
                    continue;
                }
                const double turn = fitMotion(a.points, b.points, false).turn;
                const double angles = b.drawing->letters[b.index].angle - a.drawing->letters[a.index].angle;
                EXPECT_NEAR(turn, angles, 3.0 + 1e-6)
                    << nameOf(*a.drawing, a.index) << " to " << nameOf(*b.drawing, b.index);
            }
        }
    }
    EXPECT_GT(footerScale, 0);
}

TEST(Lettering, FaceLettersStandBetweenTheirCircles) {
    // Frame units from the face's centre: every letter's innermost point on the baseline circle (the n a
    // little nearer, the descender of the y further in), its outermost at the x-height circle or, for the
    // ascenders and the dot of the i, the ascender circle; no point nearer than 0.29 (the y's floor).
    for (const Drawing& d : drawings()) {
        if (d.kind != Kind::knob) {
            continue;
        }
        for (std::size_t i = 0; i < d.letters.size(); ++i) {
            const char letter = d.letters[i].letter;
            double nearest = INFINITY, farthest = 0;
            for (Point p : pointsInUnits(d, artworkOf(d).shapes[i])) {
                const double r = std::hypot(p.x - 0.5, p.y - 0.5);
                nearest = std::min(nearest, r);
                farthest = std::max(farthest, r);
            }
            const bool ascender = std::string("bdfit").find(letter) != std::string::npos;
            const double in0 = letter == 'n' ? 0.321 : letter == 'y' ? 0.290 : 0.327;
            const double in1 = letter == 'n' ? 0.325 : letter == 'y' ? 0.294 : 0.332;
            EXPECT_GE(nearest, in0) << nameOf(d, i) << " (" << letter << ")";
            EXPECT_LE(nearest, in1) << nameOf(d, i) << " (" << letter << ")";
            EXPECT_GE(farthest, ascender ? 0.486 : 0.448) << nameOf(d, i) << " (" << letter << ")";
            EXPECT_LE(farthest, ascender ? 0.505 : 0.461) << nameOf(d, i) << " (" << letter << ")";
        }
    }
}

TEST(Lettering, TheGivenOutlinesOfMAndLAreExact) {
    const std::vector<Point> m{{0.06797, 0.41418}, {0.08853, 0.5154},  {0.09582, 0.39654}, {0.15922, 0.35113},
                               {0.18875, 0.42275}, {0.19826, 0.34173}, {0.25769, 0.28524}, {0.3286, 0.37243},
                               {0.39445, 0.78444}, {0.32945, 0.85071}, {0.27623, 0.43546}, {0.22265, 0.47035},
                               {0.28451, 0.85739}, {0.22786, 0.91072}, {0.16056, 0.51714}, {0.10567, 0.55067},
                               {0.18019, 0.94834}, {0.11779, 1.0},     {0.06536, 0.57606}, {0.01899, 0.60464},
                               {0.0, 0.47214}};
    const Polygon mix = cornersOf(letteringShapes(LetteringDrawing::MixUnderlay).at(0).subpaths.at(0));
    ASSERT_EQ(mix.size(), m.size());
    for (std::size_t k = 0; k < m.size(); ++k) {
        EXPECT_EQ(mix[k].x, m[k].x) << k;
        EXPECT_EQ(mix[k].y, m[k].y) << k;
    }
    const std::vector<std::vector<Point>> l{
        {{0.32147, 0.04028},
         {0.32147, 0.83686},
         {0.11411, 0.84290},
         {0.14356, 0.19637},
         {0.00000, 0.20745},
         {0.01472, 0.05237}},
        {{0.12147, 0.21249}, {0.10061, 0.63343}, {0.08466, 0.21551}},
        {{0.14110, 0.81672}, {0.16074, 0.79355}, {0.16074, 0.29708}},
        {{0.05890, 0.09668}, {0.28712, 0.05740}, {0.03436, 0.07150}, {0.02454, 0.18328}},
        {{0.28466, 0.02014}, {0.02209, 0.03223}, {0.02209, 0.00000}},
    };
    const auto& lp = letteringShapes(LetteringDrawing::LP).at(0).subpaths;
    ASSERT_EQ(lp.size(), l.size());
    for (std::size_t s = 0; s < l.size(); ++s) {
        const Polygon got = cornersOf(lp[s]);
        ASSERT_EQ(got.size(), l[s].size()) << s;
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].x, l[s][k].x) << s << " " << k;
            EXPECT_EQ(got[k].y, l[s][k].y) << s << " " << k;
        }
    }
}

TEST(Lettering, FirstPointOfMixAtTheWorkedFrame) {
    const CGRect group = artworkGroupRect(*knobsStyleKitArtwork(D::MixUnderlay).group, {0, 0, 100, 100});
    const auto& first = letteringShapes(LetteringDrawing::MixUnderlay).at(0).subpaths.at(0).start;
    const platform::CGPoint p = artworkPoint(group, first);
    EXPECT_NEAR(p.x, 31.52, 0.005);
    EXPECT_NEAR(p.y, 9.27, 0.005);
}

TEST(Lettering, EvenOddFillPaintsTheSamePixelsAsNonZero) {
    // Slits and counters lie on the ink and splinters off it, none crossing another, so the fill rule
    // does not matter; a piece on the wrong side or wound the wrong way would show here.
    for (const Drawing& d : drawings()) {
        const double h = d.kind == Kind::knob ? 300 : 120;
        const double w = d.kind == Kind::knob ? 300 : h * d.aspect;
        ArtworkDrawing evenOdd = artworkOf(d);
        for (ArtworkShape& shape : evenOdd.shapes) {
            shape.windingRule = ArtworkWindingRule::evenOdd;
        }
        const auto size = [](double v) { return static_cast<std::size_t>(v); };
        stylekit_test::CurrentBitmap nonZeroBitmap(size(w), size(h));
        drawArtwork(artworkOf(d), {0, 0, w, h});
        stylekit_test::CurrentBitmap evenOddBitmap(size(w), size(h));
        drawArtwork(evenOdd, {0, 0, w, h});
        EXPECT_TRUE(stylekit_test::samePixels(*nonZeroBitmap.image(), *evenOddBitmap.image()))
            << knobsStyleKitDrawingName(d.which);
    }
}

TEST(Lettering, InkFillsTheGroupRectangleOfTheWorkedFrames) {
    struct Case {
        D which;
        CGRect frame;
    };
    const Case cases[] = {
        {D::MixUnderlay, {0, 0, 100, 100}},
        {D::FeedUnderlay, {0, 0, 100, 100}},
        {D::ToneUnderlay, {0, 0, 100, 100}},
        {D::OrbitUnderlay, {0, 0, 100, 100}},
        {D::DoubtUnderlay, {0, 0, 100, 100}},
        {D::VexityUnderlay, {0, 0, 100, 100}},
        {D::MasterUnderlay, {0, 0, 115, 115}},
        {D::BP, {0, 0, 23, 23}},
        {D::HP, {0, 0, 23, 23}},
        {D::LP, {0, 0, 23, 23}},
        {D::Fail, {0, 0, 46, 23}},
        {D::Bypass, {0, 0, 57.5, 23}},
        {D::Mute, {0, 0, 100, 50}},
        {D::QuorFooter, {0, 0, 400, 50}},
        {D::QuorFooter, {0, 0, 100, 100}},
    };
    constexpr double density = 4; // pixels per point
    for (const Case& c : cases) {
        const auto w = static_cast<std::size_t>(std::ceil(c.frame.size.width * density));
        const auto h = static_cast<std::size_t>(std::ceil(c.frame.size.height * density));
        stylekit_test::CurrentBitmap bitmap(w, h);
        platform::CGContextScaleCTM(bitmap.context(), density, density);
        drawArtwork(knobsStyleKitArtwork(c.which), c.frame);
        const auto image = bitmap.image();
        std::size_t x0 = w, x1 = 0, y0 = h, y1 = 0;
        for (std::size_t y = 0; y < h; ++y) {
            for (std::size_t x = 0; x < w; ++x) {
                if (image->pixelAt(x, y).alpha > 0) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x + 1);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y + 1);
                }
            }
        }
        const CGRect g = artworkGroupRect(*knobsStyleKitArtwork(c.which).group, c.frame);
        const auto name =
            std::string(knobsStyleKitDrawingName(c.which)) + " " + std::to_string(c.frame.size.width);
        ASSERT_LT(x0, x1) << name << ": no ink";
        // The ink's pixel bounds are the group rectangle's, clipped to the image (the orbit group starts
        // above it), to a pixel.
        EXPECT_NEAR(double(x0), std::max(0.0, g.minX() * density), 1.0) << name;
        EXPECT_NEAR(double(x1), std::min(double(w), g.maxX() * density), 1.0) << name;
        EXPECT_NEAR(double(y0), std::max(0.0, g.minY() * density), 1.0) << name;
        EXPECT_NEAR(double(y1), std::min(double(h), g.maxY() * density), 1.0) << name;
    }
}
