#pragma once
#include "graphics/CGGeometry.h"

#include <string>

namespace platform {

/// Weight of a font on the platform's scale (-1 to 1, regular 0).
using NSFontWeight = CGFloat;
inline constexpr NSFontWeight NSFontWeightUltraLight = -0.8;
inline constexpr NSFontWeight NSFontWeightThin = -0.6;
inline constexpr NSFontWeight NSFontWeightLight = -0.4;
inline constexpr NSFontWeight NSFontWeightRegular = 0.0;
inline constexpr NSFontWeight NSFontWeightMedium = 0.23;
inline constexpr NSFontWeight NSFontWeightSemibold = 0.3;
inline constexpr NSFontWeight NSFontWeightBold = 0.4;
inline constexpr NSFontWeight NSFontWeightHeavy = 0.56;
inline constexpr NSFontWeight NSFontWeightBlack = 0.62;

/// Stand-in for the platform's font: the system sans-serif at a size in points and a weight. The
/// system font is Inter where it is installed (it has a true medium weight) and otherwise what
/// fontconfig picks for the other families of systemFontFamilies().
class NSFont {
public:
    /// The system font of `size` points and `weight` (`systemFontOfSize:weight:`).
    static NSFont systemFontOfSize(CGFloat size, NSFontWeight weight = NSFontWeightRegular) {
        return NSFont(size, weight);
    }

    /// Size in points.
    CGFloat pointSize() const { return size_; }
    /// The weight on the CSS/OpenType scale (100 to 900) that text layout asks fontconfig for.
    int cssWeight() const;
    /// The comma-separated family list asked of fontconfig, first choice first.
    static const char* systemFontFamilies();
    /// The family that fontconfig actually resolves this font to (for diagnostics). Allocates.
    std::string resolvedFamily() const;

private:
    NSFont(CGFloat size, NSFontWeight weight) : size_(size), weight_(weight) {}

    CGFloat size_;
    NSFontWeight weight_;
};

} // namespace platform
