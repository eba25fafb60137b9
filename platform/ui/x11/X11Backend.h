#pragma once
#include "ui/UIBackend.h"

#include <memory>
#include <string>
#include <unordered_map>

struct _XDisplay;
union _XEvent;

namespace platform {

class X11WindowBackend;

/// The X11 back end: a real window per NSWindow (Xlib; pixels composited into a client-side bitmap, copied
/// to a server-side buffer with cairo-xlib, then to the window in one copy), X input turned into NSEvents
/// for NSWindow::sendEvent, and a run loop that polls the X connection beside the main queue's wake
/// descriptor. Registered under "x11", so NSApplication uses it unless a test or host installs another.
/// One pixel per point unless QUORBEL_UI_SCALE asks for more. A window that another client destroys is
/// closed; a lost connection ends run() with DisplayConnectionLost instead of Xlib's exit. Main thread only.
class X11Backend : public NSApplicationBackend {
public:
    /// Connects to the display that DISPLAY names; null, with a readable message in `error`, when it
    /// cannot.
    static std::unique_ptr<X11Backend> open(std::string& error);
    ~X11Backend() override;
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    const char* name() const override { return "x11"; }
    std::unique_ptr<NSWindowBackend> createWindowBackend(NSWindow& window) override;
    /// Turns until stop(): sleeps in poll() on the X connection and the main queue's descriptor while
    /// there is nothing to do. Throws DisplayConnectionLost when the connection is lost.
    void run(NSApplication& application) override;
    void stop() override { stopped_ = true; }
    /// The default screen, in points.
    CGRect screenFrame() const override;
    CGFloat pixelDensity() const override { return density_; }
    /// Pixels per point of the windows made from now on (1 to 4).
    void setPixelDensity(CGFloat density);

    /// One turn of the loop: the X events that have arrived, the main queue, then the drawing of each
    /// visible window that needs it. Returns true when it did anything; nothing once the connection is lost.
    bool runOnce();
    /// Waits for the server to have handled every request so far (its events for this client are queued
    /// then), then turns until a turn finds nothing to do. Returns the turns that did something.
    int runUntilIdle();
    /// The X window id of `window`, 0 while it has none (never shown, or closed).
    unsigned long nativeWindow(const NSWindow& window) const;

private:
    friend class X11WindowBackend;
    X11Backend(_XDisplay* display, CGFloat density);

    void handleEvent(_XEvent& event);
    bool drawDirtyWindows();
    /// Sleeps until an X event or a post to the main queue arrives, unless work is already waiting.
    void waitForWork();
    double eventSeconds(unsigned long serverTime);

    /// The atoms the back end names (X atoms are per server).
    struct Atoms {
        unsigned long wmProtocols = 0, wmDeleteWindow = 0, netWmName = 0, netWmIconName = 0, utf8String = 0,
                      netWmPid = 0, motifWmHints = 0;
    };

    _XDisplay* display_;
    std::string displayName_;
    Atoms atoms_;
    CGFloat density_;
    bool stopped_ = false;
    bool lost_ = false; ///< the connection to the server is gone: no X call is made from then on
    bool redrawPending_ = false;
    std::unordered_map<unsigned long, X11WindowBackend*> windows_;
    unsigned long lastServerTime_ = 0;
    double timeEpoch_ = 0;
};

} // namespace platform
