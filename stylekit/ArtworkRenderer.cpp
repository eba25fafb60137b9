#include "stylekit/ArtworkRenderer.h"

#include "graphics/NSColor.h"

#include <cmath>
#include <vector>

namespace quorbel {

using platform::NSBezierPath;
using platform::NSColor;

CGRect artworkGroupRect(const ArtworkGroup& g, CGRect frame) {
    const CGFloat w = frame.width();
    const CGFloat h = frame.height();
    // Each edge term is a product followed by a separate sum; nothing here may be contracted.
    const CGFloat left = std::floor(w * g.fL + g.kL);
    const CGFloat right = std::floor(w * g.fR + g.kR);
    const CGFloat top = std::floor(h * g.fT + g.kT);
    const CGFloat bottom = std::floor(h * g.fB + g.kB);
    return {frame.minX() + left + (0.5 - g.kL), frame.minY() + top + (0.5 - g.kT), right - left + g.dW,
            bottom - top + g.dH};
}

CGPoint artworkPoint(CGRect group, ArtworkPoint p) {
    return {group.minX() + group.width() * p.fx, group.minY() + group.height() * p.fy};
}

CGRect artworkOvalRect(CGRect group, CGFloat f1, CGFloat f2) {
    const CGFloat gw = group.width();
    const CGFloat gh = group.height();
    const CGFloat x1 = std::floor(gw * f1 + 0.5);
    const CGFloat x2 = std::floor(gw * f2 + 0.5);
    const CGFloat y1 = std::floor(gh * f1 + 0.5);
    const CGFloat y2 = std::floor(gh * f2 + 0.5);
    return {group.minX() + x1, group.minY() + y1, x2 - x1, y2 - y1};
}

NSBezierPath artworkShapePath(const ArtworkShape& shape, CGRect group) {
    if (shape.kind == ArtworkShapeKind::oval) {
        // The platform's oval keeps the default winding rule and miter limit.
        return NSBezierPath::bezierPathWithOvalInRect(artworkOvalRect(group, shape.ovalF1, shape.ovalF2));
    }
    NSBezierPath path;
    for (const ArtworkSubpath& subpath : shape.subpaths) {
        path.move(artworkPoint(group, subpath.start));
        for (const ArtworkSegment& segment : subpath.segments) {
            if (segment.kind == ArtworkSegmentKind::curve) {
                path.curve(artworkPoint(group, segment.to), artworkPoint(group, segment.control1),
                           artworkPoint(group, segment.control2));
            } else {
                path.line(artworkPoint(group, segment.to));
            }
        }
        path.close();
    }
    if (shape.miterLimit) {
        path.setMiterLimit(*shape.miterLimit);
    }
    if (shape.windingRule == ArtworkWindingRule::evenOdd) {
        path.setWindingRule(platform::NSWindingRuleEvenOdd);
    }
    return path;
}

void drawArtwork(const ArtworkDrawing& drawing, CGRect frame) {
    std::vector<NSColor> colours;
    colours.reserve(drawing.colours.size());
    for (const ArtworkColour& c : drawing.colours) {
        colours.emplace_back(c.red, c.green, c.blue, c.alpha);
    }
    if (!drawing.group) {
        return;
    }
    const CGRect group = artworkGroupRect(*drawing.group, frame);
    for (const ArtworkShape& shape : drawing.shapes) {
        NSBezierPath path = artworkShapePath(shape, group);
        if (shape.fillColour < colours.size()) {
            colours[shape.fillColour].setFill();
        }
        path.fill();
        if (shape.stroke) {
            if (shape.stroke->colour < colours.size()) {
                colours[shape.stroke->colour].setStroke();
            }
            path.setLineWidth(shape.stroke->lineWidth);
            path.stroke();
        }
    }
}

} // namespace quorbel
