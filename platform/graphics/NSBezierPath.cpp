#include "graphics/NSBezierPath.h"

#include "graphics/NSGraphicsContext.h"

#include <cmath>

namespace platform {

namespace {

// Distance of a cubic quarter arc's control points from its end points, as a fraction of the radius,
// for the common four-arc circle: 4/3 (sqrt 2 - 1).
constexpr CGFloat kappa = 0.5522847498307936;

bool finite(CGPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

NSBezierPath NSBezierPath::bezierPathWithOvalInRect(CGRect rect) {
    const CGRect r = rect.standardized();
    const CGFloat rx = r.width() / 2;
    const CGFloat ry = r.height() / 2;
    const CGFloat cx = r.midX();
    const CGFloat cy = r.midY();
    const CGFloat ox = rx * kappa;
    const CGFloat oy = ry * kappa;
    NSBezierPath path;
    path.move({cx + rx, cy});
    path.curve({cx, cy + ry}, {cx + rx, cy + oy}, {cx + ox, cy + ry});
    path.curve({cx - rx, cy}, {cx - ox, cy + ry}, {cx - rx, cy + oy});
    path.curve({cx, cy - ry}, {cx - rx, cy - oy}, {cx - ox, cy - ry});
    path.curve({cx + rx, cy}, {cx + ox, cy - ry}, {cx + rx, cy - oy});
    path.close();
    return path;
}

void NSBezierPath::move(CGPoint point) {
    elements_.push_back({NSBezierPathElementMoveTo, {point}});
}

void NSBezierPath::line(CGPoint point) {
    elements_.push_back({NSBezierPathElementLineTo, {point}});
}

void NSBezierPath::curve(CGPoint point, CGPoint controlPoint1, CGPoint controlPoint2) {
    elements_.push_back({NSBezierPathElementCubicCurveTo, {controlPoint1, controlPoint2, point}});
}

void NSBezierPath::curve(CGPoint point, CGPoint controlPoint) {
    elements_.push_back({NSBezierPathElementQuadraticCurveTo, {controlPoint, point}});
}

void NSBezierPath::close() {
    elements_.push_back({NSBezierPathElementClosePath, {}});
}

NSBezierPathElement NSBezierPath::element(std::ptrdiff_t index, CGPoint* points) const {
    if (index < 0 || index >= elementCount()) {
        return NSBezierPathElementClosePath;
    }
    const Element& e = elements_[static_cast<std::size_t>(index)];
    if (points != nullptr) {
        const int n = e.kind == NSBezierPathElementCubicCurveTo       ? 3
                      : e.kind == NSBezierPathElementQuadraticCurveTo ? 2
                      : e.kind == NSBezierPathElementClosePath        ? 0
                                                                      : 1;
        for (int i = 0; i < n; ++i) {
            points[i] = e.points[static_cast<std::size_t>(i)];
        }
    }
    return e.kind;
}

bool NSBezierPath::buildCairoPath(cairo_t* cr) const {
    for (const Element& e : elements_) {
        for (const CGPoint& p : e.points) {
            if (!finite(p)) {
                return false;
            }
        }
    }
    cairo_new_path(cr);
    CGPoint current{0, 0};
    CGPoint subpathStart{0, 0};
    for (const Element& e : elements_) {
        switch (e.kind) {
        case NSBezierPathElementMoveTo:
            cairo_move_to(cr, e.points[0].x, e.points[0].y);
            current = subpathStart = e.points[0];
            break;
        case NSBezierPathElementLineTo:
            cairo_line_to(cr, e.points[0].x, e.points[0].y);
            current = e.points[0];
            break;
        case NSBezierPathElementCubicCurveTo:
            cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x,
                           e.points[2].y);
            current = e.points[2];
            break;
        case NSBezierPathElementQuadraticCurveTo: {
            // The cubic with the same curve: controls two thirds of the way from each end to the control.
            const CGPoint c = e.points[0];
            const CGPoint end = e.points[1];
            cairo_curve_to(cr, current.x + 2.0 / 3.0 * (c.x - current.x),
                           current.y + 2.0 / 3.0 * (c.y - current.y), end.x + 2.0 / 3.0 * (c.x - end.x),
                           end.y + 2.0 / 3.0 * (c.y - end.y), end.x, end.y);
            current = end;
            break;
        }
        case NSBezierPathElementClosePath:
            cairo_close_path(cr);
            current = subpathStart;
            break;
        }
    }
    return true;
}

void NSBezierPath::fill() const {
    NSGraphicsContext* context = NSGraphicsContext::current();
    CGContext* cg = context != nullptr ? context->cgContext() : nullptr;
    if (cg == nullptr) {
        return;
    }
    cairo_t* cr = cg->cairo();
    cairo_save(cr);
    if (buildCairoPath(cr)) {
        const CGColor& f = cg->fillColor();
        cairo_set_source_rgba(cr, f.red, f.green, f.blue, f.alpha);
        cairo_set_fill_rule(cr, windingRule_ == NSWindingRuleEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                     : CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
    }
    cairo_new_path(cr);
    cairo_restore(cr);
}

void NSBezierPath::stroke() const {
    NSGraphicsContext* context = NSGraphicsContext::current();
    CGContext* cg = context != nullptr ? context->cgContext() : nullptr;
    if (cg == nullptr || !std::isfinite(lineWidth_) || !std::isfinite(miterLimit_)) {
        return;
    }
    cairo_t* cr = cg->cairo();
    cairo_save(cr);
    if (buildCairoPath(cr)) {
        const CGColor& s = cg->strokeColor();
        cairo_set_source_rgba(cr, s.red, s.green, s.blue, s.alpha);
        cairo_set_line_width(cr, lineWidth_ < 0 ? 0 : lineWidth_);
        cairo_set_miter_limit(cr, miterLimit_);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    cairo_restore(cr);
}

} // namespace platform
