#pragma once
// Helpers shared by the user-interface tests.

#include "ui/NSView.h"

namespace ui_test {

/// A plain view with y growing downward.
class FlippedView : public platform::NSView {
public:
    using NSView::NSView;
    bool isFlipped() const override { return true; }
};

} // namespace ui_test
