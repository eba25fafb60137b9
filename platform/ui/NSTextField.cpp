#include "ui/NSTextField.h"

#include "graphics/NSStringDrawing.h"

#include <cmath>

namespace platform {

namespace {
NSStringAttributes attributesOf(const NSFont& font, const NSColor& color, NSTextAlignment alignment) {
    NSMutableParagraphStyle style;
    style.setAlignment(alignment);
    return {font, color, style};
}
} // namespace

std::shared_ptr<NSTextField> NSTextField::labelWithString(std::string text) {
    auto label = std::make_shared<NSTextField>();
    label->setStringValue(std::move(text));
    label->setFrameSize(label->intrinsicContentSize());
    return label;
}

void NSTextField::setStringValue(std::string text) {
    text_ = std::move(text);
    invalidateIntrinsicContentSize();
    setNeedsDisplay(true);
}

void NSTextField::setFont(const NSFont& font) {
    font_ = font;
    invalidateIntrinsicContentSize();
    setNeedsDisplay(true);
}

void NSTextField::setTextColor(const NSColor& color) {
    textColor_ = color;
    setNeedsDisplay(true);
}

void NSTextField::setAlignment(NSTextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay(true);
}

CGSize NSTextField::intrinsicContentSize() const {
    const NSStringAttributes attributes = attributesOf(font_, textColor_, alignment_);
    // An empty label is as tall as a line of its font.
    CGSize text = NSStringSizeWithAttributes(text_.empty() ? std::string_view(" ") : text_, attributes);
    if (text_.empty()) {
        text.width = 0;
    }
    return {std::ceil(text.width) + 2 * textPadding, std::ceil(text.height)};
}

void NSTextField::drawRect(CGRect) {
    const CGRect b = bounds();
    NSStringDrawInRect(text_,
                       CGRect(b.minX() + textPadding, b.minY(), b.width() - 2 * textPadding, b.height()),
                       attributesOf(font_, textColor_, alignment_));
}

} // namespace platform
