#pragma once
/// Internal to the graphics stand-in: font descriptions and layouts for Pango, and handles that own them.

#include "graphics/CairoHandles.h"
#include "graphics/NSFont.h"

#include <pango/pangocairo.h>

#include <memory>
#include <string>

namespace platform::pango_support {

/// A Pango font description, freed with its handle.
using FontDescriptionHandle =
    std::unique_ptr<PangoFontDescription, ReleaseWith<&pango_font_description_free>>;
/// A GLib object (a layout, a Pango context, a font): one reference, dropped with its handle.
template <typename T> using GObjectHandle = std::unique_ptr<T, ReleaseWith<&g_object_unref>>;
/// A text that GLib allocated, freed with its handle.
using GStringHandle = std::unique_ptr<gchar, ReleaseWith<&g_free>>;

/// A new font description for `font` (family list, weight, absolute size in user units).
FontDescriptionHandle fontDescription(const NSFont& font);

/// A new layout on `cr` with hinting off, so that text lays out the same at every scale.
GObjectHandle<PangoLayout> createLayout(cairo_t* cr);

/// The family fontconfig resolves `font` to.
std::string resolvedFamily(const NSFont& font);

} // namespace platform::pango_support
