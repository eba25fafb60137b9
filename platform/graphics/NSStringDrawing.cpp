#include "graphics/NSStringDrawing.h"

#include "graphics/NSGraphicsContext.h"
#include "graphics/PangoSupport.h"

#include <cmath>

namespace platform {

namespace {

NSFont fontOf(const NSStringAttributes& attributes) {
    return attributes.font ? *attributes.font : NSFont::systemFontOfSize(12);
}

void setText(PangoLayout* layout, std::string_view string, const NSStringAttributes& attributes) {
    pango_layout_set_font_description(layout, pango_support::fontDescription(fontOf(attributes)).get());
    // Invalid UTF-8 is drawn with replacement characters rather than rejected.
    const pango_support::GStringHandle valid(
        g_utf8_make_valid(string.data(), static_cast<gssize>(string.size())));
    pango_layout_set_text(layout, valid.get(), -1);
}

PangoAlignment pangoAlignment(NSTextAlignment alignment) {
    switch (alignment) {
    case NSTextAlignmentRight:
        return PANGO_ALIGN_RIGHT;
    case NSTextAlignmentCenter:
        return PANGO_ALIGN_CENTER;
    default:
        return PANGO_ALIGN_LEFT;
    }
}

} // namespace

void NSStringDrawInRect(std::string_view string, CGRect rect, const NSStringAttributes& attributes) {
    NSGraphicsContext* context = NSGraphicsContext::current();
    CGContext* cg = context != nullptr ? context->cgContext() : nullptr;
    const CGRect r = rect.standardized();
    if (cg == nullptr || string.empty() || string.size() > 1'000'000 || r.isEmpty() ||
        !std::isfinite(r.origin.x) || !std::isfinite(r.origin.y) || !std::isfinite(r.width()) ||
        !std::isfinite(r.height())) {
        return;
    }
    cairo_t* cr = cg->cairo();
    const CairoStateScope saved(cr);
    // A local space with its origin at the rectangle's top left as seen and y downward.
    if (context->isFlipped()) {
        cairo_translate(cr, r.minX(), r.minY());
    } else {
        cairo_translate(cr, r.minX(), r.maxY());
        cairo_scale(cr, 1, -1);
    }
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, r.width(), r.height());
    cairo_clip(cr);

    const auto layout = pango_support::createLayout(cr);
    setText(layout.get(), string, attributes);
    pango_layout_set_width(layout.get(), static_cast<int>(std::fmin(r.width(), 1.0e5) * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    const NSTextAlignment alignment =
        attributes.paragraphStyle ? attributes.paragraphStyle->alignment() : NSTextAlignmentNatural;
    pango_layout_set_alignment(layout.get(), pangoAlignment(alignment));
    pango_layout_set_justify(layout.get(), alignment == NSTextAlignmentJustified);

    const NSColor color = attributes.foregroundColor ? *attributes.foregroundColor : NSColor::blackColor();
    cairo_set_source_rgba(cr, color.redComponent(), color.greenComponent(), color.blueComponent(),
                          color.alphaComponent());
    cairo_move_to(cr, 0, 0);
    pango_cairo_show_layout(cr, layout.get());
    cairo_new_path(cr);
}

CGSize NSStringSizeWithAttributes(std::string_view string, const NSStringAttributes& attributes) {
    if (string.empty() || string.size() > 1'000'000) {
        return {0, 0};
    }
    const CairoSurfaceHandle surface(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    const CairoHandle cr(cairo_create(surface.get()));
    const auto layout = pango_support::createLayout(cr.get());
    setText(layout.get(), string, attributes);
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return {static_cast<CGFloat>(logical.width) / PANGO_SCALE,
            static_cast<CGFloat>(logical.height) / PANGO_SCALE};
}

} // namespace platform
