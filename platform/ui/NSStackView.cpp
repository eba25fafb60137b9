#include "ui/NSStackView.h"

#include "ui/NSLayoutConstraint.h"

#include <algorithm>

namespace platform {

void NSStackView::setOrientation(NSUserInterfaceLayoutOrientation orientation) {
    orientation_ = orientation;
    invalidateIntrinsicContentSize();
}

void NSStackView::setAlignment(NSLayoutAttribute alignment) {
    alignment_ = alignment;
    setNeedsLayout(true);
}

void NSStackView::setSpacing(CGFloat spacing) {
    spacing_ = spacing;
    invalidateIntrinsicContentSize();
}

void NSStackView::addArrangedSubview(std::shared_ptr<NSView> view) {
    if (!view) {
        return;
    }
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    addSubview(view);
    arranged_.push_back(std::move(view));
    invalidateIntrinsicContentSize();
}

CGSize NSStackView::intrinsicContentSize() const {
    const bool vertical = orientation_ == NSUserInterfaceLayoutOrientationVertical;
    CGFloat along = 0;
    CGFloat across = 0;
    int shown = 0;
    for (const auto& view : arranged_) {
        if (view->isHidden() || view->superview() != this) {
            continue;
        }
        const CGSize s = NSLayoutConstraint::sizeFromConstraints(*view);
        along += vertical ? s.height : s.width;
        across = std::max(across, vertical ? s.width : s.height);
        ++shown;
    }
    if (shown > 1) {
        along += spacing_ * (shown - 1);
    }
    return vertical ? CGSize{across, along} : CGSize{along, across};
}

void NSStackView::layout() {
    NSView::layout();
    const bool vertical = orientation_ == NSUserInterfaceLayoutOrientationVertical;
    const CGRect b = bounds();
    // Running edge: from the top down (vertical) or from the left (horizontal).
    CGFloat cursor = 0;
    for (const auto& view : arranged_) {
        if (view->isHidden() || view->superview() != this) {
            continue;
        }
        const CGSize s = NSLayoutConstraint::sizeFromConstraints(*view);
        CGFloat x = 0;
        CGFloat y = 0;
        if (vertical) {
            switch (alignment_) {
            case NSLayoutAttributeLeft:
            case NSLayoutAttributeLeading:
                x = 0;
                break;
            case NSLayoutAttributeRight:
            case NSLayoutAttributeTrailing:
                x = b.width() - s.width;
                break;
            default:
                x = (b.width() - s.width) * 0.5;
                break;
            }
            y = isFlipped() ? cursor : b.height() - cursor - s.height;
            cursor += s.height + spacing_;
        } else {
            x = cursor;
            const bool top = alignment_ == NSLayoutAttributeTop;
            const bool bottom = alignment_ == NSLayoutAttributeBottom;
            const CGFloat fromTop = top ? 0 : bottom ? b.height() - s.height : (b.height() - s.height) * 0.5;
            y = isFlipped() ? fromTop : b.height() - fromTop - s.height;
            cursor += s.width + spacing_;
        }
        view->setFrame({x, y, s.width, s.height});
    }
}

} // namespace platform
