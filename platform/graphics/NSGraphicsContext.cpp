#include "graphics/NSGraphicsContext.h"

#include <vector>

namespace platform {

namespace {

std::vector<std::shared_ptr<NSGraphicsContext>>& contextStack() {
    thread_local std::vector<std::shared_ptr<NSGraphicsContext>> stack;
    return stack;
}

} // namespace

std::shared_ptr<NSGraphicsContext>
NSGraphicsContext::graphicsContextWithCGContext(std::shared_ptr<CGContext> cgContext, bool flipped) {
    return std::make_shared<NSGraphicsContext>(std::move(cgContext), flipped);
}

NSGraphicsContext* NSGraphicsContext::current() {
    auto& stack = contextStack();
    return stack.empty() ? nullptr : stack.back().get();
}

void NSGraphicsContext::pushCurrent(std::shared_ptr<NSGraphicsContext> context) {
    contextStack().push_back(std::move(context));
}

void NSGraphicsContext::popCurrent() {
    auto& stack = contextStack();
    if (!stack.empty()) {
        stack.pop_back();
    }
}

} // namespace platform
