#pragma once
#include "graphics/NSImage.h"
#include "ui/NSControl.h"

#include <memory>

namespace platform {

/// Button behaviours, with the platform's values.
enum NSButtonType : unsigned {
    NSButtonTypePushOnPushOff = 1,
    NSButtonTypeToggle = 2,
    NSButtonTypeSwitch = 3,
    NSButtonTypeRadio = 4,
    NSButtonTypeMomentaryChange = 5,
    NSButtonTypeOnOff = 6,
    NSButtonTypeMomentaryPushIn = 7,
};

/// Where a button shows its image, with the platform's values.
enum NSCellImagePosition : unsigned {
    NSNoImage = 0,
    NSImageOnly = 1,
    NSImageLeft = 2,
};

/// A control's state, with the platform's values.
using NSControlStateValue = long;
inline constexpr NSControlStateValue NSControlStateValueMixed = -1;
inline constexpr NSControlStateValue NSControlStateValueOff = 0;
inline constexpr NSControlStateValue NSControlStateValueOn = 1;

/// Stand-in for the platform's button, as the system uses it: an image (state off) and an alternate image
/// (state on, for the toggling types) drawn scaled into the bounds, an optional bezel, and a click (press
/// and release inside the button) that flips the state of a toggling button and then sends the action.
/// Setting the state sends nothing. Main thread only.
class NSButton : public NSControl {
public:
    using NSControl::NSControl;

    void setButtonType(NSButtonType type);
    void setBordered(bool bordered);
    void setImagePosition(NSCellImagePosition position);
    const std::shared_ptr<NSImage>& image() const { return image_; }
    void setImage(std::shared_ptr<NSImage> image);
    const std::shared_ptr<NSImage>& alternateImage() const { return alternateImage_; }
    void setAlternateImage(std::shared_ptr<NSImage> image);
    NSControlStateValue state() const { return state_; }
    /// Sets the state (any value other than off and mixed counts as on); sends no action.
    void setState(NSControlStateValue state);

    /// Acts as a click: a toggling button flips its state, then the action is sent.
    void performClick();

    /// The image's size, or none.
    CGSize intrinsicContentSize() const override;
    void drawRect(CGRect dirtyRect) override;
    void mouseDown(const NSEvent& event) override;
    void mouseDragged(const NSEvent& event) override;
    void mouseUp(const NSEvent& event) override;

private:
    bool toggles() const;
    void setHighlighted(bool highlighted);

    NSButtonType type_ = NSButtonTypeMomentaryPushIn;
    bool bordered_ = true;
    NSCellImagePosition imagePosition_ = NSImageLeft;
    std::shared_ptr<NSImage> image_;
    std::shared_ptr<NSImage> alternateImage_;
    NSControlStateValue state_ = NSControlStateValueOff;
    bool tracking_ = false;
    bool highlighted_ = false; ///< a press that started on the button is inside it
};

} // namespace platform
