#include "stylekit/QuorStyleKit.h"

#include "graphics/CGContext.h"
#include "graphics/NSFont.h"
#include "graphics/NSGraphicsContext.h"
#include "graphics/NSParagraphStyle.h"
#include "graphics/NSStringDrawing.h"
#include "stylekit/DrawingSupport.h"

namespace quorbel {

using namespace platform;

const NSColor& QuorStyleKit::backgroundColor() {
    static const NSColor color(0.925, 0.863, 0.11, 1);
    return color;
}

const NSColor& QuorStyleKit::knobOuterColor() {
    static const NSColor color(0.15, 0.15, 0.15, 1);
    return color;
}

const NSColor& QuorStyleKit::knobInnerColor() {
    static const NSColor color(0.35, 0.35, 0.35, 1);
    return color;
}

void QuorStyleKit::drawDefaultKnob(CGRect frame, const std::string& label) {
    NSGraphicsContext* graphics = NSGraphicsContext::current();
    CGContextRef context = graphics != nullptr ? graphics->cgContext() : nullptr;
    if (context == nullptr) {
        return;
    }
    const CGFloat w = frame.width();
    const CGFloat h = frame.height();

    const CGRect outer = CGRectInset(frame, 0.05 * w, 0.05 * h);
    CGContextSetFillColorWithColor(context, knobOuterColor().cgColor());
    CGContextFillEllipseInRect(context, outer);

    const CGRect inner = CGRectInset(outer, 0.08 * outer.width(), 0.08 * outer.height());
    CGContextSetFillColorWithColor(context, knobInnerColor().cgColor());
    CGContextFillEllipseInRect(context, inner);

    NSMutableParagraphStyle paragraph;
    paragraph.setAlignment(NSTextAlignmentCenter);
    const NSStringAttributes attributes{NSFont::systemFontOfSize(0.12 * h, NSFontWeightMedium),
                                        backgroundColor(), paragraph};
    NSStringDrawInRect(label, CGRect(frame.minX(), frame.maxY() - 0.25 * h, w, 0.2 * h), attributes);
}

std::shared_ptr<NSImage> QuorStyleKit::imageOfDefaultKnob(CGSize size, const std::string& label) {
    return renderPlatformImage(size, true, [size, label](CGContextRef) {
        drawDefaultKnob(CGRect(0, 0, size.width, size.height), label);
    });
}

} // namespace quorbel
