#pragma once
#include "graphics/CGGeometry.h"

#include <cairo.h>

#include <array>
#include <cstddef>
#include <vector>

namespace platform {

/// Kind of a Bezier path element, with the platform's values.
enum NSBezierPathElement : int {
    NSBezierPathElementMoveTo = 0,
    NSBezierPathElementLineTo = 1,
    NSBezierPathElementCubicCurveTo = 2,
    NSBezierPathElementClosePath = 3,
    NSBezierPathElementQuadraticCurveTo = 4,
};

/// Fill rule of a Bezier path.
enum NSWindingRule : int { NSWindingRuleNonZero = 0, NSWindingRuleEvenOdd = 1 };

/// Stand-in for the platform's Bezier path: subpaths of lines and curves, with the attributes used when
/// it is filled (winding rule) or stroked (line width, miter limit; joins are mitred, caps butt).
/// Filling and stroking use the current graphics context's colours. Building allocates.
class NSBezierPath {
public:
    /// Line width of a new path.
    static constexpr CGFloat defaultLineWidth = 1.0;
    /// Miter limit of a new path.
    static constexpr CGFloat defaultMiterLimit = 10.0;

    /// An empty path.
    NSBezierPath() = default;
    /// A closed ellipse inscribed in the (standardized) rectangle: four cubic quarter arcs from the
    /// middle of the right edge through the bottom (in y-down space), left and top.
    static NSBezierPath bezierPathWithOvalInRect(CGRect rect);

    /// Starts a subpath at `point`.
    void move(CGPoint point);
    /// Appends a straight segment to `point`.
    void line(CGPoint point);
    /// Appends a cubic Bezier segment to `point` with controls `controlPoint1` and `controlPoint2`.
    void curve(CGPoint point, CGPoint controlPoint1, CGPoint controlPoint2);
    /// Appends a quadratic Bezier segment to `point` with control `controlPoint`.
    void curve(CGPoint point, CGPoint controlPoint);
    /// Closes the current subpath; the next segment starts at the subpath's first point.
    void close();

    /// Fill rule used by fill(); non-zero by default.
    NSWindingRule windingRule() const { return windingRule_; }
    /// Sets the fill rule.
    void setWindingRule(NSWindingRule rule) { windingRule_ = rule; }
    /// Stroke width in user units; 1 by default.
    CGFloat lineWidth() const { return lineWidth_; }
    /// Sets the stroke width.
    void setLineWidth(CGFloat width) { lineWidth_ = width; }
    /// Miter limit of stroked joins; 10 by default.
    CGFloat miterLimit() const { return miterLimit_; }
    /// Sets the miter limit.
    void setMiterLimit(CGFloat limit) { miterLimit_ = limit; }

    /// Fills the path with the current context's fill colour under its winding rule; nothing without a
    /// current context. A path with a non-finite coordinate is not drawn.
    void fill() const;
    /// Strokes the path with the current context's stroke colour, line width and miter limit; nothing
    /// without a current context. A path with a non-finite coordinate is not drawn.
    void stroke() const;

    /// True when the path has no elements.
    bool isEmpty() const { return elements_.empty(); }
    /// Number of elements.
    std::ptrdiff_t elementCount() const { return static_cast<std::ptrdiff_t>(elements_.size()); }
    /// Element `index` and its points into `points` (room for three): move and line: the point;
    /// cubic: control 1, control 2, end; quadratic: control, end; close: none. An index out of range
    /// writes nothing and reports a close.
    NSBezierPathElement element(std::ptrdiff_t index, CGPoint* points) const;

private:
    struct Element {
        NSBezierPathElement kind;
        std::array<CGPoint, 3> points;
    };
    /// Replaces the cairo context's path with this path; false when a coordinate is not finite.
    bool buildCairoPath(cairo_t* cr) const;

    std::vector<Element> elements_;
    NSWindingRule windingRule_ = NSWindingRuleNonZero;
    CGFloat lineWidth_ = defaultLineWidth;
    CGFloat miterLimit_ = defaultMiterLimit;
};

} // namespace platform
