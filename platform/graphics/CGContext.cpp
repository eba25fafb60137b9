#include "graphics/CGContext.h"

#include <cmath>
#include <numbers>

namespace platform {

CGContext::CGContext(cairo_t* cr) : cr_(cairo_reference(cr)) {}

void CGContextSetFillColorWithColor(CGContextRef c, const CGColor& color) {
    if (c != nullptr) {
        c->setFillColor(color);
    }
}

void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColor& color) {
    if (c != nullptr) {
        c->setStrokeColor(color);
    }
}

namespace {

bool finiteRect(const CGRect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

void fillWithFillColor(CGContext& c) {
    const CGColor& f = c.fillColor();
    cairo_set_source_rgba(c.cairo(), f.red, f.green, f.blue, f.alpha);
    cairo_set_fill_rule(c.cairo(), CAIRO_FILL_RULE_WINDING);
    cairo_fill(c.cairo());
}

} // namespace

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect) {
    if (c == nullptr || !finiteRect(rect) || rect.isEmpty()) {
        return;
    }
    cairo_t* cr = c->cairo();
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, rect.midX(), rect.midY());
    cairo_scale(cr, rect.width() / 2, rect.height() / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_close_path(cr);
    cairo_restore(cr);
    fillWithFillColor(*c);
}

void CGContextFillRect(CGContextRef c, CGRect rect) {
    if (c == nullptr || !finiteRect(rect)) {
        return;
    }
    cairo_new_path(c->cairo());
    cairo_rectangle(c->cairo(), rect.minX(), rect.minY(), rect.width(), rect.height());
    fillWithFillColor(*c);
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
    if (c != nullptr && std::isfinite(tx) && std::isfinite(ty)) {
        cairo_translate(c->cairo(), tx, ty);
    }
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
    if (c != nullptr && std::isfinite(sx) && std::isfinite(sy) && sx != 0 && sy != 0) {
        cairo_scale(c->cairo(), sx, sy);
    }
}

std::shared_ptr<CGContext> CGBitmapContextCreate(std::size_t pixelsWide, std::size_t pixelsHigh) {
    CGImage bitmap(pixelsWide, pixelsHigh);
    const CairoHandle cr(cairo_create(bitmap.cairoSurface()));
    return std::make_shared<CGContext>(cr.get());
}

std::shared_ptr<CGImage> CGBitmapContextCreateImage(CGContextRef c) {
    if (c == nullptr) {
        return nullptr;
    }
    cairo_surface_t* target = cairo_get_target(c->cairo());
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) {
        return nullptr;
    }
    const int w = cairo_image_surface_get_width(target);
    const int h = cairo_image_surface_get_height(target);
    auto copy = std::make_shared<CGImage>(static_cast<std::size_t>(w), static_cast<std::size_t>(h));
    {
        const CairoHandle cr(cairo_create(copy->cairoSurface()));
        cairo_set_source_surface(cr.get(), target, 0, 0);
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr.get());
    }
    cairo_surface_flush(copy->cairoSurface());
    return copy;
}

} // namespace platform
