#pragma once
/// Turns artwork data into drawing: the group rectangle of a frame, the mapping of group fractions to
/// points, the nested rectangle of an oval, each shape's Bezier path, and the drawing routine that every
/// style-kit drawing runs.

#include "graphics/CGGeometry.h"
#include "graphics/NSBezierPath.h"
#include "stylekit/ArtworkData.h"

namespace quorbel {

using platform::CGPoint;
using platform::CGRect;

/// The group rectangle for `frame`: each edge at size x f + k, floored, then moved by 0.5 - k (left,
/// top) or sized by d (width, height), from the frame's standardized size and smaller edges. Width or
/// height may come out negative for frames under a point.
CGRect artworkGroupRect(const ArtworkGroup& group, CGRect frame);

/// The point of fractions `p` in the (standardized) group rectangle: (minX + width x fx, minY + height x fy).
CGPoint artworkPoint(CGRect group, ArtworkPoint p);

/// The nested rectangle of an oval with fractions f1 < f2 of the (standardized) group rectangle:
/// each edge at minX + floor(size x f + 0.5).
CGRect artworkOvalRect(CGRect group, CGFloat f1, CGFloat f2);

/// The Bezier path of `shape` in the group rectangle, with its winding rule and miter limit set where
/// the shape sets them (line width and colours are applied when drawing). Allocates.
platform::NSBezierPath artworkShapePath(const ArtworkShape& shape, CGRect group);

/// Draws `drawing` scaled into `frame` of the current graphics context: creates its colours, computes
/// the group rectangle, then for each shape in order builds its path, fills it with its fill colour
/// and, where it has one, strokes it. Saves and restores no graphics state: the last fill and stroke
/// colours stay current. Nothing without a current context. Allocates.
void drawArtwork(const ArtworkDrawing& drawing, CGRect frame);

} // namespace quorbel
