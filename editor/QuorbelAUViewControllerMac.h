#pragma once
#include "audiotoolbox/AUAudioUnitFactory.h"
#include "audiounit/QuorbelAudioUnit.h"
#include "editor/AURotaryControl.h"
#include "editor/FlippedView.h"
#include "ui/AUViewController.h"
#include "ui/NSButton.h"
#include "ui/NSImageView.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorbel {

/// The effect's principal object. As Audio Unit factory it creates the audio unit for the host and keeps
/// it; as the editor's view controller it builds the 480 x 320 point panel (seven knobs, five toggle
/// buttons, five captions on the panel-yellow root view), lays it out at every layout of its view, and binds
/// the controls to the unit's parameters: a parameter observer queues a full refresh of the controls on the
/// main queue after every change, and every control action sets its parameter's value.
///
/// Create it with std::make_shared: the callbacks it hands out (knob callbacks, button targets, the
/// parameter observer, the queued refresh) hold it weakly, and the connection that createAudioUnit queues
/// holds it strongly; without a shared owner none of them reaches it.
///
/// Threads: createAudioUnit may run on any thread; the parameter observer runs on whichever thread sets a
/// value, the render thread included, and only posts to the main queue (no allocation, no lock); everything
/// else runs on the main thread.
class QuorbelAUViewControllerMac : public platform::AUViewController, public platform::AUAudioUnitFactory {
public:
    /// Supplies an image for a size (width, height in points): knob faces and captions.
    using ImageProvider = AURotaryControl::ImageProvider;
    /// A button action: the message sent to this controller with the button as sender.
    using ButtonAction = void (QuorbelAUViewControllerMac::*)(platform::NSButton* sender);

    /// Every property absent (or 0), no label providers, no view (`initWithNibName:bundle:`). Allocates.
    QuorbelAUViewControllerMac() = default;
    /// Removes the parameter observer from the unit's tree when one is held, so that a tree outliving the
    /// controller does not keep a dead observer in one of its slots.
    ~QuorbelAUViewControllerMac() override;

    // The factory (`createAudioUnitWithComponentDescription:error:`).

    /// Creates a QuorbelAudioUnit for `description`, stores it in audioUnit (releasing any earlier one) and
    /// queues the connection of the controls to its parameters on the main queue, which also takes the
    /// observer off a replaced unit's tree; nothing else, since it may run on any thread. On failure returns
    /// null with the error in `outError` (when given); the stored unit stays and nothing is queued.
    /// Any thread; allocates.
    std::shared_ptr<platform::AUAudioUnit>
    createAudioUnit(const platform::AudioComponentDescription& description,
                    platform::NSError* outError) override;

    // The view controller's hooks (main thread).

    /// Makes the root view: a layer-backed FlippedView of 480 x 320 points on the panel yellow.
    void loadView() override;
    /// Builds the controls; when the observer is already connected, shows the parameters' current values
    /// in them; the preferred content size becomes 480 x 320.
    void viewDidLoad() override;
    /// Lays the controls out for the root view's size, re-rendering every image.
    void viewDidLayout() override;
    /// Connects the parameter observer unless it is connected (which refreshes the controls).
    void viewWillAppear() override;
    /// Removes the parameter observer and forgets its token (kept when the unit or its tree is absent).
    void viewWillDisappear() override;

    // The panel (main thread).

    /// Creates the seven knobs, five buttons and five captions in the root view. Once, from viewDidLoad.
    virtual void buildControls();
    /// A toggle button without a border showing its image only (the radio images at 30 x 30 until the
    /// first layout), in the state `on`, sending `action` to this controller; added to the root view.
    virtual std::shared_ptr<platform::NSButton> makeRadioButton(ButtonAction action, bool on);
    /// An image view scaling proportionally, without an image until the first layout; `provider` is
    /// appended to labelProviders; added to the root view.
    virtual std::shared_ptr<platform::NSImageView> makeLabelView(ImageProvider provider);
    /// Sizes and places every control for the root view's `size` and renders every image anew: the knob
    /// size is floor(min(diagonal / 5, shorter side / 2.3)), buttons a fifth of it, the margin a tenth.
    virtual void layoutControls(platform::CGSize size);
    /// Places the knobs (re-rendering each) and the buttons' origins; from layoutControls only.
    virtual void layoutKnobs(double width, double height, double margin);

    // The binding (main thread).

    /// Adds the parameter observer to the unit's tree once (when there is a unit with a tree and the
    /// observer is not on that tree yet), then refreshes. An observer still on the tree of a unit that
    /// createAudioUnit has replaced since is taken off that tree first.
    virtual void connectParameterObserver();
    /// Copies the ten parameter values into the controls: each knob through its value setter (clamped), the
    /// filter, fail and bypass buttons' states. A knob that moves sets its parameter only when clamping
    /// changed the value read (to the bound), and only while the parameter still holds the value read;
    /// setting the value read, or the bound over a newer value, would undo a change that another thread made
    /// since the read. Controls not built yet are skipped.
    virtual void updateControlsFromParameters();
    /// Sets the parameter of `knob` (addresses 0 to 6 in knob order) to the knob's value; during a refresh,
    /// not when that is the value the refresh has just read, nor when the parameter no longer holds that
    /// value (checked just before setting).
    virtual void knobChanged(AURotaryControl* knob);
    /// Turns the sender on and the two other filter buttons off, and sets the filter mode (0, 1 or 2).
    virtual void filterChanged(platform::NSButton* sender);
    /// Sets `fail` to 1 when the sender is on, else 0.
    virtual void brokenChanged(platform::NSButton* sender);
    /// Sets `bypass` to 1 when the sender is on, else 0.
    virtual void bypassChanged(platform::NSButton* sender);

    /// The unit created by createAudioUnit; absent before. Never cleared. createAudioUnit may store it on any
    /// thread while the main thread reads it: both go through std::atomic_store and std::atomic_load.
    std::shared_ptr<QuorbelAudioUnit> audioUnit;
    /// Token of the observer added to a unit's tree; null when not connected. Main thread.
    platform::AUParameterObserverToken parameterObserverToken = nullptr;

    /// The knobs of parameters 0 to 6, in address order; absent until the view is loaded.
    std::shared_ptr<AURotaryControl> mixKnob;
    std::shared_ptr<AURotaryControl> feedKnob;
    std::shared_ptr<AURotaryControl> toneKnob;
    std::shared_ptr<AURotaryControl> orbitKnob;
    std::shared_ptr<AURotaryControl> vexityKnob;
    std::shared_ptr<AURotaryControl> confusionKnob;
    std::shared_ptr<AURotaryControl> volumeKnob;
    /// Filter modes 0, 1, 2 (parameter 9), then `fail` (8) and `bypass` (7).
    std::shared_ptr<platform::NSButton> lowPassBtn;
    std::shared_ptr<platform::NSButton> bandPassBtn;
    std::shared_ptr<platform::NSButton> highPassBtn;
    std::shared_ptr<platform::NSButton> brokenBtn;
    std::shared_ptr<platform::NSButton> bypassBtn;
    /// The captions of the five buttons.
    std::shared_ptr<platform::NSImageView> lpLabel;
    std::shared_ptr<platform::NSImageView> bpLabel;
    std::shared_ptr<platform::NSImageView> hpLabel;
    std::shared_ptr<platform::NSImageView> brokenLabel;
    std::shared_ptr<platform::NSImageView> bypassLabel;
    /// Edge of every knob, points (set at each layout).
    double knobSize = 0;
    /// Edge of every button and height of every caption, points (set at each layout).
    double radioSize = 0;
    /// The captions' image providers, in caption order (lp, bp, hp, fail, bypass).
    std::vector<ImageProvider> labelProviders;

private:
    /// A knob that a refresh is setting, and the parameter value it read for it.
    struct KnobRefresh {
        const AURotaryControl* knob;
        platform::AUValue value;
    };

    /// Removes the observer from the tree it was added to and forgets its token; nothing without a token.
    void disconnectParameterObserver();
    /// The stored unit, read whole (createAudioUnit may replace it on another thread).
    std::shared_ptr<QuorbelAudioUnit> currentAudioUnit() const;
    /// Shared body of the two switch actions: the parameter at `address` = 1 when `sender` is on, else 0.
    void setToggleParameter(platform::NSButton* sender, platform::AUParameterAddress address);
    /// The observer handed to the tree: holds this controller weakly and, on any thread, only posts a
    /// refresh to the main queue. Allocates (once, when made); calling it is real-time safe.
    platform::AUParameterObserver parameterObserverHandler();
    /// This controller, held weakly (empty when it has no shared owner).
    std::weak_ptr<QuorbelAUViewControllerMac> weakSelf();

    /// The tree that holds this controller's observer (the token's), weakly: a replaced unit's tree may go
    /// with its unit, and its observer with it. Main thread.
    std::weak_ptr<platform::AUParameterTree> observedTree_;
    /// Set while updateControlsFromParameters sets a knob's value. Main thread.
    std::optional<KnobRefresh> knobRefresh_;
};

} // namespace quorbel
