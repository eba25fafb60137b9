#include "graphics/CGImage.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

int clampedPixels(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, 32767));
}

} // namespace

CGImage::CGImage(std::size_t pixelsWide, std::size_t pixelsHigh)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, clampedPixels(pixelsWide),
                                          clampedPixels(pixelsHigh))) {}

CGImage::CGImage(CairoSurfaceHandle surface) : surface_(std::move(surface)) {}

std::size_t CGImage::width() const {
    return static_cast<std::size_t>(std::max(0, cairo_image_surface_get_width(cairoSurface())));
}

std::size_t CGImage::height() const {
    return static_cast<std::size_t>(std::max(0, cairo_image_surface_get_height(cairoSurface())));
}

CGImagePixel CGImage::pixelAt(std::size_t x, std::size_t y) const {
    if (x >= width() || y >= height()) {
        return {};
    }
    cairo_surface_flush(cairoSurface());
    const unsigned char* data = cairo_image_surface_get_data(cairoSurface());
    if (data == nullptr) {
        return {};
    }
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(cairoSurface()));
    std::uint32_t argb = 0;
    std::copy_n(data + y * stride + x * 4, 4, reinterpret_cast<unsigned char*>(&argb));
    const auto a = static_cast<std::uint8_t>(argb >> 24);
    if (a == 0) {
        return {};
    }
    auto unpremultiply = [a](std::uint32_t c) {
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
    };
    return {unpremultiply((argb >> 16) & 0xFF), unpremultiply((argb >> 8) & 0xFF), unpremultiply(argb & 0xFF),
            a};
}

bool CGImage::writePNG(const std::string& path) const {
    if (width() == 0 || height() == 0) {
        // PNG has no empty images: write one transparent pixel in its place.
        CGImage one(1, 1);
        return cairo_surface_write_to_png(one.cairoSurface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
    }
    return cairo_surface_write_to_png(cairoSurface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace platform
