#pragma once
/// Stand-in for the platform's 2-D geometry: CGFloat, CGPoint, CGSize, CGRect and the rectangle functions
/// the system calls. The accessors report a rectangle standardized, as the platform does: a negative
/// width or height is taken by its absolute value with the origin moved to the smaller edge.

#include <cmath>

namespace platform {

/// The platform's floating-point scalar: 64-bit.
using CGFloat = double;

/// A point in user space.
struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;

    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

/// A width and a height; either may be negative.
struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;

    /// The zero size.
    constexpr CGSize() = default;
    /// Size from a width and a height.
    constexpr CGSize(CGFloat w, CGFloat h) : width(w), height(h) {}

    friend bool operator==(const CGSize&, const CGSize&) = default;
};

/// A rectangle: an origin and a size, which may be negative. The accessors standardize it.
struct CGRect {
    CGPoint origin;
    CGSize size;

    /// The zero rectangle.
    constexpr CGRect() = default;
    /// Rectangle from an origin and a size.
    constexpr CGRect(CGPoint o, CGSize s) : origin(o), size(s) {}
    /// Rectangle from x, y, width and height.
    constexpr CGRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) : origin{x, y}, size{w, h} {}

    /// Smaller x edge.
    CGFloat minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
    /// Smaller y edge.
    CGFloat minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
    /// Larger x edge.
    CGFloat maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
    /// Larger y edge.
    CGFloat maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }
    /// Centre in x.
    CGFloat midX() const { return minX() + width() * 0.5; }
    /// Centre in y.
    CGFloat midY() const { return minY() + height() * 0.5; }
    /// Width, never negative.
    CGFloat width() const { return std::fabs(size.width); }
    /// Height, never negative.
    CGFloat height() const { return std::fabs(size.height); }
    /// The same rectangle with a non-negative size.
    CGRect standardized() const { return {minX(), minY(), width(), height()}; }
    /// True when the width or the height is zero (or not a number).
    bool isEmpty() const { return !(width() > 0) || !(height() > 0); }

    friend bool operator==(const CGRect&, const CGRect&) = default;
};

/// Standardized rectangle shrunk by dx on the left and on the right and by dy at the top and at the
/// bottom (grown for negative insets).
inline CGRect CGRectInset(CGRect rect, CGFloat dx, CGFloat dy) {
    const CGRect r = rect.standardized();
    return {r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy};
}

} // namespace platform
