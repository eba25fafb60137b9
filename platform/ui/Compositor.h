#pragma once
#include "graphics/CGGeometry.h"
#include "graphics/CGImage.h"

#include <cairo.h>

#include <memory>

namespace platform {

class CALayer;
class NSView;
class NSWindow;

/// The one place that draws views: walks a view tree and paints it with Cairo. For each visible view, in
/// its own coordinates: the backing layer (background colour over the bounds, contents stretched to the
/// bounds and upright on screen, then the sublayers in order, each placed by its bounds and position with
/// the 2-D part of its transform applied about the position), then the view's own content (drawRect,
/// with a current graphics context in the view's convention: buttons, image views and labels), then the
/// subviews in order. Both back ends draw through it, so they show the same pixels. Main thread.
class Compositor {
public:
    Compositor() = delete;

    /// Window background where the content draws nothing: the platform's light grey.
    static constexpr double windowBackgroundGrey = 0.925;

    /// Draws `view` and its subtree into `cr`, whose user space has one unit per point with the origin at
    /// the view's top-left corner as seen and y downward. Does not lay out. Allocates.
    static void drawView(NSView& view, cairo_t* cr);
    /// Lays `view` out where it needs it and renders it into a new bitmap of its bounds at
    /// `pixelDensity` pixels per point (transparent where nothing is drawn). Allocates.
    static std::shared_ptr<CGImage> renderView(NSView& view, CGFloat pixelDensity);

    /// Lays the window's content out, paints the window background and the content view into `cr`
    /// (device space: pixels from the top-left corner of the content area) at `pixelDensity`, and marks
    /// the window drawn (NSWindow::didDisplay). The back ends call this once per turn for a window that
    /// needs display. Allocates.
    static void drawWindow(NSWindow& window, cairo_t* cr, CGFloat pixelDensity);
    /// drawWindow into a new bitmap of the content size at `pixelDensity`. Allocates.
    static std::shared_ptr<CGImage> renderWindow(NSWindow& window, CGFloat pixelDensity);

    /// Draws `layer` (background, contents, sublayers) into `cr`, whose user space is the layer's
    /// superlayer space; `yDown` tells whether y grows downward on screen in that space. Allocates.
    static void drawLayer(const CALayer& layer, cairo_t* cr, bool yDown);
};

} // namespace platform
