#pragma once
/// The artwork data of every KnobsStyleKit drawing, by drawing.

#include "stylekit/ArtworkData.h"

#include <array>
#include <optional>
#include <string_view>

namespace quorbel {

/// The style kit's drawings, in the order of its operations.
enum class KnobsStyleKitDrawing : std::uint8_t {
    MixUnderlay,
    NeoOverlay,
    FeedUnderlay,
    ToneUnderlay,
    OrbitUnderlay,
    DoubtUnderlay,
    VexityUnderlay,
    RadioOff,
    RadioOn,
    BP,
    HP,
    LP,
    Mute,
    Fail,
    Bypass,
    MasterUnderlay,
    QuorFooter,
    NeoUnderlay,
};

/// Number of drawings of the style kit.
inline constexpr std::size_t knobsStyleKitDrawingCount = 18;

/// Every drawing, in the kit's order.
inline constexpr std::array<KnobsStyleKitDrawing, knobsStyleKitDrawingCount> allKnobsStyleKitDrawings{
    KnobsStyleKitDrawing::MixUnderlay,
    KnobsStyleKitDrawing::NeoOverlay,
    KnobsStyleKitDrawing::FeedUnderlay,
    KnobsStyleKitDrawing::ToneUnderlay,
    KnobsStyleKitDrawing::OrbitUnderlay,
    KnobsStyleKitDrawing::DoubtUnderlay,
    KnobsStyleKitDrawing::VexityUnderlay,
    KnobsStyleKitDrawing::RadioOff,
    KnobsStyleKitDrawing::RadioOn,
    KnobsStyleKitDrawing::BP,
    KnobsStyleKitDrawing::HP,
    KnobsStyleKitDrawing::LP,
    KnobsStyleKitDrawing::Mute,
    KnobsStyleKitDrawing::Fail,
    KnobsStyleKitDrawing::Bypass,
    KnobsStyleKitDrawing::MasterUnderlay,
    KnobsStyleKitDrawing::QuorFooter,
    KnobsStyleKitDrawing::NeoUnderlay,
};

/// The drawing's name as in the kit's operations ("MixUnderlay", "NeoOverlay", ...).
std::string_view knobsStyleKitDrawingName(KnobsStyleKitDrawing which);

/// The drawing of a name, or nothing for an unknown name.
std::optional<KnobsStyleKitDrawing> knobsStyleKitDrawingNamed(std::string_view name);

/// The artwork of a drawing: colours, group constants and shapes (the lettered drawings take their
/// shapes from letteringShapes()). Built on first use, then shared and never changed.
const ArtworkDrawing& knobsStyleKitArtwork(KnobsStyleKitDrawing which);

} // namespace quorbel
