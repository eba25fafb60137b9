#pragma once
/// The one data form in which every drawing of the style kit is given: an ArtworkDrawing holds its
/// colours, its group constants and its shapes; an ArtworkShape is a path of closed subpaths (straight
/// lines and cubic curves) or an oval, with a fill colour, a winding rule, an optional miter limit and an
/// optional stroke. Points are (fx, fy) fractions of the group rectangle, y growing downward (the kit's
/// images are flipped). ArtworkRenderer turns a drawing into paths for a frame.
///
/// Lettering hook. The letter shapes of the knob faces, the button captions and the footer wordmark are
/// generated data: the style kit keeps each lettered drawing's colour and group constants and asks
///     const std::vector<ArtworkShape>& letteringShapes(LetteringDrawing which);
/// (declared at the end of this header) for its shapes. That function is defined in
/// stylekit/generated/LetteringData.cpp, a source file written by the lettering generator under tools/
/// and committed; the generator overwrites it whole. It must define letteringShapes for every
/// LetteringDrawing (an empty list draws nothing), each list in drawing order (one shape per letter,
/// reading order), using only the types of this header; artworkPolygon() and artworkLetterShape() below
/// build the straight-edged letter pieces compactly.

#include "graphics/CGGeometry.h"
#include "stylekit/KnobsStyleKitDrawingList.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace quorbel {

using platform::CGFloat;

/// A point as fractions of the group rectangle: fx of its width from the left, fy of its height from
/// the top.
struct ArtworkPoint {
    CGFloat fx = 0;
    CGFloat fy = 0;

    friend bool operator==(const ArtworkPoint&, const ArtworkPoint&) = default;
};

/// Kind of a subpath segment.
enum class ArtworkSegmentKind : std::uint8_t { line, curve };

/// One segment from the current point: a straight line to `to`, or a cubic Bezier curve to `to` with
/// control points `control1` (nearer the start) and `control2`.
struct ArtworkSegment {
    ArtworkSegmentKind kind = ArtworkSegmentKind::line;
    ArtworkPoint to;
    ArtworkPoint control1;
    ArtworkPoint control2;

    /// A straight line to `to`.
    static ArtworkSegment line(ArtworkPoint to) { return {ArtworkSegmentKind::line, to, {}, {}}; }
    /// A cubic curve to `to` with control points `c1` and `c2`.
    static ArtworkSegment curve(ArtworkPoint to, ArtworkPoint c1, ArtworkPoint c2) {
        return {ArtworkSegmentKind::curve, to, c1, c2};
    }
};

/// A subpath: a move to `start`, the segments in order, then a close. Every subpath is closed; a
/// polygon lists its line back to `start` as its last segment.
struct ArtworkSubpath {
    ArtworkPoint start;
    std::vector<ArtworkSegment> segments;
};

/// Kind of a shape: a path of subpaths, or an oval nested in the group rectangle.
enum class ArtworkShapeKind : std::uint8_t { path, oval };

/// Fill rule of a shape.
enum class ArtworkWindingRule : std::uint8_t { nonZero, evenOdd };

/// A stroke: a colour of the drawing's colour list and a line width in points (not scaled with the
/// frame).
struct ArtworkStroke {
    std::size_t colour = 0;
    CGFloat lineWidth = 1;
};

/// One painted figure. Path shapes use `subpaths`; oval shapes use `ovalF1` < `ovalF2`, fractions that
/// apply to both axes of the group rectangle. Every shape is filled with `fillColour` (an index into
/// the drawing's colour list); `miterLimit` is set on the path only where given.
struct ArtworkShape {
    ArtworkShapeKind kind = ArtworkShapeKind::path;
    std::vector<ArtworkSubpath> subpaths;
    CGFloat ovalF1 = 0;
    CGFloat ovalF2 = 0;
    std::size_t fillColour = 0;
    ArtworkWindingRule windingRule = ArtworkWindingRule::nonZero;
    std::optional<CGFloat> miterLimit;
    std::optional<ArtworkStroke> stroke;
};

/// A colour: red, green, blue and alpha, each 0 to 1.
struct ArtworkColour {
    CGFloat red = 0;
    CGFloat green = 0;
    CGFloat blue = 0;
    CGFloat alpha = 1;
};

/// Group constants: fractions f of the frame's width or height, offsets k and size constants d in
/// points, for the left (L), right (R), top (T) and bottom (B) edges.
struct ArtworkGroup {
    CGFloat fL = 0, kL = 0, fR = 0, kR = 0, dW = 0;
    CGFloat fT = 0, kT = 0, fB = 0, kB = 0, dH = 0;
};

/// One drawing: its colours in creation order, its group constants (absent for a drawing that draws
/// nothing) and its shapes in painting order, later over earlier.
struct ArtworkDrawing {
    std::vector<ArtworkColour> colours;
    std::optional<ArtworkGroup> group;
    std::vector<ArtworkShape> shapes;
};

/// A closed polygon: a move to the first corner, lines to the others and one back to the first corner,
/// then a close. Allocates.
inline ArtworkSubpath artworkPolygon(std::initializer_list<ArtworkPoint> corners) {
    ArtworkSubpath subpath;
    if (corners.size() == 0) {
        return subpath;
    }
    subpath.start = *corners.begin();
    subpath.segments.reserve(corners.size());
    for (auto it = corners.begin() + 1; it != corners.end(); ++it) {
        subpath.segments.push_back(ArtworkSegment::line(*it));
    }
    subpath.segments.push_back(ArtworkSegment::line(subpath.start));
    return subpath;
}

/// A letter: filled with colour 0 under the non-zero rule, miter limit 4, no stroke. Allocates.
inline ArtworkShape artworkLetterShape(std::initializer_list<ArtworkSubpath> subpaths) {
    ArtworkShape shape;
    shape.subpaths.assign(subpaths.begin(), subpaths.end());
    shape.miterLimit = 4.0;
    return shape;
}

/// The lettered drawings, in the style kit's order.
enum class LetteringDrawing : std::uint8_t {
    QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DRAWING_NOTHING, QUORBEL_DRAWING_ENUMERATOR)
};

/// Number of lettered drawings.
inline constexpr std::size_t letteringDrawingCount =
    0 QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DRAWING_NOTHING, QUORBEL_DRAWING_ONE);

/// The shapes of a lettered drawing, one per letter in reading order; generated data (see the top of
/// this header). The first call builds every list; later calls return the same lists.
const std::vector<ArtworkShape>& letteringShapes(LetteringDrawing which);

} // namespace quorbel
