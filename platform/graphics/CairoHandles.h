#pragma once
/// Owning handles for cairo objects, so that drawing code that throws part-way releases what it made
/// and leaves the contexts it drew into as it found them.

#include <cairo.h>

#include <memory>

namespace platform {

/// The deleter of a handle: releases the object it owns with `Release`.
template <auto Release> struct ReleaseWith {
    template <typename T> void operator()(T* object) const noexcept { Release(object); }
};

/// A cairo context, destroyed with its handle.
using CairoHandle = std::unique_ptr<cairo_t, ReleaseWith<&cairo_destroy>>;
/// A cairo surface (one reference), released with its handle.
using CairoSurfaceHandle = std::unique_ptr<cairo_surface_t, ReleaseWith<&cairo_surface_destroy>>;
/// A cairo pattern (one reference), released with its handle.
using CairoPatternHandle = std::unique_ptr<cairo_pattern_t, ReleaseWith<&cairo_pattern_destroy>>;
/// A set of cairo font options, destroyed with its handle.
using CairoFontOptionsHandle =
    std::unique_ptr<cairo_font_options_t, ReleaseWith<&cairo_font_options_destroy>>;

/// Saves a cairo context's graphics state (cairo_save) and restores it when the scope ends.
class CairoStateScope {
public:
    explicit CairoStateScope(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
    ~CairoStateScope() { cairo_restore(cr_); }
    CairoStateScope(const CairoStateScope&) = delete;
    CairoStateScope& operator=(const CairoStateScope&) = delete;

private:
    cairo_t* cr_;
};

/// Redirects a cairo context's drawing into a group (cairo_push_group) until pop(); a group never
/// popped is popped and dropped when the scope ends.
class CairoGroupScope {
public:
    explicit CairoGroupScope(cairo_t* cr) : cr_(cr) { cairo_push_group(cr_); }
    ~CairoGroupScope() { pop(); }
    CairoGroupScope(const CairoGroupScope&) = delete;
    CairoGroupScope& operator=(const CairoGroupScope&) = delete;

    /// Ends the redirection and returns what was drawn into the group (null when already popped).
    CairoPatternHandle pop() {
        cairo_t* cr = cr_;
        cr_ = nullptr;
        return CairoPatternHandle(cr != nullptr ? cairo_pop_group(cr) : nullptr);
    }

private:
    cairo_t* cr_;
};

} // namespace platform
