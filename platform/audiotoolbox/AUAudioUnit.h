#pragma once
/// Stand-in for the platform's Audio Unit base class: identity, busses, render resources, the render
/// block that wraps a subclass's internal render block, scheduled parameter events, parameter tree,
/// full state and presets.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiotoolbox/AUAudioUnitBus.h"
#include "audiotoolbox/AUAudioUnitBusArray.h"
#include "audiotoolbox/AUAudioUnitPreset.h"
#include "audiotoolbox/AUParameterTree.h"
#include "audiotoolbox/AURenderEvent.h"
#include "audiotoolbox/AudioBufferList.h"
#include "audiotoolbox/AudioComponent.h"
#include "audiotoolbox/AudioUnitTypes.h"
#include "audiotoolbox/NSError.h"
#include "audiotoolbox/PropertyList.h"
#include "audiotoolbox/ScheduledEventQueue.h"

namespace platform {

/// Fetches a slice of input: (action flags, timestamp, frame count, input bus number, input data)
/// → status. An empty function stands for "no pull-input block".
using AURenderPullInputBlock = std::function<AUAudioUnitStatus(
    AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp, AUAudioFrameCount frameCount,
    NSInteger inputBusNumber, AudioBufferList* inputData)>;

/// What hosts call for each slice: (action flags, timestamp, frame count, output bus number,
/// output data, pull-input block) → status.
using AURenderBlock = std::function<AUAudioUnitStatus(
    AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp, AUAudioFrameCount frameCount,
    NSInteger outputBusNumber, AudioBufferList* outputData, const AURenderPullInputBlock& pullInputBlock)>;

/// A subclass's render routine: the render block's arguments plus the slice's event list (null
/// when there are no events; valid only during the call).
using AUInternalRenderBlock = std::function<AUAudioUnitStatus(
    AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp, AUAudioFrameCount frameCount,
    NSInteger outputBusNumber, AudioBufferList* outputData, const AURenderEvent* realtimeEventListHead,
    const AURenderPullInputBlock& pullInputBlock)>;

/// Schedules a parameter change for the next render slice: (sample time, ramp duration in frames,
/// address, value).
using AUScheduleParameterBlock =
    std::function<void(AUEventSampleTime eventSampleTime, AUAudioFrameCount rampDurationSampleFrames,
                       AUParameterAddress parameterAddress, AUValue value)>;

/// The Audio Unit base class. Subclasses override the virtual members and are created through
/// instantiate<Unit>(), which reports a failed construction as no object and an error. Held by
/// std::shared_ptr. Unless a member says otherwise, call it from host threads, one at a time, and
/// never while a render call runs; renderBlock() and scheduleParameterBlock() hand out the functions
/// for the render thread and for any thread.
///
/// Render path: the internal render block is read once per allocation and stored; the render block
/// calls it through that stored std::function, which it never copies, so rendering allocates nothing.
class AUAudioUnit : public std::enable_shared_from_this<AUAudioUnit> {
public:
    /// The base initialiser (initWithComponentDescription:options:error:). Fails, recording the error
    /// and writing it to `outError` when given, for a description whose component type is 0. Takes the
    /// component's name and version from the component register (empty and 0 when unregistered).
    /// Allocates.
    AUAudioUnit(const AudioComponentDescription& componentDescription,
                AudioComponentInstantiationOptions options, NSError* outError);
    virtual ~AUAudioUnit();
    AUAudioUnit(const AUAudioUnit&) = delete;
    AUAudioUnit& operator=(const AUAudioUnit&) = delete;

    /// Creates a `Unit` from its constructor (description, options, NSError*); returns null and writes
    /// the error when the base or the subclass marked the construction failed. Allocates.
    template <typename Unit>
    static std::shared_ptr<Unit> instantiate(const AudioComponentDescription& componentDescription,
                                             AudioComponentInstantiationOptions options, NSError* outError) {
        auto unit = std::make_shared<Unit>(componentDescription, options, nullptr);
        if (unit->initializationError()) {
            if (outError != nullptr) {
                *outError = *unit->initializationError();
            }
            return nullptr;
        }
        return unit;
    }

    /// The error that made construction fail, or none.
    const std::optional<NSError>& initializationError() const noexcept { return initializationError_; }

    /// The description the unit was created with, and the registered name and version. Any thread.
    const AudioComponentDescription& componentDescription() const noexcept { return componentDescription_; }
    const std::string& componentName() const noexcept { return componentName_; }
    std::uint32_t componentVersion() const noexcept { return componentVersion_; }

    /// Input and output busses. The base has none (empty arrays).
    virtual std::shared_ptr<AUAudioUnitBusArray> inputBusses() const;
    virtual std::shared_ptr<AUAudioUnitBusArray> outputBusses() const;

    /// The largest frame count a render call may ask for; 512 until set.
    AUAudioFrameCount maximumFramesToRender() const noexcept;
    /// Sets it; refused (false, unchanged) while render resources are allocated.
    bool setMaximumFramesToRender(AUAudioFrameCount frames) noexcept;

    /// Prepares for rendering (allocateRenderResourcesAndReturnError:): reads internalRenderBlock()
    /// once and keeps it for the render block, then marks the resources allocated. Fails with
    /// kAudioUnitErr_FailedInitialization when the internal render block is empty. May be called again
    /// while allocated (reads the internal block again). Allocates.
    virtual bool allocateRenderResources(NSError* outError);
    /// Releases what allocation prepared, the kept internal block and any queued scheduled events
    /// included; the render block then refuses to render.
    virtual void deallocateRenderResources();
    /// Whether render resources are allocated. Any thread.
    bool renderResourcesAllocated() const noexcept;
    /// Clears rendering state. The base has none.
    virtual void reset();

    /// The subclass's render routine; the base has none (empty).
    virtual AUInternalRenderBlock internalRenderBlock();
    /// The render block for hosts. It returns kAudioUnitErr_Uninitialized (-10867) while render resources
    /// are not allocated and kAudioUnitErr_TooManyFramesToProcess (-10874) for a frame count above
    /// maximumFramesToRender(), both without touching the buffers or the queued events; otherwise it
    /// hands the events scheduled since the previous slice, as the slice's event list, and its
    /// arguments to the internal block kept at allocation and returns its status. The block keeps the
    /// unit's render state alive, not the unit. Allocates when made; calling it is real-time safe.
    AURenderBlock renderBlock() const;
    /// The block hosts schedule parameter events with (any thread; lock-free; events beyond
    /// ScheduledEventQueue::capacity waiting for the next slice are dropped). Allocates when made.
    AUScheduleParameterBlock scheduleParameterBlock() const;

    /// The parameter tree; the base stores what is set (null at first).
    virtual std::shared_ptr<AUParameterTree> parameterTree() const;
    virtual void setParameterTree(std::shared_ptr<AUParameterTree> tree);

    /// Delay from input to output, in seconds; the base reports 0.
    virtual double latency() const;
    /// How long output continues after input stops, in seconds; the base reports 0.
    virtual double tailTime() const;
    /// Whether the effect passes its input through; the base keeps the flag and does nothing else.
    virtual bool shouldBypassEffect() const;
    virtual void setShouldBypassEffect(bool shouldBypass);
    /// Supported (input, output) channel-count pairs, -1 meaning any; the base reports none (empty).
    virtual std::vector<NSInteger> channelCapabilities() const;

    /// The unit's state: the base gives its identity, "type", "subtype" and "manufacturer" (the
    /// description's codes as integers), "version" (integer) and "name" (text). Allocates.
    virtual std::optional<PropertyListDictionary> fullState() const;
    /// Restores a state; the base ignores every entry (its identity cannot change) and nil.
    virtual void setFullState(const std::optional<PropertyListDictionary>& state);

    /// Factory presets; the base has none.
    virtual std::vector<std::shared_ptr<AUAudioUnitPreset>> factoryPresets() const;
    /// The current preset; the base keeps what was set (null at first).
    virtual std::shared_ptr<AUAudioUnitPreset> currentPreset() const;
    virtual void setCurrentPreset(std::shared_ptr<AUAudioUnitPreset> preset);
    /// Whether the host may save user presets; the base says no.
    virtual bool supportsUserPresets() const;

protected:
    /// Marks the construction failed (for a subclass whose own construction steps fail) and writes
    /// the error to `outError` when given; instantiate() then returns no object. Allocates.
    void failInitialization(const NSError& error, NSError* outError);

private:
    friend class AUAudioUnitBusArray;
    struct RenderState;

    /// The "render resources allocated" flag, shared with the unit's busses.
    std::shared_ptr<const std::atomic<bool>> renderResourcesAllocatedFlag() const;

    AudioComponentDescription componentDescription_;
    std::string componentName_;
    std::uint32_t componentVersion_ = 0;
    std::optional<NSError> initializationError_;

    std::shared_ptr<RenderState> renderState_;
    std::shared_ptr<AUAudioUnitBusArray> inputBusses_;
    std::shared_ptr<AUAudioUnitBusArray> outputBusses_;
    std::shared_ptr<AUParameterTree> parameterTree_;
    std::shared_ptr<AUAudioUnitPreset> currentPreset_;
    bool shouldBypassEffect_ = false;
};

} // namespace platform
