#include "audiotoolbox/AUAudioUnit.h"

#include <utility>

namespace platform {

/// What the render block shares with the unit. `internalBlock` is written only while no render
/// call runs (allocation, deallocation); the flags are atomic so that reads on the render thread
/// are free of data races.
struct AUAudioUnit::RenderState {
    std::atomic<bool> allocated{false};
    std::atomic<AUAudioFrameCount> maximumFramesToRender{512};
    AUInternalRenderBlock internalBlock;
    ScheduledEventQueue scheduledEvents;

    AUAudioUnitStatus render(AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp,
                             AUAudioFrameCount frameCount, NSInteger outputBusNumber,
                             AudioBufferList* outputData,
                             const AURenderPullInputBlock& pullInputBlock) noexcept {
        if (!allocated.load(std::memory_order_acquire)) {
            return kAudioUnitErr_Uninitialized;
        }
        if (frameCount > maximumFramesToRender.load(std::memory_order_relaxed)) {
            return kAudioUnitErr_TooManyFramesToProcess;
        }
        const AURenderEvent* events = scheduledEvents.takeEventList();
        return internalBlock(actionFlags, timestamp, frameCount, outputBusNumber, outputData, events,
                             pullInputBlock);
    }
};

AUAudioUnit::AUAudioUnit(const AudioComponentDescription& componentDescription,
                         AudioComponentInstantiationOptions /*options: the stand-in always loads in process*/,
                         NSError* outError)
    : componentDescription_(componentDescription), renderState_(std::make_shared<RenderState>()) {
    inputBusses_ = AUAudioUnitBusArray::create(*this, AUAudioUnitBusTypeInput, {});
    outputBusses_ = AUAudioUnitBusArray::create(*this, AUAudioUnitBusTypeOutput, {});
    if (componentDescription.componentType == 0) {
        failInitialization(NSError::withOSStatus(kAudioUnitErr_FailedInitialization,
                                                 "the component description has no component type"),
                           outError);
        return;
    }
    // Only an exact match names the unit (a zero field would match any registered component).
    if (std::optional<AudioComponentInfo> info = AudioComponentFindNext(componentDescription);
        info && info->description.componentType == componentDescription.componentType &&
        info->description.componentSubType == componentDescription.componentSubType &&
        info->description.componentManufacturer == componentDescription.componentManufacturer) {
        componentName_ = std::move(info->name);
        componentVersion_ = info->version;
    }
}

AUAudioUnit::~AUAudioUnit() = default;

void AUAudioUnit::failInitialization(const NSError& error, NSError* outError) {
    initializationError_ = error;
    if (outError != nullptr) {
        *outError = error;
    }
}

std::shared_ptr<const std::atomic<bool>> AUAudioUnit::renderResourcesAllocatedFlag() const {
    return std::shared_ptr<const std::atomic<bool>>(renderState_, &renderState_->allocated);
}

std::shared_ptr<AUAudioUnitBusArray> AUAudioUnit::inputBusses() const {
    return inputBusses_;
}
std::shared_ptr<AUAudioUnitBusArray> AUAudioUnit::outputBusses() const {
    return outputBusses_;
}

AUAudioFrameCount AUAudioUnit::maximumFramesToRender() const noexcept {
    return renderState_->maximumFramesToRender.load(std::memory_order_relaxed);
}

bool AUAudioUnit::setMaximumFramesToRender(AUAudioFrameCount frames) noexcept {
    if (renderResourcesAllocated()) {
        return false;
    }
    renderState_->maximumFramesToRender.store(frames, std::memory_order_relaxed);
    return true;
}

bool AUAudioUnit::allocateRenderResources(NSError* outError) {
    AUInternalRenderBlock block = internalRenderBlock();
    if (!block) {
        if (outError != nullptr) {
            *outError =
                NSError::withOSStatus(kAudioUnitErr_FailedInitialization, "the unit has no render routine");
        }
        return false;
    }
    renderState_->internalBlock = std::move(block);
    renderState_->allocated.store(true, std::memory_order_release);
    return true;
}

void AUAudioUnit::deallocateRenderResources() {
    renderState_->allocated.store(false, std::memory_order_release);
    renderState_->internalBlock = nullptr;
    renderState_->scheduledEvents.clear();
}

bool AUAudioUnit::renderResourcesAllocated() const noexcept {
    return renderState_->allocated.load(std::memory_order_acquire);
}

void AUAudioUnit::reset() {}

AUInternalRenderBlock AUAudioUnit::internalRenderBlock() {
    return {};
}

AURenderBlock AUAudioUnit::renderBlock() const {
    return [state = renderState_](AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp,
                                  AUAudioFrameCount frameCount, NSInteger outputBusNumber,
                                  AudioBufferList* outputData, const AURenderPullInputBlock& pullInputBlock) {
        return state->render(actionFlags, timestamp, frameCount, outputBusNumber, outputData, pullInputBlock);
    };
}

AUScheduleParameterBlock AUAudioUnit::scheduleParameterBlock() const {
    return
        [state = renderState_](AUEventSampleTime eventSampleTime, AUAudioFrameCount rampDurationSampleFrames,
                               AUParameterAddress parameterAddress, AUValue value) {
            state->scheduledEvents.push(eventSampleTime, rampDurationSampleFrames, parameterAddress, value);
        };
}

std::shared_ptr<AUParameterTree> AUAudioUnit::parameterTree() const {
    return parameterTree_;
}
void AUAudioUnit::setParameterTree(std::shared_ptr<AUParameterTree> tree) {
    parameterTree_ = std::move(tree);
}

double AUAudioUnit::latency() const {
    return 0.0;
}
double AUAudioUnit::tailTime() const {
    return 0.0;
}
bool AUAudioUnit::shouldBypassEffect() const {
    return shouldBypassEffect_;
}
void AUAudioUnit::setShouldBypassEffect(bool shouldBypass) {
    shouldBypassEffect_ = shouldBypass;
}
std::vector<NSInteger> AUAudioUnit::channelCapabilities() const {
    return {};
}

std::optional<PropertyListDictionary> AUAudioUnit::fullState() const {
    PropertyListDictionary state;
    state.set("type", PropertyList(componentDescription_.componentType));
    state.set("subtype", PropertyList(componentDescription_.componentSubType));
    state.set("manufacturer", PropertyList(componentDescription_.componentManufacturer));
    state.set("version", PropertyList(componentVersion_));
    state.set("name", PropertyList(componentName_));
    return state;
}

void AUAudioUnit::setFullState(const std::optional<PropertyListDictionary>& /*state*/) {}

std::vector<std::shared_ptr<AUAudioUnitPreset>> AUAudioUnit::factoryPresets() const {
    return {};
}
std::shared_ptr<AUAudioUnitPreset> AUAudioUnit::currentPreset() const {
    return currentPreset_;
}
void AUAudioUnit::setCurrentPreset(std::shared_ptr<AUAudioUnitPreset> preset) {
    currentPreset_ = std::move(preset);
}
bool AUAudioUnit::supportsUserPresets() const {
    return false;
}

} // namespace platform
