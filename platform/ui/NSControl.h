#pragma once
#include "ui/NSView.h"
#include "ui/TargetAction.h"

namespace platform {

/// Stand-in for the platform's control: a view with a target/action that it sends when the user acts on
/// it. Main thread only.
class NSControl : public NSView {
public:
    using Action = TargetAction<NSControl>;
    using NSView::NSView;

    /// Target and action (`setTarget:`, `setAction:`).
    void setAction(Action action) { action_ = std::move(action); }
    /// Sends the action with this control as sender; false when there is none or its target is gone.
    bool sendAction() { return action_.send(this); }

private:
    Action action_;
};

} // namespace platform
