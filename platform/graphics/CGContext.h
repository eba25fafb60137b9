#pragma once
#include "graphics/CGColor.h"
#include "graphics/CGGeometry.h"
#include "graphics/CGImage.h"
#include "graphics/CairoHandles.h"

#include <cairo.h>

#include <cstddef>
#include <memory>

namespace platform {

/// Stand-in for a Core Graphics context, drawing through a cairo context. It keeps the fill and stroke
/// colours of its graphics state (cairo has one source only) and applies them when a path is filled or
/// stroked. User space is cairo's: y grows downward unless the owner has set another transform.
class CGContext {
public:
    /// Draws into `cr` (takes a reference to it). Fill and stroke colours start opaque black.
    explicit CGContext(cairo_t* cr);
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    /// The cairo context drawn into.
    cairo_t* cairo() const { return cr_.get(); }
    /// The current fill colour.
    const CGColor& fillColor() const { return fill_; }
    /// The current stroke colour.
    const CGColor& strokeColor() const { return stroke_; }
    /// Makes `color` the fill colour.
    void setFillColor(const CGColor& color) { fill_ = color; }
    /// Makes `color` the stroke colour.
    void setStrokeColor(const CGColor& color) { stroke_ = color; }

private:
    CairoHandle cr_;
    CGColor fill_{0, 0, 0, 1};
    CGColor stroke_{0, 0, 0, 1};
};

/// Reference to a context, as the platform passes it; null for none.
using CGContextRef = CGContext*;

/// Makes `color` the context's fill colour (null context: nothing).
void CGContextSetFillColorWithColor(CGContextRef c, const CGColor& color);
/// Makes `color` the context's stroke colour (null context: nothing).
void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColor& color);
/// Fills the ellipse inscribed in the (standardized) rectangle with the fill colour; an empty or
/// non-finite rectangle fills nothing.
void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
/// Fills the (standardized) rectangle with the fill colour.
void CGContextFillRect(CGContextRef c, CGRect rect);
/// Moves the user-space origin by (tx, ty).
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
/// Scales user space; a zero or non-finite factor is ignored (it would make the context unusable).
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);

/// A context drawing into a new transparent bitmap of the given size in pixels, one unit per pixel,
/// origin at the top left, y downward. Allocates.
std::shared_ptr<CGContext> CGBitmapContextCreate(std::size_t pixelsWide, std::size_t pixelsHigh);
/// A copy of the pixels of a context made by CGBitmapContextCreate; null for any other context.
/// Allocates.
std::shared_ptr<CGImage> CGBitmapContextCreateImage(CGContextRef c);

} // namespace platform
