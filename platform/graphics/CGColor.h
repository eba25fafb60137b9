#pragma once
#include "graphics/CGGeometry.h"

namespace platform {

/// Stand-in for a Core Graphics colour: device RGB components and alpha, each 0 to 1, not premultiplied.
struct CGColor {
    CGFloat red = 0;
    CGFloat green = 0;
    CGFloat blue = 0;
    CGFloat alpha = 1;

    friend bool operator==(const CGColor&, const CGColor&) = default;
};

} // namespace platform
