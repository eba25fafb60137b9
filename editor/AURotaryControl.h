#pragma once
#include "graphics/CGGeometry.h"
#include "graphics/NSImage.h"
#include "ui/CALayer.h"
#include "ui/NSGestureRecognizer.h"
#include "ui/NSView.h"

#include <functional>
#include <memory>
#include <string>

namespace quorbel {

/// The editor's rotary knob: a layer-backed, flipped view showing a face image (the underlay layer) and
/// the knob cap above it (the overlay layer), turned to the angle of its value. Dragging turns it (the
/// drag's projection on the diagonal towards the upper right, one radian per quarter of the width),
/// a double-click sets the reset value. It holds a 32-bit value between two bounds and reports every
/// change through onValueChanged; it knows nothing of parameters. Turning the knob replaces the cap's
/// transform only; the images are rendered at every layout (updateLayers), never cached. Main thread
/// only, like every view.
class AURotaryControl : public platform::NSView {
public:
    /// Supplies the face image for a size (width, height in points).
    using ImageProvider = std::function<std::shared_ptr<platform::NSImage>(double width, double height)>;

    /// A knob with `frame` (`initWithFrame:`): every property at its initial value, then setup (layers,
    /// recognisers, one drawing). Allocates.
    explicit AURotaryControl(platform::CGRect frame);

    /// Smallest value; maps to lowAngle.
    float lowerBound = 0;
    /// Largest value; maps to highAngle.
    float upperBound = 1;
    /// The value a double-click sets.
    float resetValue = 0;
    /// Text of the default face (shown only without a face provider).
    std::string label;
    /// Supplies the face image for the current size; absent: the default knob face with `label`.
    ImageProvider underlayImageProvider;
    /// Cap rotation at lowerBound, degrees.
    float lowAngle = -160;
    /// Cap rotation at upperBound, degrees.
    float highAngle = 160;
    /// Called after every change of the value, synchronously, after the rotation.
    std::function<void()> onValueChanged;
    /// The current value. The owner may store it directly: no clamp, rotation or callback then, and the
    /// cap shows it at the next layout.
    float _value = 0;
    /// Shows the face image; made at construction, never replaced.
    const std::shared_ptr<platform::CALayer> underlayLayer = platform::CALayer::layer();
    /// Shows the knob cap and carries the rotation; made at construction, never replaced.
    const std::shared_ptr<platform::CALayer> overlayLayer = platform::CALayer::layer();

    /// The current value.
    float value() const { return _value; }
    /// The value setter: clamps `v` to the bounds (not a number: lowerBound); when that differs from the
    /// current value, stores it, turns the cap and calls onValueChanged.
    void setValue(float v);

    /// Angle of a value: lowAngle + ((v - lowerBound) x (highAngle - lowAngle)) / (upperBound -
    /// lowerBound), in 32-bit arithmetic in this order.
    float angleForValue(float v) const;
    /// Value of an angle: lowerBound + ((a - lowAngle) x (upperBound - lowerBound)) / (highAngle -
    /// lowAngle), in 32-bit arithmetic in this order.
    float valueForAngle(float a) const;

    /// Sizes both layers to the view and renders the face and cap images at the current size, then applies
    /// the rotation; nothing at all when the width or height is not positive. Allocates.
    void updateLayers();
    /// Sets the cap's rotation from the value (replacing its transform).
    void updateRotation();

    /// The superclass's layout, then updateLayers.
    void layout() override;
    /// Always true: y grows downward.
    bool isFlipped() const override { return true; }

    /// Target of the pan recogniser (`handleDrag:`).
    void handleDrag(platform::NSPanGestureRecognizer* recognizer);
    /// Target of the double-click recogniser (`handleDoubleClick:`).
    void handleDoubleClick(platform::NSClickGestureRecognizer* recognizer);

private:
    /// Attaches the layers and recognisers and draws once; runs once, from the initialiser.
    void setup();

    float dragHome_ = 0; ///< cap angle at the start of the current drag, degrees
};

} // namespace quorbel
