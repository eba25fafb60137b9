#include "ui/CALayer.h"

#include "ui/NSView.h"

#include <algorithm>

namespace platform {

CALayer::~CALayer() {
    for (const auto& sublayer : sublayers_) {
        sublayer->superlayer_ = nullptr;
    }
}

void CALayer::setNeedsDisplay() {
    const CALayer* root = this;
    while (root->superlayer_ != nullptr) {
        root = root->superlayer_;
    }
    if (root->hostingView_ != nullptr) {
        root->hostingView_->setNeedsDisplay(true);
    }
}

void CALayer::setBounds(CGRect bounds) {
    bounds_ = bounds;
    setNeedsDisplay();
}

void CALayer::setPosition(CGPoint position) {
    position_ = position;
    setNeedsDisplay();
}

void CALayer::setContents(std::shared_ptr<CGImage> contents) {
    contents_ = std::move(contents);
    setNeedsDisplay();
}

void CALayer::setBackgroundColor(std::optional<CGColor> color) {
    backgroundColor_ = color;
    setNeedsDisplay();
}

void CALayer::setTransform(const CATransform3D& transform) {
    transform_ = transform;
    setNeedsDisplay();
}

void CALayer::addSublayer(std::shared_ptr<CALayer> layer) {
    if (!layer || layer.get() == this) {
        return;
    }
    layer->removeFromSuperlayer();
    layer->superlayer_ = this;
    sublayers_.push_back(std::move(layer));
    setNeedsDisplay();
}

void CALayer::removeFromSuperlayer() {
    CALayer* parent = superlayer_;
    if (parent == nullptr) {
        return;
    }
    auto& list = parent->sublayers_;
    const auto it = std::find_if(list.begin(), list.end(), [this](const auto& l) { return l.get() == this; });
    superlayer_ = nullptr;
    if (it != list.end()) {
        // Keep this layer alive while it leaves its parent's list (the list may hold the last reference).
        const std::shared_ptr<CALayer> self = std::move(*it);
        list.erase(it);
    }
    parent->setNeedsDisplay();
}

} // namespace platform
