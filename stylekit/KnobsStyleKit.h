#pragma once
#include "graphics/CGGeometry.h"
#include "graphics/NSImage.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <memory>

namespace quorbel {

/// The style kit: draws every piece of the panel's vector artwork at any size, into the current
/// graphics context or as an image. Stateless; every operation is class-level. Each draw operation
/// creates its colours and paths anew, draws the artwork scaled into the frame (laid out for a flipped
/// space, y downward) and saves no graphics state; each image operation returns a new flipped image of
/// the frame's size that draws at origin (0, 0) on demand, and reports failure (draws nothing) when
/// rendered without a current graphics context. The frame's origin is ignored by the image operations.
/// All allocate; call them on the main thread.
class KnobsStyleKit {
public:
    KnobsStyleKit() = default;

// The operations of the drawings of KnobsStyleKitDrawingList.h, in its order: first every
// draw<Name>(frame), which draws the drawing into `frame` of the current graphics context (NeoUnderlay
// draws nothing), then every imageOf<Name>(frame), an image of `frame`'s size showing it.
#define QUORBEL_DECLARE_DRAW(Name) static void draw##Name(platform::CGRect frame);
#define QUORBEL_DECLARE_IMAGE(Name)                                                                          \
    static std::shared_ptr<platform::NSImage> imageOf##Name(platform::CGRect frame);
    QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DECLARE_DRAW, QUORBEL_DECLARE_DRAW)
    QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DECLARE_IMAGE, QUORBEL_DECLARE_IMAGE)
#undef QUORBEL_DECLARE_DRAW
#undef QUORBEL_DECLARE_IMAGE
};

/// The image operation of KnobsStyleKit for a drawing: imageOf<Name>(frame) for `which`. Allocates.
std::shared_ptr<platform::NSImage> knobsStyleKitImage(KnobsStyleKitDrawing which, platform::CGRect frame);

} // namespace quorbel
