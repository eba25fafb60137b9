#include "ui/NSApplication.h"

#include "ui/NSWindow.h"
#include "ui/UIBackend.h"

#include <algorithm>
#include <stdexcept>

namespace platform {

NSApplication::NSApplication() = default;
NSApplication::~NSApplication() = default;

NSApplication& NSApplication::shared() {
    // Never destroyed: windows and views that outlive main may still reach it while they go.
    static NSApplication* application = new NSApplication();
    return *application;
}

NSApplicationBackend& NSApplication::backend() {
    if (!backend_) {
        std::string error;
        backend_ = makeApplicationBackend("x11", error);
        if (!backend_) {
            throw std::runtime_error("no user-interface back end: " + error);
        }
    }
    return *backend_;
}

void NSApplication::setBackend(std::unique_ptr<NSApplicationBackend> backend) {
    if (backend_ && liveWindows_ > 0) {
        throw std::logic_error("the user-interface back end cannot change while windows exist");
    }
    backend_ = std::move(backend);
}

void NSApplication::finishLaunching() {
    if (launched_) {
        return;
    }
    launched_ = true;
    if (const auto d = delegate()) {
        d->applicationDidFinishLaunching({"NSApplicationDidFinishLaunchingNotification", this});
    }
}

void NSApplication::run() {
    NSApplicationBackend& b = backend();
    finishLaunching();
    if (!terminating_) {
        b.run(*this);
    }
    terminating_ = false;
}

void NSApplication::terminate(const void*) {
    if (terminating_) {
        return;
    }
    terminating_ = true;
    if (const auto d = delegate()) {
        d->applicationWillTerminate({"NSApplicationWillTerminateNotification", this});
    }
    // Outside run() the flag makes the next run() return once launched; run() clears it.
    if (backend_) {
        backend_->stop();
    }
}

bool NSApplication::sendAction(const SEL& action, const void* sender) {
    if (action == "terminate:") {
        terminate(sender);
        return true;
    }
    return false;
}

void NSApplication::windowDidShow(NSWindow& window) {
    auto shared = window.weak_from_this().lock();
    if (!shared) {
        return;
    }
    std::erase(windows_, shared);
    windows_.insert(windows_.begin(), std::move(shared));
}

void NSApplication::windowDidHide(NSWindow& window) {
    std::erase_if(windows_, [&window](const auto& w) { return w.get() == &window; });
}

void NSApplication::windowDidClose(NSWindow& window) {
    const bool wasListed = std::any_of(windows_.begin(), windows_.end(),
                                       [&window](const auto& w) { return w.get() == &window; });
    windowDidHide(window);
    if (wasListed && windows_.empty()) {
        if (const auto d = delegate(); d && d->applicationShouldTerminateAfterLastWindowClosed(*this)) {
            terminate(this);
        }
    }
}

} // namespace platform
