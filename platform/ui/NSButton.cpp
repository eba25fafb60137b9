#include "ui/NSButton.h"

#include "graphics/NSGraphicsContext.h"

namespace platform {

void NSButton::setButtonType(NSButtonType type) {
    type_ = type;
    setNeedsDisplay(true);
}

void NSButton::setBordered(bool bordered) {
    bordered_ = bordered;
    setNeedsDisplay(true);
}

void NSButton::setImagePosition(NSCellImagePosition position) {
    imagePosition_ = position;
    setNeedsDisplay(true);
}

void NSButton::setImage(std::shared_ptr<NSImage> image) {
    image_ = std::move(image);
    invalidateIntrinsicContentSize();
    setNeedsDisplay(true);
}

void NSButton::setAlternateImage(std::shared_ptr<NSImage> image) {
    alternateImage_ = std::move(image);
    setNeedsDisplay(true);
}

void NSButton::setState(NSControlStateValue state) {
    state_ = state == NSControlStateValueOff     ? NSControlStateValueOff
             : state == NSControlStateValueMixed ? NSControlStateValueMixed
                                                 : NSControlStateValueOn;
    setNeedsDisplay(true);
}

bool NSButton::toggles() const {
    switch (type_) {
    case NSButtonTypePushOnPushOff:
    case NSButtonTypeToggle:
    case NSButtonTypeSwitch:
    case NSButtonTypeRadio:
    case NSButtonTypeOnOff:
        return true;
    default:
        return false;
    }
}

void NSButton::performClick() {
    if (type_ == NSButtonTypeRadio) {
        setState(NSControlStateValueOn);
    } else if (toggles()) {
        setState(state_ == NSControlStateValueOn ? NSControlStateValueOff : NSControlStateValueOn);
    }
    sendAction();
}

CGSize NSButton::intrinsicContentSize() const {
    if (image_ && imagePosition_ != NSNoImage) {
        return image_->size();
    }
    return NSView::intrinsicContentSize();
}

void NSButton::setHighlighted(bool highlighted) {
    if (highlighted != highlighted_) {
        highlighted_ = highlighted;
        setNeedsDisplay(true);
    }
}

void NSButton::mouseDown(const NSEvent&) {
    tracking_ = true;
    setHighlighted(true);
}

void NSButton::mouseDragged(const NSEvent& event) {
    if (tracking_) {
        const CGPoint p = convertPointFromView(event.locationInWindow, nullptr);
        const CGRect b = bounds();
        setHighlighted(p.x >= b.minX() && p.x < b.maxX() && p.y >= b.minY() && p.y < b.maxY());
    }
}

void NSButton::mouseUp(const NSEvent& event) {
    if (!tracking_) {
        return;
    }
    mouseDragged(event);
    tracking_ = false;
    const bool inside = highlighted_;
    setHighlighted(false);
    if (inside) {
        performClick();
    }
}

void NSButton::drawRect(CGRect) {
    NSGraphicsContext* context = NSGraphicsContext::current();
    CGContext* cg = context != nullptr ? context->cgContext() : nullptr;
    const CGRect b = bounds();
    if (cg != nullptr && bordered_ && !b.isEmpty()) {
        // A plain bezel: a light rounded rectangle with a grey edge, darker while pressed.
        cairo_t* cr = cg->cairo();
        const double r = b.height() < 8 ? b.height() / 4 : 4;
        cairo_save(cr);
        cairo_new_sub_path(cr);
        cairo_arc(cr, b.maxX() - r - 0.5, b.minY() + r + 0.5, r, -M_PI / 2, 0);
        cairo_arc(cr, b.maxX() - r - 0.5, b.maxY() - r - 0.5, r, 0, M_PI / 2);
        cairo_arc(cr, b.minX() + r + 0.5, b.maxY() - r - 0.5, r, M_PI / 2, M_PI);
        cairo_arc(cr, b.minX() + r + 0.5, b.minY() + r + 0.5, r, M_PI, 3 * M_PI / 2);
        cairo_close_path(cr);
        const double fill = highlighted_ ? 0.78 : 0.97;
        cairo_set_source_rgb(cr, fill, fill, fill);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    if (imagePosition_ == NSNoImage) {
        return;
    }
    const bool showAlternate =
        toggles() ? state_ == NSControlStateValueOn : highlighted_ && type_ == NSButtonTypeMomentaryChange;
    const std::shared_ptr<NSImage>& shown = showAlternate && alternateImage_ ? alternateImage_ : image_;
    if (shown) {
        shown->drawInRect(b);
    }
}

} // namespace platform
