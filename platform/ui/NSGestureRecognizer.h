#pragma once
#include "graphics/CGGeometry.h"
#include "ui/NSEvent.h"
#include "ui/TargetAction.h"

namespace platform {

class NSView;

/// States of a gesture recogniser, with the platform's values.
enum NSGestureRecognizerState : long {
    NSGestureRecognizerStatePossible = 0,
    NSGestureRecognizerStateBegan = 1,
    NSGestureRecognizerStateChanged = 2,
    NSGestureRecognizerStateEnded = 3,
    NSGestureRecognizerStateCancelled = 4,
    NSGestureRecognizerStateFailed = 5,
};

/// Stand-in for the platform's gesture recogniser: attached to a view, it sees the mouse and key events
/// of presses that start on that view or a view inside it, before the view does, and sends its action to
/// its target at each change of state that the platform reports (began, changed, ended, cancelled; for a
/// discrete gesture only ended). After ended, cancelled or failed it goes back to possible (reset) once
/// the event has been handled. Main thread only.
class NSGestureRecognizer {
public:
    using Action = TargetAction<NSGestureRecognizer>;

    /// A recogniser sending `action` (`initWithTarget:action:`).
    explicit NSGestureRecognizer(Action action = {}) : action_(std::move(action)) {}
    virtual ~NSGestureRecognizer() = default;
    NSGestureRecognizer(const NSGestureRecognizer&) = delete;
    NSGestureRecognizer& operator=(const NSGestureRecognizer&) = delete;

    NSGestureRecognizerState state() const { return state_; }

    /// Event entry, called by the window's dispatch (not by the system's code). Nothing by default.
    virtual void mouseDown(const NSEvent&) {}
    virtual void mouseDragged(const NSEvent&) {}
    virtual void mouseUp(const NSEvent&) {}
    /// Escape, or the pointer lost: a gesture in progress (began or changed) is cancelled.
    virtual void cancelTracking();
    /// Back to possible, forgetting the gesture; the window calls it after ended, cancelled or failed.
    virtual void reset();

protected:
    /// Moves to `state` and sends the action where the platform would.
    void setState(NSGestureRecognizerState state);
    /// True for gestures that go through began and changed (pan), false for discrete ones (click).
    virtual bool isContinuous() const = 0;

private:
    friend class NSView;
    NSGestureRecognizerState state_ = NSGestureRecognizerStatePossible;
    NSView* view_ = nullptr; ///< the view the recogniser is attached to, or null
    Action action_;
};

/// Stand-in for the platform's pan recogniser (left button): begins at the first movement with the button
/// held, then changes with every further movement, ends when the button goes up; Escape or a lost pointer
/// cancels it. A press released without movement fails it.
class NSPanGestureRecognizer : public NSGestureRecognizer {
public:
    using NSGestureRecognizer::NSGestureRecognizer;
    /// The pointer's travel since the button went down, in `view`'s coordinates (window coordinates when
    /// null): the difference of the two locations converted into that view, so that in a flipped view
    /// upward travel has negative y.
    CGPoint translationInView(const NSView* view) const;

    void mouseDown(const NSEvent& event) override;
    void mouseDragged(const NSEvent& event) override;
    void mouseUp(const NSEvent& event) override;
    void reset() override;

protected:
    bool isContinuous() const override { return true; }

private:
    bool pressed_ = false;
    CGPoint start_;
    CGPoint current_;
};

/// Stand-in for the platform's click recogniser (left button): recognises (ended) when the button goes
/// up on the click that completes `numberOfClicksRequired` quick clicks, as the window counts them (within
/// the double-click interval, 500 ms, and 4 points of the previous press); fails when a press moves more
/// than 4 points or the run of clicks breaks.
class NSClickGestureRecognizer : public NSGestureRecognizer {
public:
    using NSGestureRecognizer::NSGestureRecognizer;
    /// Farthest a press may travel and still be a click, in points.
    static constexpr CGFloat allowableMovement = 4;

    void setNumberOfClicksRequired(long clicks) { clicksRequired_ = clicks < 1 ? 1 : clicks; }

    void mouseDown(const NSEvent& event) override;
    void mouseDragged(const NSEvent& event) override;
    void mouseUp(const NSEvent& event) override;
    void reset() override;

protected:
    bool isContinuous() const override { return false; }

private:
    long clicksRequired_ = 1;
    bool pressed_ = false;
    CGPoint pressLocation_;
};

} // namespace platform
