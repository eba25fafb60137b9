#pragma once
/// Drawing support of the style kit: images drawn on demand by a callback, the current Core Graphics
/// context, and Core-Graphics-style extensions of the Bezier path.

#include "graphics/CGContext.h"
#include "graphics/CGPath.h"
#include "graphics/NSBezierPath.h"
#include "graphics/NSColor.h"
#include "graphics/NSImage.h"

#include <functional>
#include <memory>

namespace quorbel {

using platform::CGContextRef;
using platform::CGSize;
using platform::NSImage;

/// An image of `size` in the given convention whose content is drawn by `draw`, handed the current
/// Core Graphics context, each time the image is rendered; rendering without a current graphics context
/// or Core Graphics context reports failure and calls nothing. The image keeps `draw`. Allocates.
std::shared_ptr<NSImage> renderPlatformImage(CGSize size, bool flipped,
                                             std::function<void(CGContextRef)> draw);

/// An image of `size` whose content is drawn by `drawInContext` with the current-context drawing calls,
/// each time the image is rendered; without a current graphics context it reports failure and calls
/// nothing. The image keeps `drawInContext`. Allocates.
std::shared_ptr<NSImage> renderPlatformImage(CGSize size, bool flipped, std::function<void()> drawInContext);

/// The current graphics context's Core Graphics context, or null when there is none.
CGContextRef currentCGContext();

/// Appends a straight segment to `point` (the path's `line(to:)`). Allocates.
void addLine(platform::NSBezierPath& path, platform::CGPoint point);

/// Appends a cubic segment to `point` with controls `controlPoint1` and `controlPoint2`. Allocates.
void addCurve(platform::NSBezierPath& path, platform::CGPoint point, platform::CGPoint controlPoint1,
              platform::CGPoint controlPoint2);

/// Makes `color` the current context's fill colour; the path is not changed.
void setFill(const platform::NSBezierPath& path, const platform::NSColor& color);

/// Makes `color` the current context's stroke colour; the path is not changed.
void setStroke(const platform::NSBezierPath& path, const platform::NSColor& color);

/// True exactly when the path's winding rule is even-odd.
bool usesEvenOddFillRule(const platform::NSBezierPath& path);

/// Sets the even-odd rule (true) or the non-zero rule (false).
void setUsesEvenOddFillRule(platform::NSBezierPath& path, bool evenOdd);

/// A new Core Graphics path with the path's elements, element by element (identity transform); kinds
/// other than move, line, cubic, close and quadratic are skipped. Allocates.
platform::CGMutablePath cgPath(const platform::NSBezierPath& path);

} // namespace quorbel
