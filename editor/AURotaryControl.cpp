#include "editor/AURotaryControl.h"

#include "stylekit/KnobsStyleKit.h"
#include "stylekit/QuorStyleKit.h"
#include "ui/CATransaction.h"

namespace quorbel {

using namespace platform;

namespace {
/// The bitmap of an image as the layers take it: no rectangle, context or hints proposed, so the
/// image's own size at the platform's default density.
std::shared_ptr<CGImage> bitmapOf(const std::shared_ptr<NSImage>& image) {
    return image ? image->CGImageForProposedRect(nullptr, nullptr, nullptr) : nullptr;
}
} // namespace

AURotaryControl::AURotaryControl(CGRect frame) : NSView(frame) {
    setup();
}

void AURotaryControl::setup() {
    setWantsLayer(true);
    if (layer() != nullptr) {
        layer()->addSublayer(underlayLayer);
    }
    if (layer() != nullptr) {
        layer()->addSublayer(overlayLayer);
    }
    addGestureRecognizer(std::make_shared<NSPanGestureRecognizer>(
        NSGestureRecognizer::Action(this, &AURotaryControl::handleDrag)));
    auto doubleClick = std::make_shared<NSClickGestureRecognizer>(
        NSGestureRecognizer::Action(this, &AURotaryControl::handleDoubleClick));
    doubleClick->setNumberOfClicksRequired(2);
    addGestureRecognizer(std::move(doubleClick));
    updateLayers();
}

float AURotaryControl::angleForValue(float v) const {
    return lowAngle + ((v - lowerBound) * (highAngle - lowAngle)) / (upperBound - lowerBound);
}

float AURotaryControl::valueForAngle(float a) const {
    return lowerBound + ((a - lowAngle) * (upperBound - lowerBound)) / (highAngle - lowAngle);
}

void AURotaryControl::setValue(float v) {
    float c = upperBound < v ? upperBound : v;
    c = lowerBound <= c ? c : lowerBound; // not a number fails the test: lowerBound
    if (c == _value) {
        return;
    }
    _value = c;
    updateRotation();
    if (onValueChanged) {
        onValueChanged();
    }
}

void AURotaryControl::updateLayers() {
    const CGRect b = bounds();
    const double width = b.size.width;
    const double height = b.size.height;
    if (!(width > 0) || !(height > 0)) {
        return; // not a number is not greater either
    }
    const CGPoint centre{b.midX(), b.midY()};
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    underlayLayer->setBounds(b);
    underlayLayer->setPosition(centre);
    const std::shared_ptr<NSImage> face = underlayImageProvider
                                              ? underlayImageProvider(width, height)
                                              : QuorStyleKit::imageOfDefaultKnob({width, height}, label);
    underlayLayer->setContents(bitmapOf(face));
    overlayLayer->setBounds(b);
    overlayLayer->setPosition(centre);
    overlayLayer->setContents(bitmapOf(KnobsStyleKit::imageOfNeoOverlay(CGRect(0, 0, width, height))));
    CATransaction::commit();
    updateRotation();
}

void AURotaryControl::updateRotation() {
    const float degrees = angleForValue(_value);
    const double radians = static_cast<double>(degrees) * 3.141592653589793 / 180;
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    overlayLayer->setTransform(CATransform3DMakeRotation(radians, 0, 0, 1));
    CATransaction::commit();
}

void AURotaryControl::layout() {
    NSView::layout();
    updateLayers();
}

void AURotaryControl::handleDrag(NSPanGestureRecognizer* recognizer) {
    float a = 0;
    switch (recognizer->state()) {
    case NSGestureRecognizerStateBegan:
        dragHome_ = angleForValue(_value);
        return;
    case NSGestureRecognizerStateChanged: {
        const CGPoint t = recognizer->translationInView(this);
        // Projection on the diagonal towards the upper right (1/sqrt 2, to the nearest double), in units
        // of a quarter of the width: one such unit turns the cap by one radian.
        const double d = (t.x - t.y) * 0.7071067811865476 / (bounds().size.width * 0.25);
        // Degrees per radian with the divisor one unit in the last place below pi as a float
        // (3.1415925f), not pi itself.
        a = dragHome_ + (static_cast<float>(d) * 180.0f) / 3.1415925f;
        break;
    }
    case NSGestureRecognizerStateCancelled:
        a = dragHome_;
        break;
    default:
        return;
    }
    a = lowAngle <= a ? a : lowAngle;
    a = a < highAngle ? a : highAngle;
    setValue(valueForAngle(a));
}

void AURotaryControl::handleDoubleClick(NSClickGestureRecognizer*) {
    setValue(resetValue);
}

} // namespace quorbel
