#pragma once
// Helpers shared by the graphics tests: a bitmap with a current graphics context, and pixel checks.

#include "graphics/CGContext.h"
#include "graphics/CGImage.h"
#include "graphics/NSGraphicsContext.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace graphics_test {

/// A transparent bitmap of w x h pixels that is the current graphics context while the object lives;
/// flipped: y down from the top (cairo's own space); not flipped: y up from the bottom.
class CurrentBitmap {
public:
    CurrentBitmap(std::size_t w, std::size_t h, bool flipped = true)
        : cg_(platform::CGBitmapContextCreate(w, h)) {
        if (!flipped) {
            platform::CGContextTranslateCTM(cg_.get(), 0, static_cast<double>(h));
            platform::CGContextScaleCTM(cg_.get(), 1, -1);
        }
        platform::NSGraphicsContext::pushCurrent(
            platform::NSGraphicsContext::graphicsContextWithCGContext(cg_, flipped));
    }
    ~CurrentBitmap() { platform::NSGraphicsContext::popCurrent(); }
    CurrentBitmap(const CurrentBitmap&) = delete;
    CurrentBitmap& operator=(const CurrentBitmap&) = delete;

    platform::CGContext* context() const { return cg_.get(); }
    std::shared_ptr<platform::CGImage> image() const {
        return platform::CGBitmapContextCreateImage(cg_.get());
    }

private:
    std::shared_ptr<platform::CGContext> cg_;
};

inline bool near(const platform::CGImagePixel& p, int r, int g, int b, int a, int tolerance = 3) {
    return std::abs(p.red - r) <= tolerance && std::abs(p.green - g) <= tolerance &&
           std::abs(p.blue - b) <= tolerance && std::abs(p.alpha - a) <= tolerance;
}

/// Extent (in pixels) and count of the pixels of `image` for which `ink(pixel)` holds.
struct Ink {
    double minX = 1e9, maxX = -1, minY = 1e9, maxY = -1;
    int count = 0;
};

template <typename Predicate> Ink inkWhere(const platform::CGImage& image, Predicate ink) {
    Ink extent;
    for (std::size_t y = 0; y < image.height(); ++y) {
        for (std::size_t x = 0; x < image.width(); ++x) {
            if (ink(image.pixelAt(x, y))) {
                extent.minX = std::min(extent.minX, double(x));
                extent.maxX = std::max(extent.maxX, double(x));
                extent.minY = std::min(extent.minY, double(y));
                extent.maxY = std::max(extent.maxY, double(y));
                ++extent.count;
            }
        }
    }
    return extent;
}

} // namespace graphics_test
