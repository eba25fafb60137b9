#pragma once

namespace quorbel {

/// Period of both map coordinates: the literal 6.283185 (deliberately not 2π; the control sequences of the
/// choppy mode depend on its exact value).
inline constexpr double kMapPeriod = 6.283185;

/// x reduced into the map period with the C library's fmod: fmod(x, Y) for x ≥ 0, Y + fmod(x, Y) for x < 0,
/// so the result lies in [0, Y]. Real-time safe.
double wrapAngle(double x) noexcept;

/// The Chirikov standard map: momentum `_p` kicked by `K` sin(Y θ), then the angle advanced by the new
/// momentum, both wrapped into [0, Y]. A plain value record.
struct StandardMapState {
    double K = 0.0;
    double _p = 0.0;
    double _theta = 0.0;

    /// One iteration; `K` is unchanged. Real-time safe.
    void step() noexcept;
};

/// A standard map whose new coordinates are blended with the previous ones (weights `alpha_p` and
/// `alpha_theta` on the new values), which slows and smooths its jumps. A plain value record.
struct FilteredMapState {
    StandardMapState map;
    double alpha_p = 0.0;
    double alpha_theta = 0.0;

    /// One map iteration followed by the blend; `map.K` and the weights are unchanged. Real-time safe.
    void step() noexcept;
};

} // namespace quorbel
