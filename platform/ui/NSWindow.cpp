#include "ui/NSWindow.h"

#include "ui/NSApplication.h"
#include "ui/NSGestureRecognizer.h"
#include "ui/NSMenu.h"
#include "ui/NSView.h"
#include "ui/NSViewController.h"
#include "ui/UIBackend.h"

#include <algorithm>
#include <cmath>

namespace platform {

NSWindow::NSWindow(CGRect contentRect, NSWindowStyleMask style, NSBackingStoreType, bool)
    : contentRect_(contentRect.standardized()), style_(style) {
    NSApplication& app = NSApplication::shared();
    backend_ = app.backend().createWindowBackend(*this);
    app.windowCreated();
    contentView_ = std::make_shared<NSView>(CGRect(0, 0, contentRect_.width(), contentRect_.height()));
    contentView_->setWindowOfRoot(this);
    backend_->setContentRect(contentRect_);
}

NSWindow::~NSWindow() {
    if (contentView_) {
        contentView_->setWindowOfRoot(nullptr);
    }
    if (!closed_ && backend_) {
        backend_->close();
    }
    NSApplication::shared().windowDestroyed();
}

void NSWindow::setStyleMask(NSWindowStyleMask style) {
    style_ = style;
    if (!closed_) {
        backend_->setContentRect(contentRect_);
    }
}

void NSWindow::setTitle(std::string title) {
    title_ = std::move(title);
    if (!closed_) {
        backend_->setTitle(title_);
    }
}

void NSWindow::updateBackendFrame() {
    if (!closed_) {
        backend_->setContentRect(contentRect_);
    }
}

void NSWindow::setContentSize(CGSize size) {
    const CGFloat w = std::isfinite(size.width) && size.width > 0 ? size.width : 0;
    const CGFloat h = std::isfinite(size.height) && size.height > 0 ? size.height : 0;
    if (w == contentRect_.size.width && h == contentRect_.size.height) {
        return;
    }
    // Keep the top-left corner where it is (y grows upward on the screen).
    const CGFloat top = contentRect_.maxY();
    contentRect_ = {contentRect_.origin.x, top - h, w, h};
    if (contentView_) {
        contentView_->setFrame({0, 0, w, h});
    }
    updateBackendFrame();
    setViewsNeedDisplay(true);
}

void NSWindow::setFrameOrigin(CGPoint origin) {
    contentRect_.origin = origin;
    updateBackendFrame();
}

void NSWindow::center() {
    const CGRect screen = NSApplication::shared().backend().screenFrame();
    const CGFloat x = screen.minX() + std::floor((screen.width() - contentRect_.width()) * 0.5);
    // A third of the spare height above, two thirds below: a little above the middle.
    const CGFloat spare = screen.height() - contentRect_.height();
    const CGFloat y = screen.minY() + std::floor(spare * 2.0 / 3.0);
    setFrameOrigin({x, y});
}

void NSWindow::setContentView(std::shared_ptr<NSView> view) {
    if (view == contentView_) {
        return;
    }
    endPress();
    if (contentView_) {
        contentView_->setWindowOfRoot(nullptr);
    }
    if (!view) {
        view = std::make_shared<NSView>();
    }
    view->removeFromSuperview();
    view->setFrame({0, 0, contentRect_.width(), contentRect_.height()});
    view->setWindowOfRoot(this);
    view->setNeedsLayout(true);
    contentView_ = std::move(view);
    setViewsNeedDisplay(true);
}

void NSWindow::setContentViewController(std::shared_ptr<NSViewController> controller) {
    if (visible_ && contentController_) {
        contentController_->viewWillDisappear();
        contentController_->viewDidDisappear();
    }
    contentController_ = std::move(controller);
    if (!contentController_) {
        return;
    }
    const std::shared_ptr<NSView> view = contentController_->view();
    const CGSize preferred = contentController_->preferredContentSize();
    if (preferred.width > 0 && preferred.height > 0) {
        setContentSize(preferred);
    }
    setContentView(view);
    if (visible_) {
        contentController_->viewWillAppear();
        contentController_->viewDidAppear();
    }
}

void NSWindow::makeKeyAndOrderFront(const void*) {
    if (closed_) {
        return;
    }
    const bool appearing = !visible_;
    if (appearing && contentController_) {
        contentController_->viewWillAppear();
    }
    visible_ = true;
    backend_->show();
    NSApplication::shared().windowDidShow(*this);
    if (appearing && contentController_) {
        contentController_->viewDidAppear();
    }
    setViewsNeedDisplay(true);
}

void NSWindow::orderOut(const void*) {
    if (!visible_ || closed_) {
        return;
    }
    if (contentController_) {
        contentController_->viewWillDisappear();
    }
    visible_ = false;
    endPress();
    backend_->hide();
    NSApplication::shared().windowDidHide(*this);
    if (contentController_) {
        contentController_->viewDidDisappear();
    }
}

void NSWindow::close() {
    if (closed_) {
        return;
    }
    // The application may hold the last reference; keep the window alive to the end of the call.
    const std::shared_ptr<NSWindow> self = weak_from_this().lock();
    if (visible_ && contentController_) {
        contentController_->viewWillDisappear();
    }
    const bool wasVisible = visible_;
    visible_ = false;
    closed_ = true;
    endPress();
    backend_->close();
    if (wasVisible && contentController_) {
        contentController_->viewDidDisappear();
    }
    NSApplication::shared().windowDidClose(*this);
}

void NSWindow::performClose(const void*) {
    close();
}

void NSWindow::layoutIfNeeded() {
    if (contentView_) {
        contentView_->layoutSubtreeIfNeeded();
    }
}

void NSWindow::setViewsNeedDisplay(bool flag) {
    if (!flag) {
        needsDisplay_ = false;
        return;
    }
    if (!needsDisplay_) {
        needsDisplay_ = true;
        if (!closed_ && backend_) {
            backend_->markDirty();
        }
    }
}

void NSWindow::didDisplay() {
    needsDisplay_ = false;
    ++displayCount_;
}

void NSWindow::endPress() {
    pressed_ = false;
    trackingView_.reset();
    trackingRecognizers_.clear();
}

namespace {

/// Puts recognisers that finished (ended, cancelled, failed) back to possible.
void resetFinished(const std::vector<std::shared_ptr<NSGestureRecognizer>>& recognizers) {
    for (const auto& r : recognizers) {
        const auto s = r->state();
        if (s == NSGestureRecognizerStateEnded || s == NSGestureRecognizerStateCancelled ||
            s == NSGestureRecognizerStateFailed) {
            r->reset();
        }
    }
}

void cancelGestures(const std::vector<std::shared_ptr<NSGestureRecognizer>>& recognizers) {
    for (const auto& r : recognizers) {
        r->cancelTracking();
    }
    resetFinished(recognizers);
}

} // namespace

void NSWindow::sendEvent(NSEvent event) {
    // A handler may close the window and drop the last reference to it.
    const std::shared_ptr<NSWindow> self = weak_from_this().lock();
    if (closed_) {
        return;
    }
    event.window = this;
    switch (event.type) {
    case NSEventTypeLeftMouseDown: {
        const CGPoint p = event.locationInWindow;
        if (event.timestamp - lastPressTime_ <= doubleClickInterval &&
            std::hypot(p.x - lastPressLocation_.x, p.y - lastPressLocation_.y) <= doubleClickDistance) {
            ++clickCount_;
        } else {
            clickCount_ = 1;
        }
        lastPressTime_ = event.timestamp;
        lastPressLocation_ = p;
        event.clickCount = clickCount_;
        if (pressed_) {
            cancelGestures(trackingRecognizers_);
            endPress();
        }
        NSView* hit = nullptr;
        if (contentView_) {
            hit = contentView_->hitTest(p);
        }
        pressed_ = true;
        pressClickCount_ = clickCount_;
        if (hit == nullptr) {
            return;
        }
        trackingView_ = hit->weak_from_this();
        for (NSView* v = hit; v != nullptr; v = v->superview()) {
            for (const auto& r : v->gestureRecognizers()) {
                trackingRecognizers_.push_back(r);
            }
        }
        const auto recognizers = trackingRecognizers_;
        for (const auto& r : recognizers) {
            r->mouseDown(event);
        }
        resetFinished(recognizers);
        if (const auto view = trackingView_.lock()) {
            view->mouseDown(event);
        }
        return;
    }
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeLeftMouseUp: {
        if (!pressed_) {
            return;
        }
        event.clickCount = pressClickCount_;
        const bool up = event.type == NSEventTypeLeftMouseUp;
        const auto recognizers = trackingRecognizers_;
        for (const auto& r : recognizers) {
            if (up) {
                r->mouseUp(event);
            } else {
                r->mouseDragged(event);
            }
        }
        resetFinished(recognizers);
        const auto view = trackingView_.lock();
        if (up) {
            endPress();
        }
        if (view && !closed_) {
            if (up) {
                view->mouseUp(event);
            } else {
                view->mouseDragged(event);
            }
        }
        return;
    }
    case NSEventTypeMouseMoved: {
        if (contentView_) {
            if (NSView* hit = contentView_->hitTest(event.locationInWindow)) {
                hit->mouseMoved(event);
            }
        }
        return;
    }
    case NSEventTypeKeyDown: {
        if ((event.modifierFlags & NSEventModifierFlagCommand) != 0) {
            if (const auto menu = NSApplication::shared().mainMenu();
                menu && menu->performKeyEquivalent(event)) {
                return;
            }
        }
        if (event.keyCode == kVK_Escape || event.characters == "\x1b") {
            cancelGestures(trackingRecognizers_);
        }
        if (contentView_ && !closed_) {
            contentView_->keyDown(event);
        }
        return;
    }
    case NSEventTypePointerGrabLost:
        cancelGestures(trackingRecognizers_);
        endPress();
        return;
    default:
        return;
    }
}

} // namespace platform
