#include "ui/Compositor.h"

#include "graphics/CGContext.h"
#include "graphics/CairoHandles.h"
#include "graphics/NSGraphicsContext.h"
#include "ui/CALayer.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool finite(const CGRect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

std::size_t pixels(CGFloat points, CGFloat density) {
    const CGFloat n = std::ceil(points * density - 1e-9);
    if (!(n > 0)) {
        return 0;
    }
    return static_cast<std::size_t>(std::min<CGFloat>(n, 32767));
}

void fillRect(cairo_t* cr, const CGRect& rect, const CGColor& color) {
    const CGRect r = rect.standardized();
    if (!finite(r) || r.isEmpty()) {
        return;
    }
    cairo_rectangle(cr, r.minX(), r.minY(), r.width(), r.height());
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
    cairo_fill(cr);
}

/// Paints `image` stretched over `rect`, its first row at the top as seen on screen.
void drawImageUpright(cairo_t* cr, const CGImage& image, const CGRect& rect, bool yDown) {
    const CGRect r = rect.standardized();
    if (!finite(r) || r.isEmpty() || image.width() == 0 || image.height() == 0) {
        return;
    }
    const double iw = static_cast<double>(image.width());
    const double ih = static_cast<double>(image.height());
    cairo_save(cr);
    cairo_translate(cr, r.minX(), yDown ? r.minY() : r.maxY());
    cairo_scale(cr, r.width() / iw, (yDown ? 1 : -1) * r.height() / ih);
    cairo_set_source_surface(cr, image.cairoSurface(), 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cr);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (m.xy == 0 && m.yx == 0) {
        // Upright: the bitmap's edge pixels reach the rectangle's edges.
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        cairo_rectangle(cr, 0, 0, iw, ih);
        cairo_fill(cr);
    } else {
        // Turned (a rotating knob cap): painting the unextended bitmap spares the coverage mask that filling
        // a turned rectangle makes, at several times the cost; the edges fade over half a pixel instead.
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
        cairo_paint(cr);
    }
    cairo_restore(cr);
}

/// Background, contents and sublayers of a layer, in its own space over `bounds`.
void drawLayerBody(const CALayer& layer, cairo_t* cr, const CGRect& bounds, bool yDown) {
    if (layer.backgroundColor()) {
        fillRect(cr, bounds, *layer.backgroundColor());
    }
    if (layer.contents()) {
        drawImageUpright(cr, *layer.contents(), bounds, yDown);
    }
    for (const auto& sublayer : layer.sublayers()) {
        Compositor::drawLayer(*sublayer, cr, yDown);
    }
}

void drawTree(NSView& view, cairo_t* cr) {
    if (view.isHidden()) {
        return;
    }
    const bool yDown = view.isFlipped();
    if (view.wantsLayer() && view.layer() != nullptr) {
        drawLayerBody(*view.layer(), cr, view.bounds(), yDown);
    }
    {
        cairo_save(cr);
        auto cg = std::make_shared<CGContext>(cr);
        NSGraphicsContext::CurrentScope scope(NSGraphicsContext::graphicsContextWithCGContext(cg, yDown));
        view.drawRect(view.bounds());
        cairo_restore(cr);
    }
    // A copy: drawing must not be disturbed by a handler that changes the tree.
    const std::vector<std::shared_ptr<NSView>> children = view.subviews();
    for (const auto& child : children) {
        const CGRect f = child->frame().standardized();
        if (!finite(f)) {
            continue;
        }
        const bool same = child->isFlipped() == yDown;
        cairo_save(cr);
        cairo_translate(cr, f.minX(), same ? f.minY() : f.maxY());
        if (!same) {
            cairo_scale(cr, 1, -1);
        }
        drawTree(*child, cr);
        cairo_restore(cr);
    }
}

} // namespace

void Compositor::drawLayer(const CALayer& layer, cairo_t* cr, bool yDown) {
    const CGRect b = layer.bounds().standardized();
    const CGPoint p = layer.position();
    const CGAffineTransform t = CATransform3DGetAffineTransform(layer.transform());
    const double determinant = t.a * t.d - t.b * t.c;
    // A layer whose geometry cannot be drawn (not finite, or a transform that collapses it) shows nothing.
    if (!finite(b) || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(determinant) ||
        determinant == 0 || !std::isfinite(t.tx) || !std::isfinite(t.ty)) {
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, p.x, p.y);
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cr, &m);
    // The anchor is the centre of the bounds.
    cairo_translate(cr, -b.minX() - b.width() * 0.5, -b.minY() - b.height() * 0.5);
    drawLayerBody(layer, cr, b, yDown);
    cairo_restore(cr);
}

void Compositor::drawView(NSView& view, cairo_t* cr) {
    cairo_save(cr);
    if (!view.isFlipped()) {
        cairo_translate(cr, 0, view.bounds().height());
        cairo_scale(cr, 1, -1);
    }
    drawTree(view, cr);
    cairo_restore(cr);
}

std::shared_ptr<CGImage> Compositor::renderView(NSView& view, CGFloat pixelDensity) {
    if (!(pixelDensity > 0) || !std::isfinite(pixelDensity)) {
        pixelDensity = 1;
    }
    view.layoutSubtreeIfNeeded();
    const CGRect b = view.bounds();
    auto image = std::make_shared<CGImage>(pixels(b.width(), pixelDensity), pixels(b.height(), pixelDensity));
    if (image->width() == 0 || image->height() == 0) {
        return image;
    }
    {
        const CairoHandle cr(cairo_create(image->cairoSurface()));
        cairo_scale(cr.get(), pixelDensity, pixelDensity);
        drawView(view, cr.get());
    }
    cairo_surface_flush(image->cairoSurface());
    return image;
}

void Compositor::drawWindow(NSWindow& window, cairo_t* cr, CGFloat pixelDensity) {
    if (!(pixelDensity > 0) || !std::isfinite(pixelDensity)) {
        pixelDensity = 1;
    }
    window.layoutIfNeeded();
    const CGSize size = window.contentSize();
    {
        const CairoStateScope state(cr);
        cairo_scale(cr, pixelDensity, pixelDensity);
        cairo_rectangle(cr, 0, 0, size.width, size.height);
        cairo_set_source_rgb(cr, windowBackgroundGrey, windowBackgroundGrey, windowBackgroundGrey);
        cairo_fill(cr);
        if (window.contentView()) {
            drawView(*window.contentView(), cr);
        }
    }
    window.didDisplay();
}

std::shared_ptr<CGImage> Compositor::renderWindow(NSWindow& window, CGFloat pixelDensity) {
    if (!(pixelDensity > 0) || !std::isfinite(pixelDensity)) {
        pixelDensity = 1;
    }
    const CGSize size = window.contentSize();
    auto image =
        std::make_shared<CGImage>(pixels(size.width, pixelDensity), pixels(size.height, pixelDensity));
    {
        const CairoHandle cr(cairo_create(image->cairoSurface()));
        drawWindow(window, cr.get(), pixelDensity);
    }
    cairo_surface_flush(image->cairoSurface());
    return image;
}

} // namespace platform
