#include "stylekit/KnobsStyleKit.h"

#include "stylekit/ArtworkRenderer.h"
#include "stylekit/DrawingSupport.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <array>

namespace quorbel {

using platform::CGRect;
using platform::NSImage;

namespace {

void draw(KnobsStyleKitDrawing which, CGRect frame) {
    drawArtwork(knobsStyleKitArtwork(which), frame);
}

/// The image of a drawing: the frame's size, flipped, drawing it at the origin on demand.
std::shared_ptr<NSImage> image(void (*drawFunction)(CGRect), CGRect frame) {
    const CGFloat width = frame.width();
    const CGFloat height = frame.height();
    return renderPlatformImage({width, height}, true,
                               [drawFunction, width, height] { drawFunction(CGRect(0, 0, width, height)); });
}

} // namespace

#define QUORBEL_DEFINE_OPERATIONS(Name)                                                                      \
    void KnobsStyleKit::draw##Name(CGRect frame) {                                                           \
        draw(KnobsStyleKitDrawing::Name, frame);                                                             \
    }                                                                                                        \
    std::shared_ptr<NSImage> KnobsStyleKit::imageOf##Name(CGRect frame) {                                    \
        return image(&draw##Name, frame);                                                                    \
    }
QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DEFINE_OPERATIONS, QUORBEL_DEFINE_OPERATIONS)
#undef QUORBEL_DEFINE_OPERATIONS

std::shared_ptr<NSImage> knobsStyleKitImage(KnobsStyleKitDrawing which, CGRect frame) {
    using ImageFunction = std::shared_ptr<NSImage> (*)(CGRect);
#define QUORBEL_IMAGE_FUNCTION(Name) &KnobsStyleKit::imageOf##Name,
    static constexpr std::array<ImageFunction, knobsStyleKitDrawingCount> imageFunctions{
        QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_IMAGE_FUNCTION, QUORBEL_IMAGE_FUNCTION)};
#undef QUORBEL_IMAGE_FUNCTION
    return imageFunctions[static_cast<std::size_t>(which)](frame);
}

} // namespace quorbel
