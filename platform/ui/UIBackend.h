#pragma once
/// The seam between the user-interface stand-in and the back ends that put it on a screen (X11) or in a
/// bitmap (offscreen). Everything above this line (views, layers, recognisers, windows, the application
/// object, the main queue, the compositor) is shared; a back end only moves pixels out and events in.
///
/// What a back end must do (the X11 one as the offscreen one):
///
/// - Choice. NSApplication::backend() makes the back end on first use: the one a test or host installed
///   with NSApplication::setBackend (OffscreenBackend::install()), otherwise the factory registered under
///   the name "x11" (registerApplicationBackend, from a static initialiser in the back end's own source:
///   the library is shared, so the initialiser runs when it loads). A factory that cannot work (no
///   display) returns null with a message in `error`, which backend() throws as std::runtime_error.
///
/// - Windows. NSWindow's constructor asks createWindowBackend for its NSWindowBackend and calls it from then
///   on: show/hide (map/unmap; the first show makes the native window), setTitle (UTF-8: _NET_WM_NAME and
///   WM_NAME; WM_CLASS from the program), setContentRect (content size and screen position, points from
///   the screen's bottom-left; size hints min = max = the size unless the style mask has
///   NSWindowStyleMaskResizable), markDirty, close (destroy the native window; nothing is called after).
///   Pixels per point: pixelDensity(), 1 unless QUORBEL_UI_SCALE asks for more (pixelDensityFromEnvironment).
///
/// - Drawing. Never from inside an event handler, and never from markDirty. Once per turn of the run
///   loop, after the events and the main queue of that turn, for each visible window whose needsDisplay()
///   is true: Compositor::drawWindow(window, cr, density) into an offscreen surface of the window's pixel
///   size (double buffering), then copy it to the window in one operation. Expose events copy the last
///   buffer again (or redraw when there is none); a resize from the window manager calls
///   NSWindow::setContentSize (which lays out and marks the window dirty) before drawing.
///
/// - Events. Every input event becomes an NSEvent handed to NSWindow::sendEvent of its window, the same
///   entry that tests use: button 1 press/release as left mouse down/up, motion with button 1 as left
///   mouse dragged, other motion as mouse moved, key press as key down (characters in UTF-8, Escape with
///   keyCode kVK_Escape; Ctrl reported as NSEventModifierFlagCommand, Alt as Option, Shift as Shift).
///   Locations are window coordinates: points from the bottom-left of the content area, y upward
///   (x / density, (pixelHeight - y) / density). Timestamps are seconds on a monotonic clock (X server
///   time / 1000). NSWindow counts the clicks. A lost pointer grab or focus while a button is held
///   (LeaveNotify with NotifyGrab, FocusOut) is sent as NSEventTypePointerGrabLost. WM_DELETE_WINDOW is
///   NSWindow::performClose.
///
/// - The main queue. Each turn drains DispatchQueue::main() (drain()). Before sleeping, the loop calls
///   DispatchQueue::main().prepareToSleep(); when that returns false it must not sleep. Otherwise it polls
///   the X connection's descriptor and DispatchQueue::main().wakeDescriptor() together, then calls
///   finishSleeping(). A post from any thread while the loop sleeps makes the descriptor readable.
///
/// - Ending. run() returns when stop() was called (NSApplication::terminate calls it), after finishing
///   the current turn. stop() may be called from inside an event handler or a queued work item. A window
///   that another client destroys (a window manager's destroy) is closed as NSWindow::close does. When the
///   connection to the display is lost (the server ends, or another client kills the connection), run()
///   throws DisplayConnectionLost; the windows and views stay usable objects, but nothing reaches a screen
///   any more and every later run() throws again.

#include "graphics/CGGeometry.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {

class NSApplication;
class NSWindow;

/// What run() throws when the connection to the display is lost; what() names the display.
class DisplayConnectionLost : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One window's part of a back end. Main thread only.
class NSWindowBackend {
public:
    virtual ~NSWindowBackend() = default;
    /// Shows the window (the first call makes the native window).
    virtual void show() = 0;
    /// Hides the window.
    virtual void hide() = 0;
    /// The window's title, UTF-8.
    virtual void setTitle(const std::string& title) = 0;
    /// The content rectangle on the screen (points, bottom-left origin) or the style mask changed: size,
    /// position and size hints (fixed size unless resizable) follow `window`. Also called after the back
    /// end itself reported a new size (NSWindow::setContentSize); a rectangle already in effect changes
    /// nothing.
    virtual void setContentRect(CGRect contentRect) = 0;
    /// Something in the window changed: draw it at the next turn of the run loop (not now).
    virtual void markDirty() = 0;
    /// The window closed: release the native window. Nothing is called after this.
    virtual void close() = 0;
};

/// The application's part of a back end: makes window back ends and runs the event loop. Main thread.
class NSApplicationBackend {
public:
    virtual ~NSApplicationBackend() = default;
    /// "offscreen", "x11".
    virtual const char* name() const = 0;
    /// The back end of a new window (called from NSWindow's constructor; `window` is being built and
    /// may only be stored).
    virtual std::unique_ptr<NSWindowBackend> createWindowBackend(NSWindow& window) = 0;
    /// Runs the event loop until stop(): events to NSWindow::sendEvent, the main queue drained, dirty
    /// windows laid out and drawn once per turn.
    virtual void run(NSApplication& application) = 0;
    /// Makes run() return after the current turn.
    virtual void stop() = 0;
    /// The main screen's rectangle in points (bottom-left origin).
    virtual CGRect screenFrame() const = 0;
    /// Pixels per point of the windows' pixels.
    virtual CGFloat pixelDensity() const = 0;
};

/// Makes a back end, or returns null with a readable message in `error`.
using NSApplicationBackendFactory = std::function<std::unique_ptr<NSApplicationBackend>(std::string& error)>;

/// Registers `factory` under `name` (replacing an earlier one); call from a static initialiser.
/// Returns true, so that the call can initialise a static.
bool registerApplicationBackend(const std::string& name, NSApplicationBackendFactory factory);
/// The back end registered under `name`, made now; null with `error` set when there is none or it
/// failed.
std::unique_ptr<NSApplicationBackend> makeApplicationBackend(const std::string& name, std::string& error);

/// Pixels per point that the environment asks for: QUORBEL_UI_SCALE when it holds a decimal number from 1
/// to 4 (digits with at most one point, read the same whatever the process locale), otherwise 1, with a
/// warning on stderr that names the variable, its value and the range when it is set to anything else.
/// Unset or empty: 1.
CGFloat pixelDensityFromEnvironment();

} // namespace platform
