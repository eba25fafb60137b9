// The map arithmetic is fixed to the last bit: 64-bit, the grouping written here, C library fmod and sin,
// no contraction into fused multiply-adds. The maps are chaotic, so one ulp grows into a different control
// sequence within about a second of audio.
#include "dsp/StandardMapState.h"

#include <cmath>

namespace quorbel {

double wrapAngle(double x) noexcept {
    const double r = std::fmod(x, kMapPeriod);
    return x < 0.0 ? kMapPeriod + r : r;
}

void StandardMapState::step() noexcept {
    const double p = wrapAngle(_p + K * std::sin(kMapPeriod * _theta));
    const double theta = wrapAngle(_theta + p);
    _p = p;
    _theta = theta;
}

void FilteredMapState::step() noexcept {
    const double pn = map._p / kMapPeriod;
    const double tn = map._theta / kMapPeriod;
    StandardMapState next = map;
    next.step();
    map._p = wrapAngle((alpha_p * (next._p / kMapPeriod) + pn * (1.0 - alpha_p)) * kMapPeriod);
    map._theta =
        wrapAngle((alpha_theta * (next._theta / kMapPeriod) + tn * (1.0 - alpha_theta)) * kMapPeriod);
}

} // namespace quorbel
