#pragma once
#include "graphics/CairoHandles.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

/// One pixel of a bitmap, 8-bit components, not premultiplied.
struct CGImagePixel {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
};

/// Stand-in for a Core Graphics bitmap image: premultiplied 32-bit ARGB pixels held in a cairo image
/// surface, rows top to bottom. Immutable once made by the stand-in.
class CGImage {
public:
    /// A fully transparent bitmap of the given size in pixels (each clamped to 0 to 32767). Allocates.
    CGImage(std::size_t pixelsWide, std::size_t pixelsHigh);
    /// Takes over an image surface. Allocates nothing.
    explicit CGImage(CairoSurfaceHandle surface);
    CGImage(const CGImage&) = delete;
    CGImage& operator=(const CGImage&) = delete;

    /// Width in pixels.
    std::size_t width() const;
    /// Height in pixels.
    std::size_t height() const;
    /// The pixel at column x, row y (row 0 at the top), unpremultiplied; transparent outside the bitmap.
    CGImagePixel pixelAt(std::size_t x, std::size_t y) const;
    /// Writes the bitmap as a PNG file (an empty bitmap as one transparent pixel, PNG having no empty
    /// images); false when it cannot be written. Blocking I/O.
    bool writePNG(const std::string& path) const;
    /// The cairo image surface holding the pixels, for painting the bitmap elsewhere.
    cairo_surface_t* cairoSurface() const { return surface_.get(); }

private:
    CairoSurfaceHandle surface_;
};

} // namespace platform
