#pragma once
#include "graphics/CGGeometry.h"
#include "graphics/CGImage.h"
#include "graphics/NSGraphicsContext.h"

#include <functional>
#include <memory>
#include <optional>

namespace platform {

/// Rendering hints for NSImage::CGImageForProposedRect.
struct NSImageHints {
    /// Pixels per point of the bitmap; absent: NSImage::defaultPixelDensity.
    std::optional<CGFloat> pixelDensity;
};

/// Stand-in for the platform's image with a drawing handler: a size in points, a coordinate convention
/// (flipped: origin top left, y downward) and a handler that draws the content each time the image is
/// rendered. Nothing is drawn when the image is made. Rendering pushes a current graphics context for a
/// canvas of the image's size in its convention, calls the handler with the destination rectangle and
/// pops the context; when the handler returns false its drawing is discarded and the result is empty.
class NSImage {
public:
    /// The handler: receives the destination rectangle, returns true when it drew.
    using DrawingHandler = std::function<bool(CGRect destinationRect)>;

    /// Pixels per point of a bitmap rendered without a density.
    static constexpr CGFloat defaultPixelDensity = 2.0;

    /// An image of `size` that keeps `handler` for its lifetime (`NSImage(size:flipped:drawingHandler:)`).
    /// Calls nothing. Allocates.
    static std::shared_ptr<NSImage> imageWithSize(CGSize size, bool flipped, DrawingHandler handler);

    /// Size in points.
    CGSize size() const { return size_; }
    /// True when the image's canvas has its origin at the top left and y downward.
    bool isFlipped() const { return flipped_; }
    /// The drawing handler, as kept.
    const DrawingHandler& drawingHandler() const { return handler_; }

    /// Draws the image into `rect` of the current graphics context, scaled to fill it and upright in the
    /// context's convention; nothing without a current Core Graphics context or for an empty rectangle.
    /// Allocates.
    void drawInRect(CGRect rect) const;

    /// Renders the image into a new bitmap (`CGImageForProposedRect:context:hints:`): the canvas is the
    /// proposed rectangle's size (the image's size when null) times the hints' pixel density (2 by
    /// default), rounded up to whole pixels; the image is scaled into it. Transparent where nothing was
    /// drawn, and wholly so when the handler reports failure. The context is not used. Allocates.
    std::shared_ptr<CGImage> CGImageForProposedRect(const CGRect* proposedDestRect,
                                                    const NSGraphicsContext* context,
                                                    const NSImageHints* hints) const;

    /// As imageWithSize, for holders that manage the image themselves.
    NSImage(CGSize size, bool flipped, DrawingHandler handler)
        : size_(size), flipped_(flipped), handler_(std::move(handler)) {}

private:
    /// Runs the handler with `cg` current in the image's own coordinate space; `cg`'s transform must
    /// already map the image's canvas (origin top left, y down) to where the drawing goes.
    bool runHandler(const std::shared_ptr<CGContext>& cg, CGRect destinationRect) const;

    CGSize size_;
    bool flipped_;
    DrawingHandler handler_;
};

} // namespace platform
