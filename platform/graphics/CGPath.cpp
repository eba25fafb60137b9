#include "graphics/CGPath.h"

namespace platform {

void CGMutablePath::move(CGPoint point, const CGAffineTransform& transform) {
    elements_.push_back({kCGPathElementMoveToPoint, {CGPointApplyAffineTransform(point, transform)}});
}

void CGMutablePath::addLine(CGPoint point, const CGAffineTransform& transform) {
    elements_.push_back({kCGPathElementAddLineToPoint, {CGPointApplyAffineTransform(point, transform)}});
}

void CGMutablePath::addCurve(CGPoint point, CGPoint control1, CGPoint control2,
                             const CGAffineTransform& transform) {
    elements_.push_back(
        {kCGPathElementAddCurveToPoint,
         {CGPointApplyAffineTransform(control1, transform), CGPointApplyAffineTransform(control2, transform),
          CGPointApplyAffineTransform(point, transform)}});
}

void CGMutablePath::addQuadCurve(CGPoint point, CGPoint control, const CGAffineTransform& transform) {
    elements_.push_back(
        {kCGPathElementAddQuadCurveToPoint,
         {CGPointApplyAffineTransform(control, transform), CGPointApplyAffineTransform(point, transform)}});
}

void CGMutablePath::closeSubpath() {
    elements_.push_back({kCGPathElementCloseSubpath, {}});
}

void CGPathCloseSubpath(CGMutablePath* path) {
    if (path != nullptr) {
        path->closeSubpath();
    }
}

} // namespace platform
