#include "audiounit/QuorbelAudioUnit.h"

#include "audiounit/FactoryPresets.h"
#include "audiounit/ParameterStore.h"

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
    const AVAudioFormat inputFormat = inputBus_->format();
    if (!(outputBus_->format() == inputFormat) && !outputBus_->setFormat(inputFormat, outError)) {
        return false;
    }
    if (!AUAudioUnit::allocateRenderResources(outError)) {
        return false;
    }
    dspKernel_->allocate(static_cast<std::int64_t>(inputFormat.channelCount()),
                         static_cast<std::int64_t>(maximumFramesToRender()), inputFormat.sampleRate());
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
