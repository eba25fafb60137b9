#pragma once
/// Artwork statistics as render-artwork prints them: the group rectangle for a frame and one line per
/// shape (kind, subpath, line and curve counts, extents of all points, winding rule, miter limit, fill
/// and stroke).

#include "graphics/CGGeometry.h"
#include "stylekit/ArtworkData.h"

#include <string>

namespace quorbel {

/// A number with at most 5 decimals, trailing zeros and a bare sign of zero dropped ("28.7", "0", "-0.68").
std::string formatStatNumber(CGFloat value);

/// The statistics of `drawing` drawn into `frame`, one line each, every line ending in a newline:
///   group x=X y=Y w=W h=H            (or "group none" for a drawing without group constants)
///   shape N kind=path|oval subpaths=S lines=L curves=C fx=MIN,MAX fy=MIN,MAX rule=nonzero|evenodd
///           miter=M|unset fill=R,G,B,A stroke=none|R,G,B,A@WIDTH
/// Extents cover every point of the shape, control points included; for an oval they are its two
/// fractions. Allocates.
std::string artworkStats(const ArtworkDrawing& drawing, platform::CGRect frame);

} // namespace quorbel
