#pragma once
#include "graphics/CGImage.h"
#include "ui/NSEvent.h"
#include "ui/UIBackend.h"

#include <memory>
#include <string>

namespace platform {

class NSView;
class NSWindow;

/// The offscreen back end: windows that draw into bitmaps instead of onto a screen, and events injected
/// by tests or hosts through the same dispatch as real ones (NSWindow::sendEvent). Its run loop is
/// driven on request: runUntilIdle drains the main queue and draws the dirty windows, turn after turn,
/// until nothing is left to do. Main thread only.
class OffscreenBackend : public NSApplicationBackend {
public:
    /// Makes the offscreen back end the application's, or returns the one already installed; throws
    /// std::logic_error when another back end has windows.
    static OffscreenBackend& install(CGFloat pixelDensity = 1);

    explicit OffscreenBackend(CGFloat pixelDensity = 1) : density_(pixelDensity) {}

    const char* name() const override { return "offscreen"; }
    std::unique_ptr<NSWindowBackend> createWindowBackend(NSWindow& window) override;
    /// Turns until stop() or until idle (nothing queued, nothing to draw): an offscreen application has
    /// no events to wait for.
    void run(NSApplication& application) override;
    void stop() override { stopped_ = true; }
    /// A 1920 x 1080 point screen.
    CGRect screenFrame() const override { return {0, 0, 1920, 1080}; }
    CGFloat pixelDensity() const override { return density_; }
    void setPixelDensity(CGFloat density) { density_ = density > 0 ? density : 1; }

    /// One turn: drains the main queue, then lays out and draws each visible window that needs it.
    /// Returns true when it did anything.
    bool runOnce();
    /// Turns until a turn finds nothing to do; returns the number of turns that did something.
    int runUntilIdle();

    /// The pixels the window showed at its last drawing, or null when it was never drawn.
    std::shared_ptr<CGImage> windowPixels(const NSWindow& window) const;

    // Injected events, at points in `view`'s coordinates (the view must be in a window). Each event
    // advances the clock by `eventInterval` seconds.
    void mouseDown(NSView& view, CGPoint point, NSEventModifierFlags modifiers = 0);
    void mouseDragged(NSView& view, CGPoint point, NSEventModifierFlags modifiers = 0);
    void mouseUp(NSView& view, CGPoint point, NSEventModifierFlags modifiers = 0);
    /// `count` presses and releases at `point`, as quick clicks.
    void click(NSView& view, CGPoint point, int count = 1);
    /// Press at `from`, `steps` drag events along the straight line to `to`, release at `to`.
    void drag(NSView& view, CGPoint from, CGPoint to, int steps = 10);
    /// A key press on `window`.
    void keyDown(NSWindow& window, const std::string& characters, NSEventModifierFlags modifiers = 0,
                 unsigned short keyCode = 0);
    /// Escape on `window`.
    void pressEscape(NSWindow& window) { keyDown(window, "\x1b", 0, kVK_Escape); }
    /// The window loses the pointer.
    void losePointerGrab(NSWindow& window);

    /// Moves the injected events' clock on (to let the double-click interval pass, say).
    void advanceClock(double seconds) { clock_ += seconds; }
    /// Seconds between successive injected events; 0.016 by default.
    void setEventInterval(double seconds) { interval_ = seconds; }

private:
    void sendMouse(NSEventType type, NSView& view, CGPoint point, NSEventModifierFlags modifiers);

    CGFloat density_;
    bool stopped_ = false;
    double clock_ = 1000;
    double interval_ = 0.016;
};

} // namespace platform
