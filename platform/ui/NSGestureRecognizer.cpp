#include "ui/NSGestureRecognizer.h"

#include "ui/NSView.h"

#include <cmath>

namespace platform {

namespace {
CGFloat distance(CGPoint a, CGPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}
} // namespace

void NSGestureRecognizer::setState(NSGestureRecognizerState state) {
    state_ = state;
    const bool sends =
        isContinuous() ? state != NSGestureRecognizerStatePossible && state != NSGestureRecognizerStateFailed
                       : state == NSGestureRecognizerStateEnded;
    if (sends) {
        action_.send(this);
    }
}

void NSGestureRecognizer::cancelTracking() {
    if (state_ == NSGestureRecognizerStateBegan || state_ == NSGestureRecognizerStateChanged) {
        setState(NSGestureRecognizerStateCancelled);
    }
}

void NSGestureRecognizer::reset() {
    state_ = NSGestureRecognizerStatePossible;
}

CGPoint NSPanGestureRecognizer::translationInView(const NSView* view) const {
    if (view == nullptr) {
        return {current_.x - start_.x, current_.y - start_.y};
    }
    const CGPoint a = view->convertPointFromView(start_, nullptr);
    const CGPoint b = view->convertPointFromView(current_, nullptr);
    return {b.x - a.x, b.y - a.y};
}

void NSPanGestureRecognizer::mouseDown(const NSEvent& event) {
    pressed_ = true;
    start_ = current_ = event.locationInWindow;
}

void NSPanGestureRecognizer::mouseDragged(const NSEvent& event) {
    if (!pressed_) {
        return;
    }
    current_ = event.locationInWindow;
    if (state() == NSGestureRecognizerStatePossible) {
        if (current_.x != start_.x || current_.y != start_.y) {
            setState(NSGestureRecognizerStateBegan);
        }
    } else if (state() == NSGestureRecognizerStateBegan || state() == NSGestureRecognizerStateChanged) {
        setState(NSGestureRecognizerStateChanged);
    }
}

void NSPanGestureRecognizer::mouseUp(const NSEvent& event) {
    if (!pressed_) {
        return;
    }
    pressed_ = false;
    current_ = event.locationInWindow;
    if (state() == NSGestureRecognizerStateBegan || state() == NSGestureRecognizerStateChanged) {
        setState(NSGestureRecognizerStateEnded);
    } else if (state() == NSGestureRecognizerStatePossible) {
        setState(NSGestureRecognizerStateFailed);
    }
}

void NSPanGestureRecognizer::reset() {
    NSGestureRecognizer::reset();
    pressed_ = false;
}

void NSClickGestureRecognizer::mouseDown(const NSEvent& event) {
    pressed_ = true;
    pressLocation_ = event.locationInWindow;
}

void NSClickGestureRecognizer::mouseDragged(const NSEvent& event) {
    if (!pressed_) {
        return;
    }
    if (state() == NSGestureRecognizerStatePossible &&
        distance(event.locationInWindow, pressLocation_) > allowableMovement) {
        setState(NSGestureRecognizerStateFailed);
    }
}

void NSClickGestureRecognizer::mouseUp(const NSEvent& event) {
    if (!pressed_) {
        return;
    }
    pressed_ = false;
    if (state() != NSGestureRecognizerStatePossible) {
        return;
    }
    if (distance(event.locationInWindow, pressLocation_) > allowableMovement) {
        setState(NSGestureRecognizerStateFailed);
    } else if (event.clickCount == clicksRequired_) {
        setState(NSGestureRecognizerStateEnded);
    }
}

void NSClickGestureRecognizer::reset() {
    NSGestureRecognizer::reset();
    pressed_ = false;
}

} // namespace platform
