#pragma once
#include "dsp/Relaxed.h"

#include <cstdint>

namespace quorbel {

/// The ten user parameters as the DSP engine reads them. Written field by field by the audio unit from
/// any thread, read by the modulation tick on the render thread through one copy of the whole record;
/// each field crosses threads whole (a tick may see some fields new and others old).
struct ModulationInput {
    Relaxed<double> orbit{0.0};
    Relaxed<double> vexity{0.0};
    Relaxed<double> confusion{0.0};
    Relaxed<float> mix{0.5f};
    Relaxed<float> feed{5.0f};
    Relaxed<float> tone{500.0f};
    Relaxed<bool> broken{false};
    Relaxed<float> volume{0.7f};
    Relaxed<bool> bypass{false};
    Relaxed<std::int64_t> filterMode{0};
};

/// The sixteen control values produced at each modulation tick and read by the spectral kernels,
/// the pan, the biquad filter and the output stage. Render thread only.
struct QuorDSPParams {
    float swish = 0.0005f;
    float bleed = 0.05f;
    float residue = 5.0f;
    float smudge = 0.5f;
    std::int64_t drift = 0;
    bool squeeze = false;
    bool purge = false;
    double frequency = 500.0;
    double Q = 3.0;
    std::int64_t filterMode = 0;
    float mix = 0.5f;
    float volume = 0.7f;
    bool bypass = false;
    float warble1 = 0.0f;
    float warble2 = 0.0f;
    float spread = 0.0f;
};

} // namespace quorbel
