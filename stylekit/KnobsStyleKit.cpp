#include "stylekit/KnobsStyleKit.h"

#include "stylekit/ArtworkRenderer.h"
#include "stylekit/DrawingSupport.h"
#include "stylekit/KnobsStyleKitArtwork.h"

#include <array>

namespace quorbel {

using platform::CGRect;
using platform::NSImage;

namespace {

using Drawing = KnobsStyleKitDrawing;

void draw(Drawing which, CGRect frame) {
    drawArtwork(knobsStyleKitArtwork(which), frame);
}

/// The image of a drawing: the frame's size, flipped, drawing it at the origin on demand.
std::shared_ptr<NSImage> image(void (*drawFunction)(CGRect), CGRect frame) {
    const CGFloat width = frame.width();
    const CGFloat height = frame.height();
    return renderPlatformImage({width, height}, true,
                               [drawFunction, width, height] { drawFunction(CGRect(0, 0, width, height)); });
}

} // namespace

void KnobsStyleKit::drawMixUnderlay(CGRect frame) {
    draw(Drawing::MixUnderlay, frame);
}

void KnobsStyleKit::drawNeoOverlay(CGRect frame) {
    draw(Drawing::NeoOverlay, frame);
}

void KnobsStyleKit::drawFeedUnderlay(CGRect frame) {
    draw(Drawing::FeedUnderlay, frame);
}

void KnobsStyleKit::drawToneUnderlay(CGRect frame) {
    draw(Drawing::ToneUnderlay, frame);
}

void KnobsStyleKit::drawOrbitUnderlay(CGRect frame) {
    draw(Drawing::OrbitUnderlay, frame);
}

void KnobsStyleKit::drawDoubtUnderlay(CGRect frame) {
    draw(Drawing::DoubtUnderlay, frame);
}

void KnobsStyleKit::drawVexityUnderlay(CGRect frame) {
    draw(Drawing::VexityUnderlay, frame);
}

void KnobsStyleKit::drawRadioOff(CGRect frame) {
    draw(Drawing::RadioOff, frame);
}

void KnobsStyleKit::drawRadioOn(CGRect frame) {
    draw(Drawing::RadioOn, frame);
}

void KnobsStyleKit::drawBP(CGRect frame) {
    draw(Drawing::BP, frame);
}

void KnobsStyleKit::drawHP(CGRect frame) {
    draw(Drawing::HP, frame);
}

void KnobsStyleKit::drawLP(CGRect frame) {
    draw(Drawing::LP, frame);
}

void KnobsStyleKit::drawMute(CGRect frame) {
    draw(Drawing::Mute, frame);
}

void KnobsStyleKit::drawFail(CGRect frame) {
    draw(Drawing::Fail, frame);
}

void KnobsStyleKit::drawBypass(CGRect frame) {
    draw(Drawing::Bypass, frame);
}

void KnobsStyleKit::drawMasterUnderlay(CGRect frame) {
    draw(Drawing::MasterUnderlay, frame);
}

void KnobsStyleKit::drawQuorFooter(CGRect frame) {
    draw(Drawing::QuorFooter, frame);
}

void KnobsStyleKit::drawNeoUnderlay(CGRect) {}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfMixUnderlay(CGRect frame) {
    return image(&drawMixUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfNeoOverlay(CGRect frame) {
    return image(&drawNeoOverlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfFeedUnderlay(CGRect frame) {
    return image(&drawFeedUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfToneUnderlay(CGRect frame) {
    return image(&drawToneUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfOrbitUnderlay(CGRect frame) {
    return image(&drawOrbitUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfDoubtUnderlay(CGRect frame) {
    return image(&drawDoubtUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfVexityUnderlay(CGRect frame) {
    return image(&drawVexityUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfRadioOff(CGRect frame) {
    return image(&drawRadioOff, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfRadioOn(CGRect frame) {
    return image(&drawRadioOn, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfBP(CGRect frame) {
    return image(&drawBP, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfHP(CGRect frame) {
    return image(&drawHP, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfLP(CGRect frame) {
    return image(&drawLP, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfMute(CGRect frame) {
    return image(&drawMute, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfFail(CGRect frame) {
    return image(&drawFail, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfBypass(CGRect frame) {
    return image(&drawBypass, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfMasterUnderlay(CGRect frame) {
    return image(&drawMasterUnderlay, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfQuorFooter(CGRect frame) {
    return image(&drawQuorFooter, frame);
}

std::shared_ptr<NSImage> KnobsStyleKit::imageOfNeoUnderlay(CGRect frame) {
    // Blank: the handler draws nothing and succeeds whenever there is a current context.
    return renderPlatformImage({frame.width(), frame.height()}, true, [] {});
}

std::shared_ptr<platform::NSImage> knobsStyleKitImage(KnobsStyleKitDrawing which, platform::CGRect frame) {
    using ImageFunction = std::shared_ptr<platform::NSImage> (*)(platform::CGRect);
    // The image operations, in the order of KnobsStyleKitDrawing.
    static constexpr std::array<ImageFunction, knobsStyleKitDrawingCount> imageFunctions{
        &KnobsStyleKit::imageOfMixUnderlay,
        &KnobsStyleKit::imageOfNeoOverlay,
        &KnobsStyleKit::imageOfFeedUnderlay,
        &KnobsStyleKit::imageOfToneUnderlay,
        &KnobsStyleKit::imageOfOrbitUnderlay,
        &KnobsStyleKit::imageOfDoubtUnderlay,
        &KnobsStyleKit::imageOfVexityUnderlay,
        &KnobsStyleKit::imageOfRadioOff,
        &KnobsStyleKit::imageOfRadioOn,
        &KnobsStyleKit::imageOfBP,
        &KnobsStyleKit::imageOfHP,
        &KnobsStyleKit::imageOfLP,
        &KnobsStyleKit::imageOfMute,
        &KnobsStyleKit::imageOfFail,
        &KnobsStyleKit::imageOfBypass,
        &KnobsStyleKit::imageOfMasterUnderlay,
        &KnobsStyleKit::imageOfQuorFooter,
        &KnobsStyleKit::imageOfNeoUnderlay,
    };
    return imageFunctions[static_cast<std::size_t>(which)](frame);
}

} // namespace quorbel
