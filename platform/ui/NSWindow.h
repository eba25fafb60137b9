#pragma once
#include "graphics/CGGeometry.h"
#include "ui/NSEvent.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class NSGestureRecognizer;
class NSView;
class NSViewController;
class NSWindowBackend;

/// Window styles, with the platform's bit values.
using NSWindowStyleMask = unsigned long;
inline constexpr NSWindowStyleMask NSWindowStyleMaskTitled = 1;
inline constexpr NSWindowStyleMask NSWindowStyleMaskClosable = 2;
inline constexpr NSWindowStyleMask NSWindowStyleMaskMiniaturizable = 4;
inline constexpr NSWindowStyleMask NSWindowStyleMaskResizable = 8;

/// Backing store kinds, with the platform's values; every window of the stand-in is buffered.
enum NSBackingStoreType : unsigned {
    NSBackingStoreBuffered = 2,
};

/// Stand-in for the platform's window: a content rectangle on the screen (points, origin at the screen's
/// bottom-left corner, y upward), a style, a title and a content view. Its back end (offscreen, or a
/// real X11 window) is made with it by the application's back end. Events from the back end or from
/// a test enter through sendEvent, the one dispatch. A change anywhere in the content marks the window
/// for redraw, which the run loop does once per turn. Held by std::shared_ptr (std::make_shared); while
/// visible the application holds it too. Main thread only.
class NSWindow : public std::enable_shared_from_this<NSWindow> {
public:
    /// `initWithContentRect:styleMask:backing:defer:`: a hidden window whose content view is an empty view
    /// of the content size. The back end window is made now (a real one appears only when shown).
    NSWindow(CGRect contentRect, NSWindowStyleMask style, NSBackingStoreType backing = NSBackingStoreBuffered,
             bool defer = false);
    ~NSWindow();
    NSWindow(const NSWindow&) = delete;
    NSWindow& operator=(const NSWindow&) = delete;

    NSWindowStyleMask styleMask() const { return style_; }
    /// Changes the style; the back end updates its decorations and size hints.
    void setStyleMask(NSWindowStyleMask style);
    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    /// The content rectangle on the screen (the stand-in's windows have no frame of their own).
    CGRect frame() const { return contentRect_; }
    /// The content area's size.
    CGSize contentSize() const { return contentRect_.size; }
    /// Resizes the content area, keeping the top-left corner; the content view follows and lays out.
    void setContentSize(CGSize size);
    /// Moves the content area's bottom-left corner to `origin` on the screen.
    void setFrameOrigin(CGPoint origin);
    /// Places the window centred horizontally and a little above the middle of the screen.
    void center();

    const std::shared_ptr<NSView>& contentView() const { return contentView_; }
    /// Makes `view` the content: it fills the content area and lays out.
    void setContentView(std::shared_ptr<NSView> view);
    /// Makes `controller`'s view the content (loading it) and sizes the window to the controller's preferred
    /// content size when it has one; the controller sees viewWillAppear/viewDidAppear when the window is
    /// shown and viewWillDisappear/viewDidDisappear when it is hidden or closed.
    void setContentViewController(std::shared_ptr<NSViewController> controller);

    /// Shows the window in front and makes it the key window.
    void makeKeyAndOrderFront(const void* sender = nullptr);
    /// Hides the window.
    void orderOut(const void* sender = nullptr);
    bool isVisible() const { return visible_; }
    /// Closes the window: the back end window goes, and when it was the last visible window the
    /// application asks its delegate whether to terminate.
    void close();
    /// As the close button: closes.
    void performClose(const void* sender = nullptr);

    /// The one event entry, for real and injected events alike: stamps the event with this window and
    /// its click count, then routes it. Mouse down: hit test, then the gesture recognisers of the hit view
    /// and of the views above it, then the hit view; drags and the release go to the same recognisers and
    /// view. Key down: the main menu's key equivalents (with Command), then Escape cancels gestures in
    /// progress, then the content view. A lost pointer cancels gestures and ends the press.
    void sendEvent(NSEvent event);

    /// Double-click interval in seconds and the farthest, in points, between two presses of one run.
    static constexpr double doubleClickInterval = 0.5;
    static constexpr CGFloat doubleClickDistance = 4;

    /// Lays out the content where it needs it.
    void layoutIfNeeded();
    /// True when something shown changed since the window was last drawn.
    bool needsDisplay() const { return needsDisplay_; }
    /// Marks the window for redraw (coalesced: the back end draws once per turn of its run loop).
    void setViewsNeedDisplay(bool flag);
    /// Called by whoever drew the window (the compositor): clears the flag and counts the drawing.
    void didDisplay();
    /// Times the window was drawn.
    long displayCount() const { return displayCount_; }

    /// The back end window (null after close).
    NSWindowBackend* backend() const { return backend_.get(); }

private:
    void updateBackendFrame();
    void endPress();

    CGRect contentRect_;
    NSWindowStyleMask style_;
    std::string title_;
    std::shared_ptr<NSView> contentView_;
    std::shared_ptr<NSViewController> contentController_;
    std::unique_ptr<NSWindowBackend> backend_;
    bool visible_ = false;
    bool closed_ = false;
    bool needsDisplay_ = true;
    long displayCount_ = 0;

    // The press in progress: the view it started on and the recognisers that see it.
    std::weak_ptr<NSView> trackingView_;
    std::vector<std::shared_ptr<NSGestureRecognizer>> trackingRecognizers_;
    bool pressed_ = false;
    long pressClickCount_ = 0;
    // The previous press, for counting clicks.
    double lastPressTime_ = -1e300;
    CGPoint lastPressLocation_;
    long clickCount_ = 0;
};

} // namespace platform
