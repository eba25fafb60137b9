#include "ui/NSViewController.h"

#include "ui/NSView.h"

namespace platform {

NSViewController::~NSViewController() {
    if (view_ && view_->controller_ == this) {
        view_->controller_ = nullptr;
    }
}

const std::shared_ptr<NSView>& NSViewController::view() {
    if (!view_ && !loading_) {
        loading_ = true;
        loadView();
        loading_ = false;
        if (!view_) {
            setView(std::make_shared<NSView>());
        }
        viewDidLoad();
    }
    return view_;
}

void NSViewController::setView(std::shared_ptr<NSView> view) {
    if (view_ && view_->controller_ == this) {
        view_->controller_ = nullptr;
    }
    view_ = std::move(view);
    if (view_) {
        view_->controller_ = this;
    }
}

void NSViewController::loadView() {
    setView(std::make_shared<NSView>());
}

} // namespace platform
