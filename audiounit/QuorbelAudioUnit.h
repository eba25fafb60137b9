#pragma once
/// The effect's audio unit: what an Audio Unit host talks to.

#include "audiotoolbox/AUAudioUnit.h"
#include "audiounit/ParameterTree.h"
#include "dsp/QuorbelDSPKernel.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorbel {

class ParameterStore;

/// The audio unit: one input and one output bus (stereo 32-bit float at 44100 Hz until the host sets
/// another format), ten parameters in a flat tree, 16384 samples of latency, one second of tail, a full
/// state with the ten values, eight factory presets, and a render block that pulls the input, applies the
/// slice's parameter events and runs the DSP kernel in place. Create it through
/// `platform::AUAudioUnit::instantiate<QuorbelAudioUnit>(description, options, &error)`.
///
/// Threads: host threads call construction, allocation, deallocation, reset, the busses, the full state,
/// the presets and the bypass setter, one at a time and never during a render call; parameter values may
/// be set through the tree from any thread, the render thread included; the render block runs on the
/// render thread. No lock is taken anywhere.
class QuorbelAudioUnit : public platform::AUAudioUnit {
public:
    /// Creates the kernel, the two busses with the standard format (44100 Hz, 2 channels), their bus arrays
    /// and the parameter tree; the current preset is "Default". On failure of the base initialiser or of a
    /// bus, marks the construction failed with that error (instantiate() then returns no unit) and writes
    /// it to `outError` when given. Host thread. Allocates.
    QuorbelAudioUnit(const platform::AudioComponentDescription& componentDescription,
                     platform::AudioComponentInstantiationOptions options, platform::NSError* outError);
    ~QuorbelAudioUnit() override;

    /// The parameter tree (null only when the host set it so). Host thread.
    std::shared_ptr<platform::AUParameterTree> parameterTree() const override;
    /// Replaces the tree and does nothing else: a tree set here gets none of the unit's callbacks, and a
    /// render block made earlier keeps the tree it was made with. Host thread.
    void setParameterTree(std::shared_ptr<platform::AUParameterTree> tree) override;

    /// The input bus array (one bus). Host thread.
    std::shared_ptr<platform::AUAudioUnitBusArray> inputBusses() const override;
    /// The output bus array (one bus). Host thread.
    std::shared_ptr<platform::AUAudioUnitBusArray> outputBusses() const override;

    /// 16384 samples in seconds at the input bus's current rate; 0 when that rate is not positive.
    /// Host thread.
    double latency() const override;
    /// 1 second. Any thread.
    double tailTime() const override;
    /// Whether the bypass parameter is on (its stored value greater than 0.5). Any thread.
    bool shouldBypassEffect() const override;
    /// Stores 1 or 0 as the bypass value, sets it through the tree (observers are notified) and updates
    /// the kernel. Host thread.
    void setShouldBypassEffect(bool shouldBypass) override;
    /// A new array {-1, -1} on each read: any channel count, the same on input and output. Allocates.
    std::vector<platform::NSInteger> channelCapabilities() const override;

    /// The base's entries plus "QuorbelParams", the ten values under their identifiers as reals. Host
    /// thread. Allocates.
    std::optional<platform::PropertyListDictionary> fullState() const override;
    /// Gives the state to the base, then restores the values of a usable "QuorbelParams" entry (a dictionary
    /// whose every value is a number within the 32-bit float range): stores them, sets them through the
    /// tree and updates the kernel. A missing or unusable entry, or nil, changes no value. Host thread.
    void setFullState(const std::optional<platform::PropertyListDictionary>& state) override;

    /// Makes the output bus take the input bus's format, runs the base allocation, allocates the kernel for
    /// the input format's channel count and rate and maximumFramesToRender(), then hands the ten values to
    /// the kernel. On failure returns false with the error and throws nothing: kAudio_MemFullError when
    /// memory runs out; the kernel then keeps what it had, and the unit is allocated only if it was before.
    /// Host thread. Allocates.
    bool allocateRenderResources(platform::NSError* outError) override;
    /// Releases the kernel's per-channel objects, then the base's render resources. Host thread. Frees.
    void deallocateRenderResources() override;
    /// The base reset, then the kernel's (spectra, filter carries, modulation clock and maps). Host thread.
    void reset() override;

    /// A new render block holding the current tree and the kernel, not the unit. Host thread. Allocates;
    /// calling the block is real-time safe.
    platform::AUInternalRenderBlock internalRenderBlock() override;

    /// True: hosts may save user presets (restored through the full state). Any thread.
    bool supportsUserPresets() const override;
    /// The eight factory presets in number order 0 to 7, the same shared objects on every read. Allocates.
    std::vector<std::shared_ptr<platform::AUAudioUnitPreset>> factoryPresets() const override;
    /// The preset last set (construction: factory preset 0 "Default"); may be null. Host thread.
    std::shared_ptr<platform::AUAudioUnitPreset> currentPreset() const override;
    /// A preset numbered 0 or more sets all ten parameters through the tree to its row (1 to 7 their own
    /// rows, 0 and 8 or more the default row); a negative number or null sets nothing. Either way the
    /// preset becomes current. Host thread.
    void setCurrentPreset(std::shared_ptr<platform::AUAudioUnitPreset> preset) override;

    /// The DSP kernel, owned for the unit's whole life (shared with render blocks). Any thread.
    const std::shared_ptr<QuorbelDSPKernel>& dspKernel() const noexcept { return dspKernel_; }
    /// The stored value of a parameter, as the tree's value provider reports it. Any thread; real-time safe.
    platform::AUValue paramValue(ParamAddress address) const noexcept;
    /// Stores a parameter value directly, without observers and without updating the kernel. Any thread;
    /// real-time safe.
    void setParamValue(ParamAddress address, platform::AUValue value) noexcept;
    /// Copies the ten stored values into the kernel's modulation input (the only path from the unit into
    /// the DSP engine). Any thread; real-time safe.
    void updateKernelParameters() noexcept;

protected:
    /// Builds the ten parameters and the tree, stores it and installs the four callbacks. Called once by
    /// the constructor. Allocates.
    void setupParameterTree();

private:
    std::shared_ptr<QuorbelDSPKernel> dspKernel_;
    std::shared_ptr<ParameterStore> parameters_;
    std::shared_ptr<platform::AUParameterTree> parameterTree_;
    std::shared_ptr<platform::AUAudioUnitBusArray> inputBusArray_;
    std::shared_ptr<platform::AUAudioUnitBusArray> outputBusArray_;
    std::shared_ptr<platform::AUAudioUnitBus> inputBus_;
    std::shared_ptr<platform::AUAudioUnitBus> outputBus_;
    std::shared_ptr<platform::AUAudioUnitPreset> currentPreset_;
};

} // namespace quorbel
