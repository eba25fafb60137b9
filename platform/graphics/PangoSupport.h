#pragma once
/// Internal to the graphics stand-in: font descriptions and layouts for Pango.

#include "graphics/NSFont.h"

#include <pango/pangocairo.h>

#include <string>

namespace platform::pango_support {

/// A new font description for `font` (family list, weight, absolute size in user units); the caller
/// frees it with pango_font_description_free.
PangoFontDescription* fontDescription(const NSFont& font);

/// A new layout on `cr` with hinting off, so that text lays out the same at every scale; the caller
/// releases it with g_object_unref.
PangoLayout* createLayout(cairo_t* cr);

/// The family fontconfig resolves `font` to.
std::string resolvedFamily(const NSFont& font);

} // namespace platform::pango_support
