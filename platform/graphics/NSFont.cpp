#include "graphics/NSFont.h"

#include "graphics/PangoSupport.h"

#include <array>
#include <cmath>
#include <utility>

namespace platform {

int NSFont::cssWeight() const {
    // The platform's named weights against the OpenType classes; the nearest one wins.
    static constexpr std::array<std::pair<NSFontWeight, int>, 9> table{{{NSFontWeightUltraLight, 100},
                                                                        {NSFontWeightThin, 200},
                                                                        {NSFontWeightLight, 300},
                                                                        {NSFontWeightRegular, 400},
                                                                        {NSFontWeightMedium, 500},
                                                                        {NSFontWeightSemibold, 600},
                                                                        {NSFontWeightBold, 700},
                                                                        {NSFontWeightHeavy, 800},
                                                                        {NSFontWeightBlack, 900}}};
    int best = 400;
    CGFloat bestDistance = INFINITY;
    for (const auto& [w, css] : table) {
        const CGFloat distance = std::fabs(weight_ - w);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = css;
        }
    }
    return best;
}

const char* NSFont::systemFontFamilies() {
    return "Inter,Noto Sans,DejaVu Sans,sans-serif";
}

std::string NSFont::resolvedFamily() const {
    return pango_support::resolvedFamily(*this);
}

} // namespace platform
