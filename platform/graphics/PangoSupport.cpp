#include "graphics/PangoSupport.h"

#include <cmath>

namespace platform::pango_support {

FontDescriptionHandle fontDescription(const NSFont& font) {
    FontDescriptionHandle description(pango_font_description_new());
    pango_font_description_set_family(description.get(), NSFont::systemFontFamilies());
    pango_font_description_set_weight(description.get(), static_cast<PangoWeight>(font.cssWeight()));
    pango_font_description_set_style(description.get(), PANGO_STYLE_NORMAL);
    const double size = std::isfinite(font.pointSize()) && font.pointSize() > 0 ? font.pointSize() : 0.0;
    // Pango sizes are integers in 1/1024 units; keep them within its range.
    pango_font_description_set_absolute_size(description.get(), std::fmin(size, 1.0e5) * PANGO_SCALE);
    return description;
}

GObjectHandle<PangoLayout> createLayout(cairo_t* cr) {
    GObjectHandle<PangoLayout> layout(pango_cairo_create_layout(cr));
    PangoContext* context = pango_layout_get_context(layout.get());
    const CairoFontOptionsHandle options(cairo_font_options_create());
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options.get());
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_layout_context_changed(layout.get());
    return layout;
}

std::string resolvedFamily(const NSFont& font) {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    const GObjectHandle<PangoContext> context(pango_font_map_create_context(map));
    const FontDescriptionHandle description = fontDescription(font);
    const GObjectHandle<PangoFont> loaded(pango_font_map_load_font(map, context.get(), description.get()));
    if (!loaded) {
        return {};
    }
    const FontDescriptionHandle actual(pango_font_describe(loaded.get()));
    const char* name = pango_font_description_get_family(actual.get());
    return name != nullptr ? name : "";
}

} // namespace platform::pango_support

// Fontconfig, which Pango loads fonts through, keeps its configuration and font patterns for the life of
// the process and never frees them; the leak checker of sanitized builds would report them at exit in
// every program that draws text. Only allocations made inside fontconfig are exempted.
#if defined(__SANITIZE_ADDRESS__)
#define QUORBEL_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORBEL_LEAK_CHECKED 1
#endif
#endif
#if defined(QUORBEL_LEAK_CHECKED)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
