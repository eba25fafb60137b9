#pragma once
#include "graphics/CGAffineTransform.h"
#include "graphics/CGGeometry.h"

#include <array>
#include <vector>

namespace platform {

/// Kind of a path element, with the platform's values.
enum CGPathElementType : int {
    kCGPathElementMoveToPoint = 0,
    kCGPathElementAddLineToPoint = 1,
    kCGPathElementAddQuadCurveToPoint = 2,
    kCGPathElementAddCurveToPoint = 3,
    kCGPathElementCloseSubpath = 4,
};

/// One element and its points: move and line: the point; quadratic: control, end; cubic: control 1,
/// control 2, end; close: none (unused points are zero).
struct CGPathElement {
    CGPathElementType type = kCGPathElementMoveToPoint;
    std::array<CGPoint, 3> points{};

    friend bool operator==(const CGPathElement&, const CGPathElement&) = default;
};

/// Stand-in for a Core Graphics path: an immutable list of elements.
class CGPath {
public:
    /// The elements in order.
    const std::vector<CGPathElement>& elements() const { return elements_; }
    /// True when the path has no elements.
    bool isEmpty() const { return elements_.empty(); }

protected:
    std::vector<CGPathElement> elements_;
};

/// Stand-in for a mutable Core Graphics path. Each call appends one element; points pass through the
/// given transform first. Allocates.
class CGMutablePath : public CGPath {
public:
    /// Starts a subpath at `point`.
    void move(CGPoint point, const CGAffineTransform& transform = CGAffineTransformIdentity);
    /// Appends a straight segment to `point`.
    void addLine(CGPoint point, const CGAffineTransform& transform = CGAffineTransformIdentity);
    /// Appends a cubic Bezier segment to `point` with controls `control1` and `control2`.
    void addCurve(CGPoint point, CGPoint control1, CGPoint control2,
                  const CGAffineTransform& transform = CGAffineTransformIdentity);
    /// Appends a quadratic Bezier segment to `point` with control `control`.
    void addQuadCurve(CGPoint point, CGPoint control,
                      const CGAffineTransform& transform = CGAffineTransformIdentity);
    /// Closes the current subpath.
    void closeSubpath();
};

/// Closes the current subpath of `path` (null: nothing).
void CGPathCloseSubpath(CGMutablePath* path);

} // namespace platform
