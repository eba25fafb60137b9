#pragma once
// Helpers shared by the style-kit tests: a current bitmap context, rendering an image at a density,
// and colour checks.

#include "graphics/NSImage.h"
#include "support/GraphicsTestSupport.h"

#include <cstdlib>
#include <memory>

namespace stylekit_test {

/// A flipped, transparent bitmap that is the current graphics context while it lives.
using graphics_test::CurrentBitmap;

/// The image rendered at `density` pixels per point.
inline std::shared_ptr<platform::CGImage> render(const platform::NSImage& image, double density) {
    const platform::NSImageHints hints{density};
    return image.CGImageForProposedRect(nullptr, nullptr, &hints);
}

/// True when the pixel is opaque and within `tolerance` of the colour's 8-bit components.
inline bool opaque(const platform::CGImagePixel& p, double r, double g, double b, int tolerance = 2) {
    auto c = [](double v) { return static_cast<int>(v * 255 + 0.5); };
    return p.alpha == 255 && std::abs(p.red - c(r)) <= tolerance && std::abs(p.green - c(g)) <= tolerance &&
           std::abs(p.blue - c(b)) <= tolerance;
}

/// True when two bitmaps have the same size and pixels.
inline bool samePixels(const platform::CGImage& a, const platform::CGImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) {
        return false;
    }
    for (std::size_t y = 0; y < a.height(); ++y) {
        for (std::size_t x = 0; x < a.width(); ++x) {
            const auto p = a.pixelAt(x, y);
            const auto q = b.pixelAt(x, y);
            if (p.red != q.red || p.green != q.green || p.blue != q.blue || p.alpha != q.alpha) {
                return false;
            }
        }
    }
    return true;
}

} // namespace stylekit_test
