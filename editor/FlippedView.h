#pragma once
#include "ui/NSView.h"

namespace quorbel {

/// The panel's root view: a plain view whose coordinates are flipped (origin top left, y downward).
/// Main thread only, like every view.
class FlippedView : public platform::NSView {
public:
    /// A view with `frame` (`initWithFrame:`); nothing else.
    explicit FlippedView(platform::CGRect frame = {}) : NSView(frame) {}

    /// Always true: y grows downward.
    bool isFlipped() const override { return true; }
};

} // namespace quorbel
