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
    /// Draws the face lettering of the mix knob into `frame` of the current graphics context.
    static void drawMixUnderlay(platform::CGRect frame);
    /// Draws the knob cap into `frame` of the current graphics context.
    static void drawNeoOverlay(platform::CGRect frame);
    /// Draws the face lettering of the feed knob into `frame` of the current graphics context.
    static void drawFeedUnderlay(platform::CGRect frame);
    /// Draws the face lettering of the tone knob into `frame` of the current graphics context.
    static void drawToneUnderlay(platform::CGRect frame);
    /// Draws the face lettering of the orbit knob into `frame` of the current graphics context.
    static void drawOrbitUnderlay(platform::CGRect frame);
    /// Draws the face lettering of the doubt knob into `frame` of the current graphics context.
    static void drawDoubtUnderlay(platform::CGRect frame);
    /// Draws the face lettering of the vexity knob into `frame` of the current graphics context.
    static void drawVexityUnderlay(platform::CGRect frame);
    /// Draws the off toggle button (a ring) into `frame` of the current graphics context.
    static void drawRadioOff(platform::CGRect frame);
    /// Draws the on toggle button (the ring with a dot) into `frame` of the current graphics context.
    static void drawRadioOn(platform::CGRect frame);
    /// Draws the band-pass caption into `frame` of the current graphics context.
    static void drawBP(platform::CGRect frame);
    /// Draws the high-pass caption into `frame` of the current graphics context.
    static void drawHP(platform::CGRect frame);
    /// Draws the low-pass caption into `frame` of the current graphics context.
    static void drawLP(platform::CGRect frame);
    /// Draws the mute caption into `frame` of the current graphics context.
    static void drawMute(platform::CGRect frame);
    /// Draws the fail caption into `frame` of the current graphics context.
    static void drawFail(platform::CGRect frame);
    /// Draws the bypass caption into `frame` of the current graphics context.
    static void drawBypass(platform::CGRect frame);
    /// Draws the face lettering of the master knob into `frame` of the current graphics context.
    static void drawMasterUnderlay(platform::CGRect frame);
    /// Draws the product wordmark into `frame` of the current graphics context.
    static void drawQuorFooter(platform::CGRect frame);
    /// Draws nothing: changes no pixel.
    static void drawNeoUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the mix knob.
    static std::shared_ptr<platform::NSImage> imageOfMixUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the knob cap.
    static std::shared_ptr<platform::NSImage> imageOfNeoOverlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the feed knob.
    static std::shared_ptr<platform::NSImage> imageOfFeedUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the tone knob.
    static std::shared_ptr<platform::NSImage> imageOfToneUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the orbit knob.
    static std::shared_ptr<platform::NSImage> imageOfOrbitUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the doubt knob.
    static std::shared_ptr<platform::NSImage> imageOfDoubtUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the vexity knob.
    static std::shared_ptr<platform::NSImage> imageOfVexityUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the off toggle button (a ring).
    static std::shared_ptr<platform::NSImage> imageOfRadioOff(platform::CGRect frame);
    /// An image of `frame`'s size showing the on toggle button (the ring with a dot).
    static std::shared_ptr<platform::NSImage> imageOfRadioOn(platform::CGRect frame);
    /// An image of `frame`'s size showing the band-pass caption.
    static std::shared_ptr<platform::NSImage> imageOfBP(platform::CGRect frame);
    /// An image of `frame`'s size showing the high-pass caption.
    static std::shared_ptr<platform::NSImage> imageOfHP(platform::CGRect frame);
    /// An image of `frame`'s size showing the low-pass caption.
    static std::shared_ptr<platform::NSImage> imageOfLP(platform::CGRect frame);
    /// An image of `frame`'s size showing the mute caption.
    static std::shared_ptr<platform::NSImage> imageOfMute(platform::CGRect frame);
    /// An image of `frame`'s size showing the fail caption.
    static std::shared_ptr<platform::NSImage> imageOfFail(platform::CGRect frame);
    /// An image of `frame`'s size showing the bypass caption.
    static std::shared_ptr<platform::NSImage> imageOfBypass(platform::CGRect frame);
    /// An image of `frame`'s size showing the face lettering of the master knob.
    static std::shared_ptr<platform::NSImage> imageOfMasterUnderlay(platform::CGRect frame);
    /// An image of `frame`'s size showing the product wordmark.
    static std::shared_ptr<platform::NSImage> imageOfQuorFooter(platform::CGRect frame);
    /// An image of `frame`'s size that draws nothing (blank).
    static std::shared_ptr<platform::NSImage> imageOfNeoUnderlay(platform::CGRect frame);
};

/// The image operation of KnobsStyleKit for a drawing: imageOf<Name>(frame) for `which`. Allocates.
std::shared_ptr<platform::NSImage> knobsStyleKitImage(KnobsStyleKitDrawing which, platform::CGRect frame);

} // namespace quorbel
