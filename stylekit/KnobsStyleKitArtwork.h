#pragma once
/// The artwork data of every KnobsStyleKit drawing, by drawing.

#include "stylekit/ArtworkData.h"

#include <array>
#include <optional>
#include <string_view>

namespace quorbel {

/// The style kit's drawings, in the order of its operations.
enum class KnobsStyleKitDrawing : std::uint8_t {
    QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DRAWING_ENUMERATOR, QUORBEL_DRAWING_ENUMERATOR)
};

/// Number of drawings of the style kit.
inline constexpr std::size_t knobsStyleKitDrawingCount =
    0 QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DRAWING_ONE, QUORBEL_DRAWING_ONE);

/// Every drawing, in the kit's order.
inline constexpr std::array<KnobsStyleKitDrawing, knobsStyleKitDrawingCount> allKnobsStyleKitDrawings = [] {
    std::array<KnobsStyleKitDrawing, knobsStyleKitDrawingCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<KnobsStyleKitDrawing>(i);
    }
    return all;
}();

/// The drawing's name as in the kit's operations ("MixUnderlay", "NeoOverlay", ...).
std::string_view knobsStyleKitDrawingName(KnobsStyleKitDrawing which);

/// The drawing of a name, or nothing for an unknown name.
std::optional<KnobsStyleKitDrawing> knobsStyleKitDrawingNamed(std::string_view name);

/// The artwork of a drawing: colours, group constants and shapes (the lettered drawings take their
/// shapes from letteringShapes()). Built on first use, then shared and never changed.
const ArtworkDrawing& knobsStyleKitArtwork(KnobsStyleKitDrawing which);

} // namespace quorbel
