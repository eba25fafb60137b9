#include "editor/QuorbelAUViewControllerMac.h"

#include "audiounit/QuorbelComponent.h"
#include "dsp/FilterMode.h"
#include "stylekit/KnobsStyleKit.h"
#include "stylekit/QuorStyleKit.h"
#include "ui/DispatchQueue.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

namespace quorbel {

using namespace platform;

namespace {

/// The panel's preferred size, points.
constexpr CGFloat kPanelWidth = 480;
constexpr CGFloat kPanelHeight = 320;
/// Edge of the radio images a button carries until its first layout.
constexpr CGFloat kInitialRadioSize = 30;
/// Gap between a caption and its button, points.
constexpr CGFloat kCaptionGap = 2;

/// An image provider that draws one style-kit image at (0, 0) and the size asked for; captures nothing.
template <std::shared_ptr<NSImage> (*imageOf)(CGRect)>
std::shared_ptr<NSImage> styleKitProvider(double width, double height) {
    return imageOf(CGRect(0, 0, width, height));
}

constexpr auto mixUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfMixUnderlay>;
constexpr auto feedUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfFeedUnderlay>;
constexpr auto toneUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfToneUnderlay>;
constexpr auto orbitUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfOrbitUnderlay>;
constexpr auto vexityUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfVexityUnderlay>;
constexpr auto doubtUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfDoubtUnderlay>;
constexpr auto masterUnderlayProvider = &styleKitProvider<&KnobsStyleKit::imageOfMasterUnderlay>;
constexpr auto lpLabelProvider = &styleKitProvider<&KnobsStyleKit::imageOfLP>;
constexpr auto bpLabelProvider = &styleKitProvider<&KnobsStyleKit::imageOfBP>;
constexpr auto hpLabelProvider = &styleKitProvider<&KnobsStyleKit::imageOfHP>;
constexpr auto brokenLabelProvider = &styleKitProvider<&KnobsStyleKit::imageOfFail>;
constexpr auto bypassLabelProvider = &styleKitProvider<&KnobsStyleKit::imageOfBypass>;

using Controller = QuorbelAUViewControllerMac;
using KnobProperty = std::shared_ptr<AURotaryControl> Controller::*;
using ButtonProperty = std::shared_ptr<NSButton> Controller::*;
using CaptionProperty = std::shared_ptr<NSImageView> Controller::*;

/// One knob of the panel; its index in kKnobs is its parameter's address.
struct KnobSpec {
    KnobProperty property;
    float lowerBound;
    float upperBound;
    float resetValue;
    const char* label;
    float initialValue; // the parameter's default
    std::shared_ptr<NSImage> (*faceProvider)(double, double);
};

// The reset values of feed, tone and master (3.66, 600, 0.5) differ from those parameters' defaults.
constexpr std::array<KnobSpec, 7> kKnobs{{
    {&Controller::mixKnob, 0, 1, 0.5f, "MIX", 0.5f, mixUnderlayProvider},
    {&Controller::feedKnob, 1, 20, 3.66f, "FEED", 5, feedUnderlayProvider},
    {&Controller::toneKnob, 200, 1000, 600, "TONE", 500, toneUnderlayProvider},
    {&Controller::orbitKnob, -1, 1, 0, "ORBIT", 0, orbitUnderlayProvider},
    {&Controller::vexityKnob, -1, 1, 0, "VEXITY", 0, vexityUnderlayProvider},
    {&Controller::confusionKnob, -1, 1, 0, "DOUBT", 0, doubtUnderlayProvider},
    {&Controller::volumeKnob, 0, 1, 0.5f, "MASTER", 0.7f, masterUnderlayProvider},
}};

/// The buttons in creation order.
constexpr std::array<ButtonProperty, 5> kButtons{&Controller::lowPassBtn, &Controller::bandPassBtn,
                                                 &Controller::highPassBtn, &Controller::brokenBtn,
                                                 &Controller::bypassBtn};

/// The captions in creation order (the order of labelProviders), with their widths in button sizes.
struct CaptionSpec {
    CaptionProperty property;
    double widthFactor;
};
constexpr std::array<CaptionSpec, 5> kCaptions{{{&Controller::lpLabel, 1.0},
                                                {&Controller::bpLabel, 1.0},
                                                {&Controller::hpLabel, 1.0},
                                                {&Controller::brokenLabel, 2.0},
                                                {&Controller::bypassLabel, 2.5}}};

/// Each caption beside its button, in the order they are placed.
constexpr std::array<std::pair<CaptionProperty, ButtonProperty>, 5> kCaptionPlaces{{
    {&Controller::hpLabel, &Controller::highPassBtn},
    {&Controller::bpLabel, &Controller::bandPassBtn},
    {&Controller::lpLabel, &Controller::lowPassBtn},
    {&Controller::brokenLabel, &Controller::brokenBtn},
    {&Controller::bypassLabel, &Controller::bypassBtn},
}};

constexpr AUParameterAddress kBypassAddress = 7;
constexpr AUParameterAddress kFailAddress = 8;
constexpr AUParameterAddress kFilterModeAddress = 9;

/// The filter mode number that a parameter value shows: truncated toward zero. NaN shows none, and a value
/// beyond the signed 64-bit range saturates to a number that is no mode: either way all three filter
/// buttons are off, as for any number other than 0, 1 and 2.
std::optional<std::int64_t> shownFilterMode(AUValue value) {
    if (std::isnan(value)) {
        return std::nullopt;
    }
    return filterModeNumber(value);
}

/// The parameter at `address` of `unit`'s tree, or null without a unit, a tree or such a parameter. The
/// caller holds `unit` while it uses the parameter: the unit's tree holds its parameters.
AUParameter* parameterOf(const QuorbelAudioUnit* unit, AUParameterAddress address) {
    const auto tree = unit != nullptr ? unit->parameterTree() : nullptr;
    return tree ? tree->parameterWithAddress(address) : nullptr;
}

void setButtonState(const std::shared_ptr<NSButton>& button, bool on) {
    if (button) {
        button->setState(on ? NSControlStateValueOn : NSControlStateValueOff);
    }
}

} // namespace

QuorbelAUViewControllerMac::~QuorbelAUViewControllerMac() {
    disconnectParameterObserver();
}

void QuorbelAUViewControllerMac::disconnectParameterObserver() {
    if (parameterObserverToken == nullptr) {
        return;
    }
    // A tree already gone took the observer with it.
    if (const auto tree = observedTree_.lock()) {
        tree->removeParameterObserver(parameterObserverToken);
    }
    parameterObserverToken = nullptr;
    observedTree_.reset();
}

std::shared_ptr<QuorbelAudioUnit> QuorbelAUViewControllerMac::currentAudioUnit() const {
    return std::atomic_load(&audioUnit);
}

std::weak_ptr<QuorbelAUViewControllerMac> QuorbelAUViewControllerMac::weakSelf() {
    return std::static_pointer_cast<QuorbelAUViewControllerMac>(weak_from_this().lock());
}

std::shared_ptr<AUAudioUnit>
QuorbelAUViewControllerMac::createAudioUnit(const AudioComponentDescription& description, NSError* outError) {
    registerQuorbelComponent(); // so that the unit carries the component's name and version
    auto unit = AUAudioUnit::instantiate<QuorbelAudioUnit>(description, 0, outError);
    if (!unit) {
        return nullptr;
    }
    // The main thread may be reading the unit it replaces; the observer and its token belong to the main
    // thread, and the queued connection moves the observer from a replaced unit's tree to this one.
    std::atomic_store(&audioUnit, unit);
    // The connection holds this controller strongly until it has run. Should the queue be full, it is lost;
    // viewWillAppear connects then.
    if (auto self = weakSelf().lock()) {
        DispatchQueue::main().async([self = std::move(self)] { self->connectParameterObserver(); });
    }
    return unit;
}

void QuorbelAUViewControllerMac::loadView() {
    auto root = std::make_shared<FlippedView>(CGRect(0, 0, kPanelWidth, kPanelHeight));
    root->setWantsLayer(true);
    if (root->layer() != nullptr) {
        root->layer()->setBackgroundColor(QuorStyleKit::backgroundColor().cgColor());
    }
    setView(std::move(root));
}

void QuorbelAUViewControllerMac::viewDidLoad() {
    AUViewController::viewDidLoad();
    buildControls();
    // The first connection may have run before the controls existed (its refresh found none), and
    // viewWillAppear does not refresh while connected: show the current values now.
    if (parameterObserverToken != nullptr) {
        updateControlsFromParameters();
    }
    setPreferredContentSize({kPanelWidth, kPanelHeight});
}

void QuorbelAUViewControllerMac::viewDidLayout() {
    AUViewController::viewDidLayout();
    layoutControls(view()->bounds().size);
}

void QuorbelAUViewControllerMac::viewWillAppear() {
    AUViewController::viewWillAppear();
    connectParameterObserver();
}

void QuorbelAUViewControllerMac::viewWillDisappear() {
    AUViewController::viewWillDisappear();
    disconnectParameterObserver();
}

void QuorbelAUViewControllerMac::buildControls() {
    NSView& root = *view();
    for (const KnobSpec& spec : kKnobs) {
        auto knob = std::make_shared<AURotaryControl>(CGRect(0, 0, 0, 0));
        knob->lowerBound = spec.lowerBound;
        knob->upperBound = spec.upperBound;
        knob->resetValue = spec.resetValue;
        knob->label = spec.label;
        knob->_value = spec.initialValue; // shown at the first layout
        knob->onValueChanged = [controller = weakSelf(), weakKnob = knob->weak_from_this()] {
            const auto self = controller.lock();
            const auto changed = weakKnob.lock();
            if (self && changed) {
                self->knobChanged(static_cast<AURotaryControl*>(changed.get()));
            }
        };
        root.addSubview(knob);
        this->*spec.property = knob;
        knob->underlayImageProvider = spec.faceProvider;
    }

    lowPassBtn = makeRadioButton(&Controller::filterChanged, true);
    bandPassBtn = makeRadioButton(&Controller::filterChanged, false);
    highPassBtn = makeRadioButton(&Controller::filterChanged, false);
    brokenBtn = makeRadioButton(&Controller::brokenChanged, false);
    bypassBtn = makeRadioButton(&Controller::bypassChanged, false);

    lpLabel = makeLabelView(lpLabelProvider);
    bpLabel = makeLabelView(bpLabelProvider);
    hpLabel = makeLabelView(hpLabelProvider);
    brokenLabel = makeLabelView(brokenLabelProvider);
    bypassLabel = makeLabelView(bypassLabelProvider);
}

std::shared_ptr<NSButton> QuorbelAUViewControllerMac::makeRadioButton(ButtonAction action, bool on) {
    auto button = std::make_shared<NSButton>(CGRect(0, 0, 0, 0));
    button->setButtonType(NSButtonTypeToggle);
    button->setBordered(false);
    button->setImagePosition(NSImageOnly);
    // The first layout replaces both images at the button's size.
    button->setImage(KnobsStyleKit::imageOfRadioOff(CGRect(0, 0, kInitialRadioSize, kInitialRadioSize)));
    button->setAlternateImage(
        KnobsStyleKit::imageOfRadioOn(CGRect(0, 0, kInitialRadioSize, kInitialRadioSize)));
    button->setState(on ? NSControlStateValueOn : NSControlStateValueOff);
    button->setAction(NSControl::Action(weak_from_this(), action));
    view()->addSubview(button);
    return button;
}

std::shared_ptr<NSImageView> QuorbelAUViewControllerMac::makeLabelView(ImageProvider provider) {
    auto caption = std::make_shared<NSImageView>();
    caption->setImageScaling(NSImageScaleProportionallyUpOrDown);
    labelProviders.push_back(std::move(provider));
    view()->addSubview(caption);
    return caption;
}

void QuorbelAUViewControllerMac::layoutControls(CGSize size) {
    const double w = size.width;
    const double h = size.height;
    const double larger = std::max(w, h);
    const double smaller = std::min(w, h);
    knobSize = std::floor(std::min(std::sqrt(larger * larger + smaller * smaller) / 5, smaller / 2.3));
    radioSize = knobSize / 5;
    const double margin = knobSize / 10;
    layoutKnobs(w, h, margin);

    const double r = radioSize;
    for (const ButtonProperty property : kButtons) {
        if (NSButton* button = (this->*property).get()) {
            button->setFrameSize({r, r});
            button->setImage(KnobsStyleKit::imageOfRadioOff(CGRect(0, 0, r, r)));
            button->setAlternateImage(KnobsStyleKit::imageOfRadioOn(CGRect(0, 0, r, r)));
        }
    }
    for (std::size_t i = 0; i < kCaptions.size(); ++i) {
        NSImageView* caption = (this->*kCaptions[i].property).get();
        if (caption == nullptr) {
            continue;
        }
        const double width = r * kCaptions[i].widthFactor;
        caption->setFrameSize({width, r});
        if (i < labelProviders.size()) { // a caption without a provider keeps its image
            caption->setImage(labelProviders[i](width, r));
        }
    }
    for (const auto& [captionProperty, buttonProperty] : kCaptionPlaces) {
        NSImageView* caption = (this->*captionProperty).get();
        const NSButton* button = (this->*buttonProperty).get();
        if (caption != nullptr && button != nullptr) {
            const CGRect b = button->frame();
            caption->setFrameOrigin({b.origin.x - caption->frame().size.width - kCaptionGap, b.origin.y});
        }
    }
}

void QuorbelAUViewControllerMac::layoutKnobs(double width, double height, double margin) {
    const double w = width;
    const double h = height;
    const double m = margin;
    const double k = knobSize;
    const double r = radioSize;
    const double c = ((w - k) - m - m) / 3 + m; // column step
    const double y1 = m + m;                    // top row
    const double y2 = (h - k) - m;              // bottom row

    const std::array<std::pair<KnobProperty, CGPoint>, 7> places{{
        {&Controller::mixKnob, {c, y1}},
        {&Controller::feedKnob, {m, y1}},
        {&Controller::toneKnob, {c + c - m, y1}},
        {&Controller::orbitKnob, {c, y2}},
        {&Controller::vexityKnob, {m, y2}},
        {&Controller::confusionKnob, {c + c - m, y2}},
        {&Controller::volumeKnob, {(w - k) - m, (y1 + y2) * 0.5 + m}},
    }};
    for (const auto& [property, origin] : places) {
        if (AURotaryControl* knob = (this->*property).get()) {
            knob->setFrame({origin, {k, k}});
            knob->updateLayers();
        }
    }

    const double x = (w - r) - m;
    double y = m;
    // Downward from the top right corner: high-pass, band-pass, low-pass.
    for (const ButtonProperty property :
         {&Controller::highPassBtn, &Controller::bandPassBtn, &Controller::lowPassBtn}) {
        if (NSButton* button = (this->*property).get()) {
            button->setFrameOrigin({x, y});
        }
        y = y + r;
    }
    // The bypass button's bottom level with the lower knob row's, the fail button above it.
    const double bypassY = y2 + k - r;
    if (bypassBtn) {
        bypassBtn->setFrameOrigin({x, bypassY});
    }
    if (brokenBtn) {
        brokenBtn->setFrameOrigin({x, bypassY - r});
    }
}

void QuorbelAUViewControllerMac::connectParameterObserver() {
    const auto unit = currentAudioUnit();
    if (!unit) {
        return;
    }
    const auto tree = unit->parameterTree();
    if (parameterObserverToken != nullptr) {
        if (tree == observedTree_.lock()) {
            return; // connected to this unit already
        }
        disconnectParameterObserver(); // from the tree of a unit replaced since
    }
    if (!tree) {
        return;
    }
    parameterObserverToken = tree->tokenByAddingParameterObserver(parameterObserverHandler());
    observedTree_ = tree;
    updateControlsFromParameters();
}

AUParameterObserver QuorbelAUViewControllerMac::parameterObserverHandler() {
    return [controller = weakSelf()](AUParameterAddress, AUValue) {
        // Any thread, the render thread included: one post, which neither allocates nor locks (copying the
        // weak reference only counts it). A post refused by a full queue loses nothing: the refreshes
        // still queued read the values current when they run.
        DispatchQueue::main().async([controller] {
            if (const auto self = controller.lock()) {
                self->updateControlsFromParameters();
            }
        });
    };
}

void QuorbelAUViewControllerMac::updateControlsFromParameters() {
    const auto unit = currentAudioUnit();
    if (!unit || !unit->parameterTree()) {
        return;
    }
    const auto parameter = [&unit](AUParameterAddress address) { return parameterOf(unit.get(), address); };
    for (std::size_t address = 0; address < kKnobs.size(); ++address) {
        // A knob that moves calls back (knobChanged), which sets its parameter to the clamped value when
        // that differs from the value read here and the parameter still holds the value read.
        if (AURotaryControl* knob = (this->*kKnobs[address].property).get()) {
            const AUParameter* p = parameter(address);
            const AUValue value = p != nullptr ? p->value() : 0;
            knobRefresh_ = KnobRefresh{knob, value};
            knob->setValue(value);
            knobRefresh_.reset();
        }
    }
    const AUParameter* filterMode = parameter(kFilterModeAddress);
    const std::optional<std::int64_t> mode =
        filterMode != nullptr ? shownFilterMode(filterMode->value()) : modeNumber(FilterMode::lowPass);
    setButtonState(lowPassBtn, mode == modeNumber(FilterMode::lowPass));
    setButtonState(bandPassBtn, mode == modeNumber(FilterMode::bandPass));
    setButtonState(highPassBtn, mode == modeNumber(FilterMode::highPass));
    const AUParameter* bypass = parameter(kBypassAddress);
    setButtonState(bypassBtn, bypass != nullptr && bypass->value() > 0.5f);
    const AUParameter* fail = parameter(kFailAddress);
    setButtonState(brokenBtn, fail != nullptr && fail->value() > 0.5f);
}

void QuorbelAUViewControllerMac::knobChanged(AURotaryControl* knob) {
    for (std::size_t address = 0; address < kKnobs.size(); ++address) {
        const auto& candidate = this->*kKnobs[address].property;
        if (candidate && candidate.get() == knob) {
            const bool refreshed = knobRefresh_ && knobRefresh_->knob == knob;
            // A refresh moved the knob to the value it read: the parameter holds that value, or a newer one
            // set by another thread since, which setting it would undo.
            if (refreshed && knobRefresh_->value == knob->value()) {
                return;
            }
            const auto unit = currentAudioUnit();
            AUParameter* p = parameterOf(unit.get(), address);
            if (p == nullptr) {
                return;
            }
            // A refresh clamped the value it read to a bound: the bound replaces that value only (the same
            // bits, so that a NaN read counts as still held), never a newer one that another thread set since
            // the read. Checked just before the set; a value set between the check and the set is still
            // replaced, as the parameter offers no compare-and-set.
            if (refreshed && std::bit_cast<std::uint32_t>(p->value()) !=
                                 std::bit_cast<std::uint32_t>(knobRefresh_->value)) {
                return;
            }
            p->setValue(knob->value()); // no originator: this controller's observer hears it too
            return;
        }
    }
}

void QuorbelAUViewControllerMac::filterChanged(NSButton* sender) {
    setButtonState(lowPassBtn, lowPassBtn.get() == sender);
    setButtonState(bandPassBtn, bandPassBtn.get() == sender);
    setButtonState(highPassBtn, highPassBtn.get() == sender);
    const FilterMode mode = sender == highPassBtn.get()   ? FilterMode::highPass
                            : sender == bandPassBtn.get() ? FilterMode::bandPass
                                                          : FilterMode::lowPass;
    const auto unit = currentAudioUnit();
    if (AUParameter* p = parameterOf(unit.get(), kFilterModeAddress)) {
        p->setValue(static_cast<AUValue>(modeNumber(mode)));
    }
}

void QuorbelAUViewControllerMac::brokenChanged(NSButton* sender) {
    setToggleParameter(sender, kFailAddress);
}

void QuorbelAUViewControllerMac::bypassChanged(NSButton* sender) {
    setToggleParameter(sender, kBypassAddress);
}

void QuorbelAUViewControllerMac::setToggleParameter(NSButton* sender, AUParameterAddress address) {
    const AUValue value = sender != nullptr && sender->state() == NSControlStateValueOn ? 1.0f : 0.0f;
    const auto unit = currentAudioUnit();
    if (AUParameter* p = parameterOf(unit.get(), address)) {
        p->setValue(value);
    }
}

} // namespace quorbel
