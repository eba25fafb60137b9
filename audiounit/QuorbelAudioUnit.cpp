#include "audiounit/QuorbelAudioUnit.h"

#include "audiounit/FactoryPresets.h"
#include "audiounit/ParameterStore.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace quorbel {

using platform::AUAudioUnitBus;
using platform::AUAudioUnitBusArray;
using platform::AUParameter;
using platform::AUValue;
using platform::AVAudioFormat;
using platform::NSError;

namespace {

/// Samples of delay through the DSP engine, as reported to hosts.
constexpr double kLatencySamples = 16384.0;
constexpr double kTailTimeSeconds = 1.0;
constexpr double kStandardSampleRate = 44100.0;
constexpr platform::AVAudioChannelCount kStandardChannelCount = 2;

/// The platform's error for an allocation of render resources that threw `failure`: kAudio_MemFullError
/// when memory ran out (std::bad_alloc, or a size beyond what a buffer can hold), otherwise
/// kAudioUnitErr_FailedInitialization with the failure's text.
NSError allocationError(const std::exception& failure, std::int64_t channels, std::int64_t frames) noexcept {
    const bool memory = dynamic_cast<const std::bad_alloc*>(&failure) != nullptr ||
                        dynamic_cast<const std::length_error*>(&failure) != nullptr;
    const platform::OSStatus status =
        memory ? platform::kAudio_MemFullError : platform::kAudioUnitErr_FailedInitialization;
    try {
        return NSError::withOSStatus(
            status, memory ? "not enough memory for the render resources of " + std::to_string(channels) +
                                 " channels and " + std::to_string(frames) + " frames per call"
                           : std::string("cannot allocate the render resources: ") + failure.what());
    } catch (...) {
        return NSError(std::string(), status, std::string()); // not even the message could be had
    }
}

} // namespace

QuorbelAudioUnit::QuorbelAudioUnit(const platform::AudioComponentDescription& componentDescription,
                                   platform::AudioComponentInstantiationOptions options, NSError* outError)
    : AUAudioUnit(componentDescription, options, outError), dspKernel_(std::make_shared<QuorbelDSPKernel>()),
      parameters_(std::make_shared<ParameterStore>(dspKernel_)), currentPreset_(defaultPreset()) {
    if (initializationError()) {
        return; // the base initialiser failed and has reported its error
    }

    const AVAudioFormat format(kStandardSampleRate, kStandardChannelCount);
    NSError busError;
    inputBus_ = AUAudioUnitBus::create(format, &busError);
    if (!inputBus_) {
        failInitialization(busError, outError);
        return;
    }
    outputBus_ = AUAudioUnitBus::create(format, &busError);
    if (!outputBus_) {
        failInitialization(busError, outError);
        return;
    }
    inputBusArray_ = AUAudioUnitBusArray::create(*this, platform::AUAudioUnitBusTypeInput, {inputBus_});
    outputBusArray_ = AUAudioUnitBusArray::create(*this, platform::AUAudioUnitBusTypeOutput, {outputBus_});

    setupParameterTree();
}

QuorbelAudioUnit::~QuorbelAudioUnit() = default;

std::shared_ptr<platform::AUParameterTree> QuorbelAudioUnit::parameterTree() const {
    return parameterTree_;
}

void QuorbelAudioUnit::setParameterTree(std::shared_ptr<platform::AUParameterTree> tree) {
    parameterTree_ = std::move(tree);
}

std::shared_ptr<AUAudioUnitBusArray> QuorbelAudioUnit::inputBusses() const {
    return inputBusArray_;
}

std::shared_ptr<AUAudioUnitBusArray> QuorbelAudioUnit::outputBusses() const {
    return outputBusArray_;
}

double QuorbelAudioUnit::latency() const {
    const double sampleRate = inputBus_ ? inputBus_->format().sampleRate() : 0.0;
    return sampleRate > 0.0 ? kLatencySamples / sampleRate : 0.0;
}

double QuorbelAudioUnit::tailTime() const {
    return kTailTimeSeconds;
}

bool QuorbelAudioUnit::shouldBypassEffect() const {
    return paramValue(ParamAddress::bypass) > 0.5f;
}

void QuorbelAudioUnit::setShouldBypassEffect(bool shouldBypass) {
    const AUValue value = shouldBypass ? 1.0f : 0.0f;
    setParamValue(ParamAddress::bypass, value);
    if (parameterTree_) {
        if (AUParameter* parameter = parameterTree_->parameterWithAddress(index(ParamAddress::bypass))) {
            parameter->setValue(value);
        }
    }
    updateKernelParameters();
}

std::vector<platform::NSInteger> QuorbelAudioUnit::channelCapabilities() const {
    return {-1, -1};
}

bool QuorbelAudioUnit::allocateRenderResources(NSError* outError) {
    if (!inputBus_ || !outputBus_) {
        if (outError != nullptr) {
            *outError =
                NSError::withOSStatus(platform::kAudioUnitErr_FailedInitialization, "the unit has no busses");
        }
        return false;
    }
    // Whatever cannot be had on the way (memory above all: every per-channel buffer is as long as the
    // largest call) is reported as the platform's error, never thrown at the host. A failed allocation
    // leaves the unit as it was: the kernel keeps what it had, and render resources that were not allocated
    // before are released again.
    const bool wasAllocated = renderResourcesAllocated();
    std::int64_t channels = 0;
    std::int64_t frames = 0;
    try {
        const AVAudioFormat inputFormat = inputBus_->format();
        if (!(outputBus_->format() == inputFormat) && !outputBus_->setFormat(inputFormat, outError)) {
            return false;
        }
        if (!AUAudioUnit::allocateRenderResources(outError)) {
            return false;
        }
        channels = static_cast<std::int64_t>(inputFormat.channelCount());
        frames = static_cast<std::int64_t>(maximumFramesToRender());
        dspKernel_->allocate(channels, frames, inputFormat.sampleRate());
    } catch (const std::exception& failure) {
        if (!wasAllocated) {
            AUAudioUnit::deallocateRenderResources();
        }
        if (outError != nullptr) {
            *outError = allocationError(failure, channels, frames);
        }
        return false;
    }
    updateKernelParameters();
    return true;
}

void QuorbelAudioUnit::deallocateRenderResources() {
    dspKernel_->deallocate();
    AUAudioUnit::deallocateRenderResources();
}

void QuorbelAudioUnit::reset() {
    AUAudioUnit::reset();
    dspKernel_->reset();
}

bool QuorbelAudioUnit::supportsUserPresets() const {
    return true;
}

std::vector<std::shared_ptr<platform::AUAudioUnitPreset>> QuorbelAudioUnit::factoryPresets() const {
    return buildFactoryPresets();
}

std::shared_ptr<platform::AUAudioUnitPreset> QuorbelAudioUnit::currentPreset() const {
    return currentPreset_;
}

void QuorbelAudioUnit::setCurrentPreset(std::shared_ptr<platform::AUAudioUnitPreset> preset) {
    if (preset && preset->number() >= 0) {
        const FactoryPresetRow& row = factoryPresetRow(preset->number());
        for (std::size_t address = 0; address < kParameterCount; ++address) {
            // Looked up again for each address: setting a value may run code that replaces the tree.
            if (const std::shared_ptr<platform::AUParameterTree> tree = parameterTree()) {
                if (AUParameter* parameter = tree->parameterWithAddress(address)) {
                    parameter->setValue(row[address]);
                }
            }
        }
    }
    currentPreset_ = std::move(preset);
}

AUValue QuorbelAudioUnit::paramValue(ParamAddress address) const noexcept {
    return parameters_->value(address);
}

void QuorbelAudioUnit::setParamValue(ParamAddress address, AUValue value) noexcept {
    parameters_->store(address, value);
}

void QuorbelAudioUnit::updateKernelParameters() noexcept {
    parameters_->updateKernelParameters();
}

} // namespace quorbel
