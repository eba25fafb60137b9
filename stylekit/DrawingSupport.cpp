#include "stylekit/DrawingSupport.h"

#include "graphics/NSGraphicsContext.h"

#include <array>

namespace quorbel {

using platform::CGAffineTransformIdentity;
using platform::CGPoint;
using platform::CGRect;
using platform::NSGraphicsContext;

std::shared_ptr<NSImage> renderPlatformImage(CGSize size, bool flipped,
                                             std::function<void(CGContextRef)> draw) {
    return NSImage::imageWithSize(size, flipped, [draw = std::move(draw)](CGRect) {
        NSGraphicsContext* context = NSGraphicsContext::current();
        if (context == nullptr) {
            return false;
        }
        CGContextRef cg = context->cgContext();
        if (cg == nullptr) {
            return false;
        }
        if (draw) {
            draw(cg);
        }
        return true;
    });
}

std::shared_ptr<NSImage> renderPlatformImage(CGSize size, bool flipped, std::function<void()> drawInContext) {
    return NSImage::imageWithSize(size, flipped, [drawInContext = std::move(drawInContext)](CGRect) {
        if (NSGraphicsContext::current() == nullptr) {
            return false;
        }
        if (drawInContext) {
            drawInContext();
        }
        return true;
    });
}

CGContextRef currentCGContext() {
    NSGraphicsContext* context = NSGraphicsContext::current();
    return context != nullptr ? context->cgContext() : nullptr;
}

void addLine(platform::NSBezierPath& path, CGPoint point) {
    path.line(point);
}

void addCurve(platform::NSBezierPath& path, CGPoint point, CGPoint controlPoint1, CGPoint controlPoint2) {
    path.curve(point, controlPoint1, controlPoint2);
}

void setFill(const platform::NSBezierPath&, const platform::NSColor& color) {
    color.setFill();
}

void setStroke(const platform::NSBezierPath&, const platform::NSColor& color) {
    color.setStroke();
}

bool usesEvenOddFillRule(const platform::NSBezierPath& path) {
    return path.windingRule() == platform::NSWindingRuleEvenOdd;
}

void setUsesEvenOddFillRule(platform::NSBezierPath& path, bool evenOdd) {
    path.setWindingRule(evenOdd ? platform::NSWindingRuleEvenOdd : platform::NSWindingRuleNonZero);
}

platform::CGMutablePath cgPath(const platform::NSBezierPath& path) {
    platform::CGMutablePath result;
    std::array<CGPoint, 3> points{};
    for (std::ptrdiff_t i = 0; i < path.elementCount(); ++i) {
        switch (static_cast<int>(path.element(i, points.data()))) {
        case platform::NSBezierPathElementMoveTo:
            result.move(points[0], CGAffineTransformIdentity);
            break;
        case platform::NSBezierPathElementLineTo:
            result.addLine(points[0], CGAffineTransformIdentity);
            break;
        case platform::NSBezierPathElementCubicCurveTo:
            result.addCurve(points[2], points[0], points[1], CGAffineTransformIdentity);
            break;
        case platform::NSBezierPathElementClosePath:
            platform::CGPathCloseSubpath(&result);
            break;
        case platform::NSBezierPathElementQuadraticCurveTo:
            result.addQuadCurve(points[1], points[0], CGAffineTransformIdentity);
            break;
        default:
            break;
        }
    }
    return result;
}

} // namespace quorbel
