#pragma once
#include "graphics/CGGeometry.h"
#include "ui/CALayer.h"
#include "ui/NSEvent.h"
#include "ui/NSLayoutAnchor.h"

#include <memory>
#include <vector>

namespace platform {

class NSGestureRecognizer;
class NSLayoutConstraint;
class NSViewController;
class NSWindow;

/// No intrinsic size along an axis (`NSViewNoIntrinsicMetric`).
inline constexpr CGFloat NSViewNoIntrinsicMetric = -1;

/// Stand-in for the platform's view: a frame in the superview's coordinates, bounds at (0, 0) of the
/// frame's size, subviews drawn in order above the view, an optional backing layer, layout, gesture
/// recognisers, hit testing and point conversion. A view is not flipped by default (y grows upward from
/// its bottom-left corner); a flipped view has y growing downward from its top-left corner.
///
/// Views are held by std::shared_ptr (the superview owns its subviews); make them with std::make_shared.
/// The view never paints a window itself: the compositor walks the tree and calls drawRect where a view
/// has content of its own. Main thread only, like every view, layer and recogniser.
class NSView : public std::enable_shared_from_this<NSView> {
public:
    /// A view with `frame` (`initWithFrame:`).
    explicit NSView(CGRect frame = {});
    virtual ~NSView();
    NSView(const NSView&) = delete;
    NSView& operator=(const NSView&) = delete;

    // Geometry.
    /// The frame, in the superview's coordinates.
    CGRect frame() const { return frame_; }
    /// Sets the frame; a change of size asks for layout, any change for a redraw; the backing layer
    /// follows.
    virtual void setFrame(CGRect frame);
    void setFrameOrigin(CGPoint origin) { setFrame({origin, frame_.size}); }
    void setFrameSize(CGSize size) { setFrame({frame_.origin, size}); }
    /// The view's own rectangle: origin (0, 0), the frame's size.
    CGRect bounds() const { return {0, 0, frame_.size.width, frame_.size.height}; }
    /// True when y grows downward in the view's coordinates. False unless overridden.
    virtual bool isFlipped() const { return false; }
    /// A hidden view and its subviews are neither drawn nor hit.
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);

    // Hierarchy.
    NSView* superview() const { return superview_; }
    /// Subviews, back to front.
    const std::vector<std::shared_ptr<NSView>>& subviews() const { return subviews_; }
    /// Appends `view` in front of the other subviews, taking it from its former superview. Allocates.
    void addSubview(std::shared_ptr<NSView> view);
    /// Detaches the view from its superview; nothing when it has none.
    void removeFromSuperview();
    /// True when this view is `view` or lies inside it.
    bool isDescendantOf(const NSView* view) const;
    /// The window whose content holds this view, or null.
    NSWindow* window() const;

    // Layer backing.
    bool wantsLayer() const { return wantsLayer_; }
    /// True makes the backing layer (once; it stays), whose bounds and position follow the view.
    void setWantsLayer(bool wantsLayer);
    /// The backing layer, or null.
    CALayer* layer() const { return layer_.get(); }

    // Display.
    /// Asks the view's window for a redraw at the next turn of the run loop (coalesced).
    void setNeedsDisplay(bool flag);
    /// Draws the view's own content into the current graphics context, in the view's coordinates (the
    /// context's convention follows isFlipped). The compositor calls it after the backing layer and before
    /// the subviews. Nothing by default.
    virtual void drawRect(CGRect dirtyRect);

    // Layout.
    /// Places the subviews whose frames come from constraints (those not translating their autoresizing
    /// mask). Runs when the view's size changed or layout was asked for, before the next drawing.
    virtual void layout();
    /// Asks for layout of this view before the next drawing.
    void setNeedsLayout(bool flag);
    /// Runs layout, top down, on this view and every view below that needs it; a view controller's
    /// viewDidLayout follows its view's layout.
    void layoutSubtreeIfNeeded();
    /// True (the default) when the frame is set by hand; false when constraints set it.
    bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool flag);
    /// The size the content needs, or NSViewNoIntrinsicMetric along an axis where it needs none.
    virtual CGSize intrinsicContentSize() const { return {NSViewNoIntrinsicMetric, NSViewNoIntrinsicMetric}; }
    /// Tells the layout that intrinsicContentSize changed: the view needs layout, and so do the views above
    /// it when constraints place it (a frame set by hand does not follow the content's size).
    void invalidateIntrinsicContentSize();
    /// The active constraints that involve this view (as first or second item).
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints() const { return constraints_; }

    NSLayoutXAxisAnchor centerXAnchor() { return {weak_from_this(), NSLayoutAttributeCenterX}; }
    NSLayoutYAxisAnchor centerYAnchor() { return {weak_from_this(), NSLayoutAttributeCenterY}; }
    NSLayoutDimension widthAnchor() { return {weak_from_this(), NSLayoutAttributeWidth}; }
    NSLayoutDimension heightAnchor() { return {weak_from_this(), NSLayoutAttributeHeight}; }

    // Events.
    /// Attaches `recognizer`; the view owns it. Allocates.
    void addGestureRecognizer(std::shared_ptr<NSGestureRecognizer> recognizer);
    void removeGestureRecognizer(NSGestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<NSGestureRecognizer>>& gestureRecognizers() const {
        return recognizers_;
    }
    /// The frontmost visible view at `point` (in the superview's coordinates; for a view without one, in
    /// window coordinates: y upward from its bottom-left corner) among this view and its descendants, or
    /// null. The top and left edges, as seen, are inside; the bottom and right edges are not.
    virtual NSView* hitTest(CGPoint point);
    /// `point` in `view`'s coordinates (window coordinates when `view` is null) converted to this
    /// view's (`convertPoint:fromView:`). Both views must be in one tree.
    CGPoint convertPointFromView(CGPoint point, const NSView* view) const;
    /// `point` in this view's coordinates converted to `view`'s (window coordinates when null).
    CGPoint convertPointToView(CGPoint point, const NSView* view) const;
    /// A rectangle converted as its corners are; the result is standardized.
    CGRect convertRectFromView(CGRect rect, const NSView* view) const;
    CGRect convertRectToView(CGRect rect, const NSView* view) const;

    /// Mouse and key handlers; the window's dispatch calls them after the gesture recognisers saw the
    /// event. Nothing by default, except that keyDown passes the event to the superview.
    virtual void mouseDown(const NSEvent& event);
    virtual void mouseDragged(const NSEvent& event);
    virtual void mouseUp(const NSEvent& event);
    virtual void mouseMoved(const NSEvent& event);
    virtual void keyDown(const NSEvent& event);

    /// Maps a point of this view to its superview's coordinates (to window coordinates, y upward from
    /// its bottom-left corner, when it has none).
    CGPoint pointToSuperview(CGPoint p) const;
    /// The inverse of pointToSuperview.
    CGPoint pointFromSuperview(CGPoint p) const;

private:
    friend class NSWindow;
    friend class NSViewController;
    friend class NSLayoutConstraint;

    void setWindowOfRoot(NSWindow* window) { rootWindow_ = window; }
    void addConstraint(std::shared_ptr<NSLayoutConstraint> constraint);
    void removeConstraint(const NSLayoutConstraint* constraint);
    /// Marks this view and every view above it as needing layout.
    void setNeedsLayoutUpward();
    CGPoint pointToWindow(CGPoint p) const;
    CGPoint pointFromWindow(CGPoint p) const;

    CGRect frame_;
    bool hidden_ = false;
    NSView* superview_ = nullptr;
    std::vector<std::shared_ptr<NSView>> subviews_;
    bool wantsLayer_ = false;
    std::shared_ptr<CALayer> layer_;
    bool needsLayout_ = true;
    bool translatesAutoresizingMask_ = true;
    std::vector<std::shared_ptr<NSLayoutConstraint>> constraints_;
    std::vector<std::shared_ptr<NSGestureRecognizer>> recognizers_;
    NSWindow* rootWindow_ = nullptr;
    NSViewController* controller_ = nullptr;
};

} // namespace platform
