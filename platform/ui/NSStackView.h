#pragma once
#include "ui/NSView.h"

#include <memory>
#include <vector>

namespace platform {

/// Orientation of a stack, with the platform's values.
enum NSUserInterfaceLayoutOrientation : int {
    NSUserInterfaceLayoutOrientationHorizontal = 0,
    NSUserInterfaceLayoutOrientationVertical = 1,
};

/// Stand-in for the platform's stack view: arranges its arranged subviews in a row or column, in order
/// (a vertical stack from the top down), `spacing` points apart, each at its own size (its size
/// constraints, else its intrinsic size, else its current size) and aligned across the stack by
/// `alignment` (left, centre x or right for a vertical stack; top, centre y or bottom for a horizontal
/// one). Its intrinsic size is what the arranged views need. Main thread only.
class NSStackView : public NSView {
public:
    using NSView::NSView;

    NSUserInterfaceLayoutOrientation orientation() const { return orientation_; }
    void setOrientation(NSUserInterfaceLayoutOrientation orientation);
    void setAlignment(NSLayoutAttribute alignment);
    CGFloat spacing() const { return spacing_; }
    void setSpacing(CGFloat spacing);
    /// Appends `view` as a subview and arranges it last; it stops translating its autoresizing mask.
    void addArrangedSubview(std::shared_ptr<NSView> view);
    const std::vector<std::shared_ptr<NSView>>& arrangedSubviews() const { return arranged_; }

    CGSize intrinsicContentSize() const override;
    void layout() override;

private:
    NSUserInterfaceLayoutOrientation orientation_ = NSUserInterfaceLayoutOrientationHorizontal;
    NSLayoutAttribute alignment_ = NSLayoutAttributeCenterY;
    CGFloat spacing_ = 8;
    std::vector<std::shared_ptr<NSView>> arranged_;
};

} // namespace platform
