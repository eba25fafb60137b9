#include "ui/NSImageView.h"

#include <algorithm>
#include <cmath>

namespace platform {

std::shared_ptr<NSImageView> NSImageView::imageViewWithImage(std::shared_ptr<NSImage> image) {
    const CGSize size = image ? image->size() : CGSize{};
    auto view = std::make_shared<NSImageView>(CGRect(0, 0, std::fabs(size.width), std::fabs(size.height)));
    view->setImage(std::move(image));
    view->setImageScaling(NSImageScaleProportionallyUpOrDown);
    return view;
}

void NSImageView::setImage(std::shared_ptr<NSImage> image) {
    image_ = std::move(image);
    invalidateIntrinsicContentSize();
    setNeedsDisplay(true);
}

void NSImageView::setImageScaling(NSImageScaling scaling) {
    scaling_ = scaling;
    setNeedsDisplay(true);
}

CGSize NSImageView::intrinsicContentSize() const {
    if (!image_) {
        return NSView::intrinsicContentSize();
    }
    return {std::fabs(image_->size().width), std::fabs(image_->size().height)};
}

CGRect NSImageView::imageRect() const {
    const CGRect b = bounds();
    if (!image_) {
        return b;
    }
    const CGFloat w = std::fabs(image_->size().width);
    const CGFloat h = std::fabs(image_->size().height);
    if (!(w > 0) || !(h > 0) || scaling_ == NSImageScaleAxesIndependently) {
        return b;
    }
    CGFloat scale = 1;
    if (scaling_ == NSImageScaleProportionallyUpOrDown) {
        scale = std::min(b.width() / w, b.height() / h);
    } else if (scaling_ == NSImageScaleProportionallyDown) {
        scale = std::min({1.0, b.width() / w, b.height() / h});
    }
    const CGFloat dw = w * scale;
    const CGFloat dh = h * scale;
    return {b.minX() + (b.width() - dw) * 0.5, b.minY() + (b.height() - dh) * 0.5, dw, dh};
}

void NSImageView::drawRect(CGRect) {
    if (image_) {
        image_->drawInRect(imageRect());
    }
}

} // namespace platform
