#pragma once
#include "ui/TargetAction.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class NSApplication;
class NSApplicationBackend;
class NSMenu;
class NSWindow;

/// Stand-in for the platform's notification, as the application hands it to its delegate.
struct NSNotification {
    std::string name;
    const void* object = nullptr;
};

/// What the application tells its delegate (`NSApplicationDelegate`); every member has a default.
class NSApplicationDelegate {
public:
    virtual ~NSApplicationDelegate() = default;
    /// Told once, when run() has finished launching and before the first event.
    virtual void applicationDidFinishLaunching(const NSNotification&) {}
    /// Asked when the last visible window closed; true ends the application.
    virtual bool applicationShouldTerminateAfterLastWindowClosed(NSApplication&) { return false; }
    /// Told when the application is about to end.
    virtual void applicationWillTerminate(const NSNotification&) {}
};

/// Activation policies, with the platform's values; the stand-in has no Dock or menu bar to change.
enum NSApplicationActivationPolicy : long {
    NSApplicationActivationPolicyRegular = 0,
};

/// Stand-in for the platform's application object: one per process (the library is shared, so a host
/// and the effect it loads see the same one). It holds the delegate (weakly: it does not own it), the
/// main menu, the visible windows, and the user-interface back end, which runs the event loop.
/// run() returns once terminate: has been sent (the platform ends the process instead; a program
/// returns from main then). Main thread only.
class NSApplication {
public:
    /// The application object (`NSApplication.shared`, `NSApp`).
    static NSApplication& shared();

    void setDelegate(std::weak_ptr<NSApplicationDelegate> delegate) { delegate_ = std::move(delegate); }
    std::shared_ptr<NSApplicationDelegate> delegate() const { return delegate_.lock(); }
    /// Accepts any policy (there is nothing for it to change); true.
    bool setActivationPolicy(NSApplicationActivationPolicy) { return true; }
    void setMainMenu(std::shared_ptr<NSMenu> menu) { mainMenu_ = std::move(menu); }
    const std::shared_ptr<NSMenu>& mainMenu() const { return mainMenu_; }

    /// Finishes launching (once), then runs the back end's event loop until terminate: is sent.
    void run();
    /// Tells the delegate that launching finished, the first time only.
    void finishLaunching();
    /// Ends the application: tells the delegate, then makes run() return (at once when not running).
    void terminate(const void* sender = nullptr);
    /// Sends `action` without a target to the application's own responders: "terminate:" terminates.
    /// False for an action nothing responds to.
    bool sendAction(const SEL& action, const void* sender);

    /// The visible windows, front to back.
    const std::vector<std::shared_ptr<NSWindow>>& windows() const { return windows_; }

    /// The back end in use. Chosen on first use: the one installed with setBackend (tests and hosts
    /// install the offscreen one), else the registered "x11" back end. Throws std::runtime_error with a
    /// readable message when none can be made (no X11 back end in the build, no display).
    NSApplicationBackend& backend();
    /// True once a back end is in use.
    bool hasBackend() const { return backend_ != nullptr; }
    /// Installs `backend`; throws std::logic_error when windows of another back end exist.
    void setBackend(std::unique_ptr<NSApplicationBackend> backend);

    /// Called by NSWindow: shown, hidden, closed.
    void windowDidShow(NSWindow& window);
    void windowDidHide(NSWindow& window);
    void windowDidClose(NSWindow& window);
    /// Counts the windows alive (shown or not) that depend on the back end.
    void windowCreated() { ++liveWindows_; }
    void windowDestroyed() { --liveWindows_; }

    NSApplication(const NSApplication&) = delete;
    NSApplication& operator=(const NSApplication&) = delete;

private:
    NSApplication();
    ~NSApplication();

    std::weak_ptr<NSApplicationDelegate> delegate_;
    std::shared_ptr<NSMenu> mainMenu_;
    std::vector<std::shared_ptr<NSWindow>> windows_;
    std::unique_ptr<NSApplicationBackend> backend_;
    bool launched_ = false;
    bool terminating_ = false;
    int liveWindows_ = 0;
};

} // namespace platform
