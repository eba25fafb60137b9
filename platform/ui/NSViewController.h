#pragma once
#include "graphics/CGGeometry.h"

#include <memory>

namespace platform {

class NSView;

/// Stand-in for the platform's view controller: owns a view that it makes on first demand (loadView,
/// then viewDidLoad), hears of its view's layout (viewDidLayout, after each layout of the view) and of
/// its appearing and disappearing (told by the window that shows it, or by a host). Held by
/// std::shared_ptr. Main thread only.
class NSViewController : public std::enable_shared_from_this<NSViewController> {
public:
    NSViewController() = default;
    virtual ~NSViewController();
    NSViewController(const NSViewController&) = delete;
    NSViewController& operator=(const NSViewController&) = delete;

    /// The view, loaded first when it is not (loadView, then viewDidLoad).
    const std::shared_ptr<NSView>& view();
    /// Replaces the view without loading.
    void setView(std::shared_ptr<NSView> view);
    bool isViewLoaded() const { return view_ != nullptr; }

    /// Makes the view; the default makes an empty view. An override sets it with setView.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear() {}
    /// Called after each layout of the view.
    virtual void viewDidLayout() {}

    /// The size the controller's view prefers; (0, 0) for none.
    CGSize preferredContentSize() const { return preferredContentSize_; }
    void setPreferredContentSize(CGSize size) { preferredContentSize_ = size; }

private:
    std::shared_ptr<NSView> view_;
    CGSize preferredContentSize_;
    bool loading_ = false;
};

} // namespace platform
