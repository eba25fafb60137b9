#pragma once
#include "dsp/DSPParams.h"
#include "dsp/StandardMapState.h"

namespace quorbel {

/// Turns the ten user parameters into the sixteen control values at control rate: a smooth wavy step driven
/// by an oscillator phase and the modulation time, or (when `broken`) a choppy step driven by two standard
/// maps. The arithmetic is 64-bit in a fixed grouping, reproducible to the last bit. One per DSP kernel.
class ModulationEngine final {
public:
    static constexpr double pi = 3.141592653589793;
    /// Rate constant of the slow terms.
    static constexpr double freq1 = 0.1;
    /// Rate constant of the phase: it advances by orbit × 1.6 × π radians per second.
    static constexpr double freq2 = 1.6;
    static constexpr double wavyOffset = 0.7;
    static constexpr double wavySwishScale = 0.0005;
    static constexpr double choppyOffset = 2.7;
    static constexpr double choppySwishScale = 0.003;
    /// Depth of the wavy residue modulation.
    static constexpr double breakScale = 0.8;

    /// Default parameters, modulation time and phase 0, both maps at their starting points. Real-time safe.
    ModulationEngine() noexcept = default;

    /// Advances the modulation time by `dt` seconds, runs the wavy or choppy step on one copy of `input`
    /// and completes `output()`. Real-time safe (about twenty libm calls).
    void tick(double dt) noexcept;

    /// Returns time, phase and both maps to their starting values; `input` and `output()` keep theirs.
    /// Real-time safe.
    void reset() noexcept;

    /// The user parameters; written field by field from any thread, read once per tick.
    ModulationInput input;

    /// Control values of the last tick (the default record before the first).
    const QuorDSPParams& output() const noexcept { return output_; }
    /// Seconds of modulation time since construction or reset; never wrapped.
    double time() const noexcept { return time_; }
    /// Oscillator phase in radians; never wrapped.
    double phase() const noexcept { return phase_; }
    const StandardMapState& map1() const noexcept { return map1_; }
    const FilteredMapState& map2() const noexcept { return map2_; }

    static constexpr StandardMapState initialMap1{0.99, 2.0, 3.0};
    static constexpr FilteredMapState initialMap2{{1.1, 2.0, 3.0}, 0.95, 0.92};

private:
    /// The wavy step on the tick's copy `in`: advances the phase, writes ten fields of the output.
    void stepWavy(const ModulationInput& in, double dt) noexcept;
    /// The choppy step on the tick's copy `in`: advances the phase, steps both maps, writes ten fields of
    /// the output.
    void stepChoppy(const ModulationInput& in, double dt) noexcept;

    double time_ = 0.0;
    double phase_ = 0.0;
    StandardMapState map1_ = initialMap1;
    FilteredMapState map2_ = initialMap2;
    QuorDSPParams output_;
};

} // namespace quorbel
