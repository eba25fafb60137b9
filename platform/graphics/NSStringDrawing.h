#pragma once
/// Stand-in for the platform's string drawing with attributes (`drawInRect:withAttributes:`,
/// `sizeWithAttributes:`), laid out by Pango.

#include "graphics/CGGeometry.h"
#include "graphics/NSColor.h"
#include "graphics/NSFont.h"
#include "graphics/NSParagraphStyle.h"

#include <optional>
#include <string_view>

namespace platform {

/// The text attributes the system uses; absent ones take the platform's defaults (system font of 12
/// points, regular; black; natural alignment).
struct NSStringAttributes {
    std::optional<NSFont> font;
    std::optional<NSColor> foregroundColor;
    std::optional<NSParagraphStyle> paragraphStyle;
};

/// Draws UTF-8 `string` into `rect` of the current graphics context: lines start at the rectangle's top
/// (as seen), wrap at its width and are aligned in it; nothing outside the rectangle is painted. Text
/// stands upright whichever way the context is flipped. Nothing without a current Core Graphics context.
/// Allocates.
void NSStringDrawInRect(std::string_view string, CGRect rect, const NSStringAttributes& attributes);

/// The size in points that `string` takes on one line with `attributes`. Allocates.
CGSize NSStringSizeWithAttributes(std::string_view string, const NSStringAttributes& attributes);

} // namespace platform
