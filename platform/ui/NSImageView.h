#pragma once
#include "graphics/NSImage.h"
#include "ui/NSControl.h"

#include <memory>

namespace platform {

/// How an image view fits its image, with the platform's values.
enum NSImageScaling : unsigned {
    NSImageScaleProportionallyDown = 0,
    NSImageScaleAxesIndependently = 1,
    NSImageScaleProportionallyUpOrDown = 3,
};

/// Stand-in for the platform's image view: draws its image centred in the bounds, scaled by its image
/// scaling; the image draws on demand (its handler runs) every time the view is drawn. Main thread only.
class NSImageView : public NSControl {
public:
    using NSControl::NSControl;

    /// An image view the size of `image`, scaling proportionally up or down (`imageViewWithImage:`).
    static std::shared_ptr<NSImageView> imageViewWithImage(std::shared_ptr<NSImage> image);

    const std::shared_ptr<NSImage>& image() const { return image_; }
    void setImage(std::shared_ptr<NSImage> image);
    void setImageScaling(NSImageScaling scaling);

    /// The image's size, or none without an image.
    CGSize intrinsicContentSize() const override;
    void drawRect(CGRect dirtyRect) override;
    /// The rectangle, in the view's coordinates, that the image is drawn into at the current size.
    CGRect imageRect() const;

private:
    std::shared_ptr<NSImage> image_;
    NSImageScaling scaling_ = NSImageScaleProportionallyDown;
};

} // namespace platform
