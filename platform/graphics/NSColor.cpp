#include "graphics/NSColor.h"

#include "graphics/NSGraphicsContext.h"

namespace platform {

void NSColor::setFill() const {
    if (NSGraphicsContext* context = NSGraphicsContext::current()) {
        CGContextSetFillColorWithColor(context->cgContext(), cgColor());
    }
}

void NSColor::setStroke() const {
    if (NSGraphicsContext* context = NSGraphicsContext::current()) {
        CGContextSetStrokeColorWithColor(context->cgContext(), cgColor());
    }
}

} // namespace platform
