#pragma once
#include "graphics/CGGeometry.h"
#include "graphics/NSColor.h"
#include "graphics/NSImage.h"

#include <memory>
#include <string>

namespace quorbel {

/// The editor's small style kit: the panel's three colours and the default knob face, drawn with Core
/// Graphics and text drawing. Class-level members only; never instantiated. Main thread.
class QuorStyleKit {
public:
    QuorStyleKit() = delete;

    /// Panel yellow (0.925, 0.863, 0.11): the panel background and the default face's label. Created on
    /// first use (once, even under a race) and the same object on every read.
    static const platform::NSColor& backgroundColor();
    /// Dark grey (0.15): the default face's outer disc. Created on first use.
    static const platform::NSColor& knobOuterColor();
    /// Grey (0.35): the default face's inner disc. Created on first use.
    static const platform::NSColor& knobInnerColor();

    /// Draws the default knob face into `frame` of the current graphics context: the outer disc inset by
    /// 5 % of the frame, the inner disc inset by 8 % of the outer one, and `label` centred in the band
    /// from 0.25 to 0.05 of the height above the frame's bottom, in the medium system font of 0.12 of the
    /// height. Nothing without a current Core Graphics context. Allocates.
    static void drawDefaultKnob(platform::CGRect frame, const std::string& label);

    /// A flipped image of `size` that draws the default knob face with `label` into (0, 0, width,
    /// height) each time it is rendered; the image keeps the label and the size. Allocates.
    static std::shared_ptr<platform::NSImage> imageOfDefaultKnob(platform::CGSize size,
                                                                 const std::string& label);
};

} // namespace quorbel
