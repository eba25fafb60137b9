#pragma once
#include "graphics/CGContext.h"

#include <memory>

namespace platform {

/// Stand-in for the platform's graphics context: a Core Graphics context and the convention of its
/// user space (flipped: y grows downward). The current context is the top of a per-thread stack that
/// whoever renders (an image, a view) pushes before drawing and pops after.
class NSGraphicsContext {
public:
    /// A graphics context over `cgContext` (which may be null). The flag records the convention that
    /// the context's transform already gives; it changes no transform.
    static std::shared_ptr<NSGraphicsContext>
    graphicsContextWithCGContext(std::shared_ptr<CGContext> cgContext, bool flipped);

    /// The calling thread's current context, or null when there is none.
    static NSGraphicsContext* current();
    /// Makes `context` the calling thread's current context until the matching pop. Allocates.
    static void pushCurrent(std::shared_ptr<NSGraphicsContext> context);
    /// Restores the context that was current before the last push; nothing when the stack is empty.
    static void popCurrent();

    /// The Core Graphics context, or null.
    CGContext* cgContext() const { return cgContext_.get(); }
    /// True when y grows downward in the context's user space.
    bool isFlipped() const { return flipped_; }

    /// Pushes a context on construction and pops it on destruction.
    class CurrentScope {
    public:
        explicit CurrentScope(std::shared_ptr<NSGraphicsContext> context) { pushCurrent(std::move(context)); }
        ~CurrentScope() { popCurrent(); }
        CurrentScope(const CurrentScope&) = delete;
        CurrentScope& operator=(const CurrentScope&) = delete;
    };

    /// As graphicsContextWithCGContext.
    NSGraphicsContext(std::shared_ptr<CGContext> cgContext, bool flipped)
        : cgContext_(std::move(cgContext)), flipped_(flipped) {}

private:
    std::shared_ptr<CGContext> cgContext_;
    bool flipped_;
};

} // namespace platform
