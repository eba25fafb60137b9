#pragma once
#include "graphics/CGColor.h"
#include "graphics/CGGeometry.h"

namespace platform {

/// Stand-in for the platform's colour: device RGB components and alpha, each 0 to 1. Immutable.
class NSColor {
public:
    /// The colour of the given components (`NSColor(red:green:blue:alpha:)`).
    NSColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
        : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

    /// Opaque black.
    static NSColor blackColor() { return {0, 0, 0, 1}; }

    /// The same colour with another alpha.
    NSColor colorWithAlphaComponent(CGFloat alpha) const { return {red_, green_, blue_, alpha}; }

    /// Makes this colour the current graphics context's fill colour; nothing without a current context.
    void setFill() const;
    /// Makes this colour the current graphics context's stroke colour; nothing without a current context.
    void setStroke() const;

    /// The colour's Core Graphics form.
    CGColor cgColor() const { return {red_, green_, blue_, alpha_}; }

    /// Red component.
    CGFloat redComponent() const { return red_; }
    /// Green component.
    CGFloat greenComponent() const { return green_; }
    /// Blue component.
    CGFloat blueComponent() const { return blue_; }
    /// Alpha component.
    CGFloat alphaComponent() const { return alpha_; }

    friend bool operator==(const NSColor&, const NSColor&) = default;

private:
    CGFloat red_;
    CGFloat green_;
    CGFloat blue_;
    CGFloat alpha_;
};

} // namespace platform
