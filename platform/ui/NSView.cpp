#include "ui/NSView.h"

#include "ui/NSGestureRecognizer.h"
#include "ui/NSLayoutConstraint.h"
#include "ui/NSViewController.h"
#include "ui/NSWindow.h"

#include <algorithm>

namespace platform {

NSView::NSView(CGRect frame) : frame_(frame) {}

NSView::~NSView() {
    for (const auto& subview : subviews_) {
        subview->superview_ = nullptr;
    }
    if (layer_) {
        layer_->hostingView_ = nullptr;
    }
    for (const auto& recognizer : recognizers_) {
        recognizer->view_ = nullptr;
    }
}

void NSView::setFrame(CGRect frame) {
    const bool resized = frame.size != frame_.size;
    if (frame == frame_) {
        return;
    }
    setNeedsDisplay(true); // the old area
    frame_ = frame;
    if (layer_) {
        layer_->bounds_ = bounds();
        layer_->position_ = {frame_.midX(), frame_.midY()};
    }
    if (resized) {
        setNeedsLayout(true);
    }
    setNeedsDisplay(true);
}

void NSView::setHidden(bool hidden) {
    if (hidden != hidden_) {
        hidden_ = hidden;
        if (superview_ != nullptr) {
            superview_->setNeedsDisplay(true);
        }
    }
}

void NSView::addSubview(std::shared_ptr<NSView> view) {
    if (!view || view.get() == this || isDescendantOf(view.get())) {
        return;
    }
    view->removeFromSuperview();
    view->superview_ = this;
    subviews_.push_back(std::move(view));
    setNeedsLayout(true);
    setNeedsDisplay(true);
}

void NSView::removeFromSuperview() {
    NSView* parent = superview_;
    if (parent == nullptr) {
        return;
    }
    auto& list = parent->subviews_;
    const auto it = std::find_if(list.begin(), list.end(), [this](const auto& v) { return v.get() == this; });
    superview_ = nullptr;
    if (it != list.end()) {
        // The list may hold the last reference: this view may be gone after the block.
        const std::shared_ptr<NSView> self = std::move(*it);
        list.erase(it);
        parent->setNeedsLayout(true);
        parent->setNeedsDisplay(true);
    }
}

bool NSView::isDescendantOf(const NSView* view) const {
    for (const NSView* v = this; v != nullptr; v = v->superview_) {
        if (v == view) {
            return true;
        }
    }
    return false;
}

NSWindow* NSView::window() const {
    const NSView* root = this;
    while (root->superview_ != nullptr) {
        root = root->superview_;
    }
    return root->rootWindow_;
}

void NSView::setWantsLayer(bool wantsLayer) {
    wantsLayer_ = wantsLayer;
    if (wantsLayer && !layer_) {
        layer_ = CALayer::layer();
        layer_->hostingView_ = this;
        layer_->bounds_ = bounds();
        layer_->position_ = {frame_.midX(), frame_.midY()};
    }
    setNeedsDisplay(true);
}

void NSView::setNeedsDisplay(bool flag) {
    if (!flag) {
        return;
    }
    if (NSWindow* w = window()) {
        w->setViewsNeedDisplay(true);
    }
}

void NSView::drawRect(CGRect) {}

void NSView::layout() {
    NSLayoutConstraint::layoutConstrainedSubviews(*this);
}

void NSView::setNeedsLayout(bool flag) {
    needsLayout_ = flag;
    if (flag) {
        setNeedsDisplay(true);
    }
}

void NSView::setNeedsLayoutUpward() {
    for (NSView* v = this; v != nullptr; v = v->superview_) {
        v->setNeedsLayout(true);
    }
}

void NSView::layoutSubtreeIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layout();
        if (controller_ != nullptr) {
            controller_->viewDidLayout();
        }
    }
    // A copy: layout may add or remove views.
    const std::vector<std::shared_ptr<NSView>> children = subviews_;
    for (const auto& child : children) {
        if (child->superview_ == this) {
            child->layoutSubtreeIfNeeded();
        }
    }
}

void NSView::setTranslatesAutoresizingMaskIntoConstraints(bool flag) {
    translatesAutoresizingMask_ = flag;
    setNeedsLayoutUpward();
}

void NSView::invalidateIntrinsicContentSize() {
    // Only a view placed by constraints takes its size from its content; one whose frame is set by hand
    // lays out itself again but leaves the views above alone, so that a superview may set images on such
    // views while it lays out without asking for another layout of its own (and so on, turn after turn).
    if (translatesAutoresizingMask_) {
        setNeedsLayout(true);
    } else {
        setNeedsLayoutUpward();
    }
}

void NSView::addConstraint(std::shared_ptr<NSLayoutConstraint> constraint) {
    constraints_.push_back(std::move(constraint));
    setNeedsLayoutUpward();
}

void NSView::removeConstraint(const NSLayoutConstraint* constraint) {
    std::erase_if(constraints_, [constraint](const auto& c) { return c.get() == constraint; });
    setNeedsLayoutUpward();
}

void NSView::addGestureRecognizer(std::shared_ptr<NSGestureRecognizer> recognizer) {
    if (!recognizer) {
        return;
    }
    if (recognizer->view_ != nullptr && recognizer->view_ != this) {
        recognizer->view_->removeGestureRecognizer(recognizer.get());
    }
    if (recognizer->view_ == this) {
        return;
    }
    recognizer->view_ = this;
    recognizers_.push_back(std::move(recognizer));
}

void NSView::removeGestureRecognizer(NSGestureRecognizer* recognizer) {
    const auto it = std::find_if(recognizers_.begin(), recognizers_.end(),
                                 [recognizer](const auto& r) { return r.get() == recognizer; });
    if (it != recognizers_.end()) {
        (*it)->view_ = nullptr;
        recognizers_.erase(it);
    }
}

CGPoint NSView::pointToSuperview(CGPoint p) const {
    if (superview_ == nullptr) {
        return isFlipped() ? CGPoint{p.x, frame_.height() - p.y} : p;
    }
    const CGRect f = frame_.standardized();
    const bool same = isFlipped() == superview_->isFlipped();
    return {f.minX() + p.x, same ? f.minY() + p.y : f.maxY() - p.y};
}

CGPoint NSView::pointFromSuperview(CGPoint p) const {
    if (superview_ == nullptr) {
        return isFlipped() ? CGPoint{p.x, frame_.height() - p.y} : p;
    }
    const CGRect f = frame_.standardized();
    const bool same = isFlipped() == superview_->isFlipped();
    return {p.x - f.minX(), same ? p.y - f.minY() : f.maxY() - p.y};
}

CGPoint NSView::pointToWindow(CGPoint p) const {
    for (const NSView* v = this; v != nullptr; v = v->superview_) {
        p = v->pointToSuperview(p);
    }
    return p;
}

CGPoint NSView::pointFromWindow(CGPoint p) const {
    std::vector<const NSView*> chain;
    for (const NSView* v = this; v != nullptr; v = v->superview_) {
        chain.push_back(v);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        p = (*it)->pointFromSuperview(p);
    }
    return p;
}

CGPoint NSView::convertPointFromView(CGPoint point, const NSView* view) const {
    const CGPoint inWindow = view != nullptr ? view->pointToWindow(point) : point;
    return pointFromWindow(inWindow);
}

CGPoint NSView::convertPointToView(CGPoint point, const NSView* view) const {
    const CGPoint inWindow = pointToWindow(point);
    return view != nullptr ? view->pointFromWindow(inWindow) : inWindow;
}

namespace {
CGRect rectThrough(CGRect rect, const auto& convert) {
    const CGRect r = rect.standardized();
    const CGPoint a = convert(CGPoint{r.minX(), r.minY()});
    const CGPoint b = convert(CGPoint{r.maxX(), r.maxY()});
    return CGRect(a.x, a.y, b.x - a.x, b.y - a.y).standardized();
}
} // namespace

CGRect NSView::convertRectFromView(CGRect rect, const NSView* view) const {
    return rectThrough(rect, [&](CGPoint p) { return convertPointFromView(p, view); });
}

CGRect NSView::convertRectToView(CGRect rect, const NSView* view) const {
    return rectThrough(rect, [&](CGPoint p) { return convertPointToView(p, view); });
}

NSView* NSView::hitTest(CGPoint point) {
    if (hidden_) {
        return nullptr;
    }
    const CGPoint local = pointFromSuperview(point);
    const CGRect b = bounds().standardized();
    // The top and left edges, as seen, are inside; the bottom and right edges are not.
    const bool insideY =
        isFlipped() ? local.y >= b.minY() && local.y < b.maxY() : local.y > b.minY() && local.y <= b.maxY();
    if (!(local.x >= b.minX() && local.x < b.maxX() && insideY)) {
        return nullptr;
    }
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        if (NSView* hit = (*it)->hitTest(local)) {
            return hit;
        }
    }
    return this;
}

void NSView::mouseDown(const NSEvent&) {}
void NSView::mouseDragged(const NSEvent&) {}
void NSView::mouseUp(const NSEvent&) {}
void NSView::mouseMoved(const NSEvent&) {}

void NSView::keyDown(const NSEvent& event) {
    if (superview_ != nullptr) {
        superview_->keyDown(event);
    }
}

} // namespace platform
