#pragma once

namespace platform {

/// Horizontal alignment of text, with the platform's values.
enum NSTextAlignment : int {
    NSTextAlignmentRight = 1,
    NSTextAlignmentCenter = 2,
    NSTextAlignmentJustified = 3,
    NSTextAlignmentNatural = 4,
};

/// Stand-in for the platform's paragraph style; only the alignment is modelled.
class NSParagraphStyle {
public:
    /// Alignment; natural (left for the scripts drawn here) by default.
    NSTextAlignment alignment() const { return alignment_; }

protected:
    NSTextAlignment alignment_ = NSTextAlignmentNatural;
};

/// Stand-in for the platform's mutable paragraph style.
class NSMutableParagraphStyle : public NSParagraphStyle {
public:
    /// Sets the alignment.
    void setAlignment(NSTextAlignment alignment) { alignment_ = alignment; }
};

} // namespace platform
