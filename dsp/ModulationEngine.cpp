// Every expression below is 64-bit, grouped exactly as written (the parentheses fix the last bit), with the
// C library's sin, cos, fmod and floor and no contraction into fused multiply-adds. f32() marks the single
// rounding of a value stored into a 32-bit control field. The choppy step feeds the chaotic maps, so any
// regrouping changes the control sequence within seconds.
#include "dsp/ModulationEngine.h"

#include "dsp/Conversions.h"
#include "dsp/FilterMode.h"

#include <cmath>

namespace quorbel {

namespace {

float f32(double x) noexcept {
    return static_cast<float>(x);
}

constexpr double Y = kMapPeriod;

// Products and sums of the constants, as the 64-bit values the formulas use.
using M = ModulationEngine;
constexpr double phaseRate = M::freq2 * M::pi;
constexpr double slowRate = M::freq1 * M::pi;
constexpr double rateSum = M::freq1 + M::freq2;
constexpr double rateDifference = M::freq1 - M::freq2;
static_assert(phaseRate == 5.026548245743669);
static_assert(slowRate == 0.3141592653589793);
static_assert(rateSum == 1.7000000000000002);
static_assert(rateDifference == -1.5);

} // namespace

void ModulationEngine::tick(double dt) noexcept {
    time_ = time_ + dt;
    const ModulationInput in = input; // one copy; the live record may change under us
    const bool broken = in.broken;
    if (broken) {
        stepChoppy(in, dt);
    } else {
        stepWavy(in, dt);
    }
    output_.mix = in.mix;
    output_.volume = in.volume;
    output_.bypass = in.bypass;
    output_.squeeze = broken;
    output_.filterMode = in.filterMode;
    output_.purge = false;
}

void ModulationEngine::stepWavy(const ModulationInput& in, double dt) noexcept {
    const double orbit = in.orbit;
    const double vexity = in.vexity;
    const double confusion = in.confusion;
    const float feed = in.feed;
    const float tone = in.tone;
    const double t = time_;

    phase_ = phase_ + ((orbit * freq2) * pi) * dt;
    const double phi = phase_;

    output_.warble1 = f32(std::sin(phi));
    output_.warble2 = -f32(std::sin(phi + confusion * (orbit * phi)));
    output_.spread = f32(vexity);
    output_.swish = f32((std::sin(phi / phaseRate) + 2.0) * wavySwishScale);

    const float b = f32(std::sin((vexity * phaseRate) * t) * std::sin(t * slowRate + wavyOffset));
    output_.bleed = std::fabs(b) * 0.1f;

    output_.drift = saturatingInt64(std::round(confusion * vexity));

    const float s = f32(std::sin(confusion * (t * freq2)) * breakScale);
    output_.residue = feed + feed * s;

    output_.smudge = f32((std::sin(phi / pi) * 0.3) * std::sin(confusion + t * wavyOffset) + 0.5);

    output_.frequency =
        std::sin(((confusion * t) * pi) * rateDifference + (-wavyOffset)) *
            ((std::sin(phi) * 100.0) * std::sin((((vexity * t) * freq1) * pi) * rateSum + wavyOffset)) +
        static_cast<double>(tone);
    output_.Q = (vexity + 1.3) * 3.0;
}

void ModulationEngine::stepChoppy(const ModulationInput& in, double dt) noexcept {
    const double orbit = in.orbit;
    const double vexity = in.vexity;
    const double confusion = in.confusion;
    const float feed = in.feed;
    const float tone = in.tone;
    const std::int64_t filterMode = in.filterMode;

    phase_ = phase_ + ((orbit * freq2) * pi) * dt;
    const double phi = phase_;

    map1_.step();
    const double t1n = map1_._theta / Y;
    map2_.alpha_p = std::fabs(confusion);
    map2_.alpha_theta = t1n;
    map2_.step();
    const double p1n = map1_._p / Y;
    const double p2n = map2_.map._p / Y;
    const double t2n = map2_.map._theta / Y;

    const double x = phi + t2n * 0.1;
    output_.warble1 = f32(std::sin(x));
    const double pv = phi * vexity;
    output_.warble2 = -f32(std::sin(x + confusion * (pv * 0.3)));
    output_.spread = f32(vexity + p1n);
    output_.bleed = f32(std::fabs(std::sin(phi * 0.1 + t2n) * std::sin(pv)) * p2n);
    output_.drift = saturatingInt64(std::floor((confusion * 5.0) * t1n));

    const double cp = confusion * phi;
    const float s = f32(std::sin(cp + p2n) * 0.9);
    output_.residue = feed + feed * s;

    output_.frequency =
        ((std::sin(orbit * phi) * 100.0) * (std::sin(cp + (-choppyOffset)) * std::sin(pv + choppyOffset))) *
            (p1n + p2n) +
        static_cast<double>(tone);
    output_.Q = (t2n * 30.0) * std::fabs(std::cos(pv));

    if (filterModeOf(filterMode) == FilterMode::highPass) {
        output_.swish = 0.0f;
        output_.smudge = 0.5f;
    } else {
        output_.swish = f32((std::sin(phi) + p2n) * choppySwishScale);
        output_.smudge =
            f32((std::sin(phi * 0.5) * 0.3) * std::sin((confusion + phi * choppyOffset) + p2n) + 0.7);
    }
}

void ModulationEngine::reset() noexcept {
    time_ = 0.0;
    phase_ = 0.0;
    map1_ = initialMap1;
    map2_ = initialMap2;
}

} // namespace quorbel
