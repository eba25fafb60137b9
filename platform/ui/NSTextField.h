#pragma once
#include "graphics/NSColor.h"
#include "graphics/NSFont.h"
#include "graphics/NSParagraphStyle.h"
#include "ui/NSControl.h"

#include <memory>
#include <string>

namespace platform {

/// Stand-in for the platform's text field in its label form: one line of text, not editable, no bezel,
/// no background, drawn with Pango from the top of the bounds, aligned within them after a padding of 2
/// points on either side. Main thread only.
class NSTextField : public NSControl {
public:
    using NSControl::NSControl;

    /// A label showing `text` in the 13-point system font, black, natural alignment
    /// (`labelWithString:`), sized to fit.
    static std::shared_ptr<NSTextField> labelWithString(std::string text);

    const std::string& stringValue() const { return text_; }
    void setStringValue(std::string text);
    const NSFont& font() const { return font_; }
    void setFont(const NSFont& font);
    const NSColor& textColor() const { return textColor_; }
    void setTextColor(const NSColor& color);
    NSTextAlignment alignment() const { return alignment_; }
    void setAlignment(NSTextAlignment alignment);

    /// Horizontal padding on either side of the text, in points.
    static constexpr CGFloat textPadding = 2;
    /// The text's size measured with Pango, rounded up to whole points, plus the padding.
    CGSize intrinsicContentSize() const override;
    void drawRect(CGRect dirtyRect) override;

private:
    std::string text_;
    NSFont font_ = NSFont::systemFontOfSize(13);
    NSColor textColor_ = NSColor::blackColor();
    NSTextAlignment alignment_ = NSTextAlignmentNatural;
};

} // namespace platform
