#pragma once
/// The audio unit's ten stored parameter values and their hand-over to the DSP kernel.

#include "audiounit/ParameterTree.h"
#include "dsp/QuorbelDSPKernel.h"
#include "dsp/Relaxed.h"

#include <array>
#include <memory>

namespace quorbel {

/// The authoritative values of the ten parameters, unclamped, and the kernel they feed. Owned strongly
/// by the audio unit alone; the parameter tree's value callbacks hold it weakly, so that once the unit is
/// gone a value set through the tree does nothing and every value reads as 0. Each value is written and
/// read whole from any thread (host threads, main thread, render thread) without a lock.
class ParameterStore final {
public:
    /// The parameter defaults (0.5, 5, 500, 0, 0, 0, 0.7, 0, 0, 0); does not touch the kernel. Allocates
    /// nothing.
    explicit ParameterStore(std::shared_ptr<QuorbelDSPKernel> kernel) noexcept;

    /// The stored value of a parameter. Any thread; real-time safe.
    platform::AUValue value(ParamAddress address) const noexcept { return values_[index(address)].load(); }
    /// Stores a value as it is; runs nothing else. Any thread; real-time safe.
    void store(ParamAddress address, platform::AUValue value) noexcept {
        values_[index(address)].store(value);
    }

    /// Reads all ten values, then writes the kernel's modulation input field by field in its order:
    /// orbit, vexity and doubt widened, mix, feed, tone, fail > 0.5, volume, bypass > 0.5, and filterMode
    /// truncated toward zero (NaN gives 0, values beyond the 64-bit range saturate). Nothing is clamped.
    /// Any thread; real-time safe (ten relaxed loads and ten relaxed stores).
    void updateKernelParameters() noexcept;

private:
    std::shared_ptr<QuorbelDSPKernel> kernel_;
    std::array<Relaxed<platform::AUValue>, kParameterCount> values_;
};

} // namespace quorbel
