#pragma once
#include "graphics/CGAffineTransform.h"
#include "graphics/CGGeometry.h"

#include <cmath>

namespace platform {

/// Stand-in for Core Animation's 4 x 4 transform, in its row-vector convention: a point (x, y, z, 1)
/// times the matrix. Only the 2-D part (m11, m12, m21, m22, m41, m42) reaches the screen.
struct CATransform3D {
    CGFloat m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    CGFloat m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    CGFloat m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    CGFloat m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    friend bool operator==(const CATransform3D&, const CATransform3D&) = default;
};

/// The identity transform.
inline constexpr CATransform3D CATransform3DIdentity{};

/// True when `t` is the identity.
inline bool CATransform3DIsIdentity(const CATransform3D& t) {
    return t == CATransform3DIdentity;
}

/// A rotation by `angle` radians about the axis (x, y, z), which need not be of unit length; a zero or
/// non-finite axis gives the identity. About (0, 0, 1): x' = x cos - y sin, y' = x sin + y cos, which in
/// a space with y downward (a flipped view) turns clockwise on screen for a positive angle.
inline CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z) {
    const CGFloat length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length)) {
        return CATransform3DIdentity;
    }
    x /= length;
    y /= length;
    z /= length;
    const CGFloat c = std::cos(angle);
    const CGFloat s = std::sin(angle);
    const CGFloat t = 1 - c;
    CATransform3D r;
    r.m11 = t * x * x + c;
    r.m12 = t * x * y + s * z;
    r.m13 = t * x * z - s * y;
    r.m21 = t * x * y - s * z;
    r.m22 = t * y * y + c;
    r.m23 = t * y * z + s * x;
    r.m31 = t * x * z + s * y;
    r.m32 = t * y * z - s * x;
    r.m33 = t * z * z + c;
    return r;
}

/// The 2-D part of `t` as an affine transform (what the compositor draws).
inline CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t) {
    return {t.m11, t.m12, t.m21, t.m22, t.m41, t.m42};
}

} // namespace platform
