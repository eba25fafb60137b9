#include "graphics/NSImage.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Largest bitmap side the stand-in renders; larger requests are clipped to it.
constexpr CGFloat maxPixels = 32767;

std::size_t pixelCount(CGFloat points, CGFloat density) {
    const CGFloat n = std::ceil(points * density - 1e-9);
    if (!(n > 0)) {
        return 0; // negative, zero or not a number
    }
    return static_cast<std::size_t>(std::min(n, maxPixels));
}

bool usable(CGFloat v) {
    return std::isfinite(v) && v != 0;
}

} // namespace

std::shared_ptr<NSImage> NSImage::imageWithSize(CGSize size, bool flipped, DrawingHandler handler) {
    return std::make_shared<NSImage>(size, flipped, std::move(handler));
}

bool NSImage::runHandler(const std::shared_ptr<CGContext>& cg, CGRect destinationRect) const {
    cairo_t* cr = cg->cairo();
    if (!flipped_) {
        // Canvas with the origin at the bottom left and y upward.
        cairo_translate(cr, 0, std::fabs(size_.height));
        cairo_scale(cr, 1, -1);
    }
    if (!handler_) {
        return false;
    }
    NSGraphicsContext::CurrentScope scope(NSGraphicsContext::graphicsContextWithCGContext(cg, flipped_));
    return handler_(destinationRect);
}

void NSImage::drawInRect(CGRect rect) const {
    NSGraphicsContext* context = NSGraphicsContext::current();
    CGContext* target = context != nullptr ? context->cgContext() : nullptr;
    const CGRect r = rect.standardized();
    if (target == nullptr || r.isEmpty() || !std::isfinite(r.width()) || !std::isfinite(r.height()) ||
        !std::isfinite(r.origin.x) || !std::isfinite(r.origin.y) || !usable(size_.width) ||
        !usable(size_.height)) {
        return;
    }
    cairo_t* cr = target->cairo();
    const CairoStateScope saved(cr);
    // Map the image's top-left, y-down canvas onto the rectangle, upright in the target's convention.
    if (context->isFlipped()) {
        cairo_translate(cr, r.minX(), r.minY());
        cairo_scale(cr, r.width() / std::fabs(size_.width), r.height() / std::fabs(size_.height));
    } else {
        cairo_translate(cr, r.minX(), r.maxY());
        cairo_scale(cr, r.width() / std::fabs(size_.width), -r.height() / std::fabs(size_.height));
    }
    cairo_rectangle(cr, 0, 0, std::fabs(size_.width), std::fabs(size_.height));
    cairo_clip(cr);
    CairoGroupScope group(cr);
    const bool drew = runHandler(std::make_shared<CGContext>(cr), rect);
    const CairoPatternHandle drawing = group.pop();
    if (drew) {
        cairo_set_source(cr, drawing.get());
        cairo_paint(cr);
    }
}

std::shared_ptr<CGImage> NSImage::CGImageForProposedRect(const CGRect* proposedDestRect,
                                                         const NSGraphicsContext*,
                                                         const NSImageHints* hints) const {
    CGFloat density = defaultPixelDensity;
    if (hints != nullptr && hints->pixelDensity && std::isfinite(*hints->pixelDensity) &&
        *hints->pixelDensity > 0) {
        density = *hints->pixelDensity;
    }
    const CGRect dest = proposedDestRect != nullptr ? proposedDestRect->standardized()
                                                    : CGRect(0, 0, size_.width, size_.height).standardized();
    auto bitmap =
        std::make_shared<CGImage>(pixelCount(dest.width(), density), pixelCount(dest.height(), density));
    if (bitmap->width() == 0 || bitmap->height() == 0 || !usable(size_.width) || !usable(size_.height)) {
        return bitmap;
    }
    bool drew = false;
    {
        const CairoHandle cr(cairo_create(bitmap->cairoSurface()));
        cairo_scale(cr.get(), density * dest.width() / std::fabs(size_.width),
                    density * dest.height() / std::fabs(size_.height));
        drew = runHandler(std::make_shared<CGContext>(cr.get()), dest);
    }
    if (!drew) {
        // The handler reported failure: whatever it drew is discarded.
        const CairoHandle clear(cairo_create(bitmap->cairoSurface()));
        cairo_set_operator(clear.get(), CAIRO_OPERATOR_CLEAR);
        cairo_paint(clear.get());
    }
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

} // namespace platform
