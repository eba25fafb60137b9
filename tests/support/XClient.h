#pragma once
#include "graphics/CGImage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct _XDisplay;

namespace quorbel::test {

/// An X window id.
using XWindowId = unsigned long;

/// Asks `condition` every few milliseconds until it holds or `timeoutSeconds` pass; returns its last answer.
/// For what another process does in its own time (draw, end).
bool eventually(const std::function<bool()>& condition, double timeoutSeconds = 10);

/// A test's own connection to an X server, playing the user and the window manager: finds windows by name,
/// reads their properties, moves the pointer, presses buttons and keys through the XTEST extension (real
/// input, which the server delivers as it would from a mouse and keyboard), asks windows to close as a
/// window manager does, and takes screenshots. Window coordinates are pixels from the window's top-left
/// corner. Every call waits until the server has handled it. One thread at a time.
class XClient {
public:
    /// Connects to `displayName` (":N").
    explicit XClient(const std::string& displayName);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    /// True when connected and the server has the XTEST extension.
    bool ok() const { return display_ != nullptr && xtest_; }
    _XDisplay* display() const { return display_; }

    /// A viewable window whose title (_NET_WM_NAME, else WM_NAME) is `title`, searched in the whole tree
    /// until `timeoutSeconds` pass; 0 when none appeared. With a `pid`, only a window of that process
    /// (_NET_WM_PID) counts: the window of a program the test started, never one that a program which
    /// ended left behind (it stays on the screen until the server has noticed that program's end).
    XWindowId findWindow(const std::string& title, long pid = 0, double timeoutSeconds = 10);
    /// True when `window` no longer exists or is no longer viewable within `timeoutSeconds`.
    bool waitUntilGone(XWindowId window, double timeoutSeconds = 10);

    /// _NET_WM_NAME (UTF-8), empty when absent.
    std::string netWmName(XWindowId window);
    /// WM_NAME decoded to UTF-8, empty when absent.
    std::string wmName(XWindowId window);
    /// WM_CLASS: instance name, then class name.
    std::vector<std::string> wmClass(XWindowId window);
    /// WM_NORMAL_HINTS, as far as tests read them.
    struct SizeHints {
        bool hasMinSize = false, hasMaxSize = false;
        int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    };
    SizeHints sizeHints(XWindowId window);
    /// A property of 32-bit items (such as _MOTIF_WM_HINTS); empty when absent.
    std::vector<long> property32(XWindowId window, const std::string& name);
    /// Where the window is on the root window, and its size, in pixels.
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
    };
    Geometry geometry(XWindowId window);

    /// Moves the pointer to (x, y) in `window`.
    void movePointer(XWindowId window, int x, int y);
    /// Presses or releases a pointer button (1 is the left button) where the pointer is.
    void pressButton(int button = 1);
    void releaseButton(int button = 1);
    /// `count` quick clicks of the left button at (x, y) in `window`.
    void click(XWindowId window, int x, int y, int count = 1);
    /// Left button down at `fromX, fromY`, `steps` movements along the line to `toX, toY`, then, when
    /// `release`, up there.
    void drag(XWindowId window, int fromX, int fromY, int toX, int toY, int steps = 10, bool release = true);
    /// Modifier keys for key().
    enum Modifier : unsigned { control = 1, shift = 2, alt = 4 };
    /// Presses and releases the key of `keysymName` (as XStringToKeysym reads it: "q", "Escape") with
    /// `modifiers` held.
    void key(const std::string& keysymName, unsigned modifiers = 0);
    /// Takes the keyboard (as a window manager's switcher does) or gives it back.
    bool grabKeyboard();
    void ungrabKeyboard();

    /// Asks `window` to close as a window manager's close button does (WM_DELETE_WINDOW).
    void sendDeleteWindow(XWindowId window);
    /// Destroys `window` from this connection, as a window manager's destroy (or `xdotool windowclose`)
    /// does behind its owner's back.
    void destroyWindow(XWindowId window);
    /// Resizes `window` as a window manager does.
    void resize(XWindowId window, int width, int height);
    /// Draws a filled rectangle of `rgb` into `window` behind its owner's back, then tells the owner the
    /// area was exposed: an expose whose damage is visible until the owner repaints.
    void damage(XWindowId window, int x, int y, int width, int height, unsigned long rgb);
    /// Sends `window` an empty client message of its own (to wake its owner's event loop).
    void poke(XWindowId window);

    /// The window's pixels as the server shows them (opaque); the window must lie wholly on the screen.
    std::shared_ptr<platform::CGImage> screenshot(XWindowId window);

    /// Waits until the server has handled every request so far.
    void sync();

private:
    void sendClientMessage(XWindowId window, const char* type, long data);

    _XDisplay* display_ = nullptr;
    bool xtest_ = false;
};

} // namespace quorbel::test
