#pragma once
#include "graphics/CGGeometry.h"

namespace platform {

/// Stand-in for the platform's affine transform: x' = a x + c y + tx, y' = b x + d y + ty.
struct CGAffineTransform {
    CGFloat a = 1;
    CGFloat b = 0;
    CGFloat c = 0;
    CGFloat d = 1;
    CGFloat tx = 0;
    CGFloat ty = 0;

    friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

/// The identity transform.
inline constexpr CGAffineTransform CGAffineTransformIdentity{};

/// Applies a transform to a point.
inline CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t) {
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

} // namespace platform
