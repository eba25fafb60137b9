#include "ui/OffscreenBackend.h"

#include "ui/Compositor.h"
#include "ui/DispatchQueue.h"
#include "ui/NSApplication.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"

#include <stdexcept>

namespace platform {

namespace {

/// A window that shows its pixels in a bitmap.
class OffscreenWindowBackend : public NSWindowBackend {
public:
    void show() override { shown = true; }
    void hide() override { shown = false; }
    void setTitle(const std::string&) override {}
    void setContentRect(CGRect) override {}
    void markDirty() override {}
    void close() override {
        shown = false;
        pixels.reset();
    }

    bool shown = false;
    std::shared_ptr<CGImage> pixels;
};

} // namespace

OffscreenBackend& OffscreenBackend::install(CGFloat pixelDensity) {
    NSApplication& app = NSApplication::shared();
    if (app.hasBackend()) {
        if (auto* offscreen = dynamic_cast<OffscreenBackend*>(&app.backend())) {
            offscreen->setPixelDensity(pixelDensity);
            return *offscreen;
        }
    }
    auto backend = std::make_unique<OffscreenBackend>(pixelDensity);
    OffscreenBackend& result = *backend;
    app.setBackend(std::move(backend));
    return result;
}

std::unique_ptr<NSWindowBackend> OffscreenBackend::createWindowBackend(NSWindow&) {
    return std::make_unique<OffscreenWindowBackend>();
}

bool OffscreenBackend::runOnce() {
    bool did = DispatchQueue::main().drain() > 0;
    // A copy: drawing may close windows.
    const std::vector<std::shared_ptr<NSWindow>> windows = NSApplication::shared().windows();
    for (const auto& window : windows) {
        if (!window->isVisible()) {
            continue;
        }
        window->layoutIfNeeded();
        if (window->needsDisplay()) {
            auto pixels = Compositor::renderWindow(*window, density_);
            if (auto* b = dynamic_cast<OffscreenWindowBackend*>(window->backend())) {
                b->pixels = std::move(pixels);
            }
            did = true;
        }
    }
    return did;
}

int OffscreenBackend::runUntilIdle() {
    int turns = 0;
    // Work that keeps making work (a handler that always queues another) is cut off.
    while (turns < 100000 && runOnce()) {
        ++turns;
    }
    return turns;
}

void OffscreenBackend::run(NSApplication&) {
    stopped_ = false;
    while (!stopped_ && runOnce()) {
    }
    stopped_ = false;
}

std::shared_ptr<CGImage> OffscreenBackend::windowPixels(const NSWindow& window) const {
    if (const auto* b = dynamic_cast<const OffscreenWindowBackend*>(window.backend())) {
        return b->pixels;
    }
    return nullptr;
}

void OffscreenBackend::sendMouse(NSEventType type, NSView& view, CGPoint point,
                                 NSEventModifierFlags modifiers) {
    NSWindow* window = view.window();
    if (window == nullptr) {
        throw std::logic_error("an injected mouse event needs a view inside a window");
    }
    clock_ += interval_;
    window->sendEvent(NSEvent::mouseEvent(type, view.convertPointToView(point, nullptr), clock_, modifiers));
}

void OffscreenBackend::mouseDown(NSView& view, CGPoint point, NSEventModifierFlags modifiers) {
    sendMouse(NSEventTypeLeftMouseDown, view, point, modifiers);
}

void OffscreenBackend::mouseDragged(NSView& view, CGPoint point, NSEventModifierFlags modifiers) {
    sendMouse(NSEventTypeLeftMouseDragged, view, point, modifiers);
}

void OffscreenBackend::mouseUp(NSView& view, CGPoint point, NSEventModifierFlags modifiers) {
    sendMouse(NSEventTypeLeftMouseUp, view, point, modifiers);
}

void OffscreenBackend::click(NSView& view, CGPoint point, int count) {
    for (int i = 0; i < count; ++i) {
        mouseDown(view, point);
        mouseUp(view, point);
    }
}

void OffscreenBackend::drag(NSView& view, CGPoint from, CGPoint to, int steps) {
    mouseDown(view, from);
    for (int i = 1; i <= steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        mouseDragged(view, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    mouseUp(view, to);
}

void OffscreenBackend::keyDown(NSWindow& window, const std::string& characters,
                               NSEventModifierFlags modifiers, unsigned short keyCode) {
    clock_ += interval_;
    window.sendEvent(
        NSEvent::keyEvent(NSEventTypeKeyDown, characters, characters, keyCode, clock_, modifiers));
}

void OffscreenBackend::losePointerGrab(NSWindow& window) {
    clock_ += interval_;
    NSEvent event;
    event.type = NSEventTypePointerGrabLost;
    event.timestamp = clock_;
    window.sendEvent(event);
}

} // namespace platform
