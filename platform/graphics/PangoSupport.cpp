#include "graphics/PangoSupport.h"

#include <cmath>

namespace platform::pango_support {

PangoFontDescription* fontDescription(const NSFont& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, NSFont::systemFontFamilies());
    pango_font_description_set_weight(description, static_cast<PangoWeight>(font.cssWeight()));
    pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
    const double size = std::isfinite(font.pointSize()) && font.pointSize() > 0 ? font.pointSize() : 0.0;
    // Pango sizes are integers in 1/1024 units; keep them within its range.
    pango_font_description_set_absolute_size(description, std::fmin(size, 1.0e5) * PANGO_SCALE);
    return description;
}

PangoLayout* createLayout(cairo_t* cr) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoContext* context = pango_layout_get_context(layout);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_layout_context_changed(layout);
    return layout;
}

std::string resolvedFamily(const NSFont& font) {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoFontDescription* description = fontDescription(font);
    std::string family;
    if (PangoFont* loaded = pango_font_map_load_font(map, context, description)) {
        PangoFontDescription* actual = pango_font_describe(loaded);
        if (const char* name = pango_font_description_get_family(actual)) {
            family = name;
        }
        pango_font_description_free(actual);
        g_object_unref(loaded);
    }
    pango_font_description_free(description);
    g_object_unref(context);
    return family;
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
