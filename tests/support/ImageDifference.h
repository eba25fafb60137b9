#pragma once
#include "graphics/CGImage.h"

#include <algorithm>
#include <cstdlib>

namespace quorbel::test {

/// The largest difference of one colour channel (and of alpha too with `withAlpha`: black drawings differ in
/// alpha only) between two images; 256 when their sizes differ.
inline int maxChannelDifference(const platform::CGImage& a, const platform::CGImage& b,
                                bool withAlpha = false) {
    if (a.width() != b.width() || a.height() != b.height()) {
        return 256;
    }
    int worst = 0;
    for (std::size_t y = 0; y < a.height(); ++y) {
        for (std::size_t x = 0; x < a.width(); ++x) {
            const platform::CGImagePixel p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            worst = std::max({worst, std::abs(p.red - q.red), std::abs(p.green - q.green),
                              std::abs(p.blue - q.blue), withAlpha ? std::abs(p.alpha - q.alpha) : 0});
        }
    }
    return worst;
}

} // namespace quorbel::test
