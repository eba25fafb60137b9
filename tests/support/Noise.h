#pragma once
// Repeatable white noise for the tests and the benchmarks: uniform in [-amplitude, amplitude], the same
// for the same seed.
#include <cstddef>
#include <random>
#include <vector>

namespace quorbel::test {

/// Fills `out[0..count)` with the next `count` draws of `rng`, uniform in [-amplitude, amplitude].
template <typename Engine> void fillNoise(Engine& rng, float* out, std::size_t count, float amplitude) {
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = dist(rng);
    }
}

/// `n` samples of noise from a generator seeded with `seed`.
inline std::vector<float> noise(std::size_t n, unsigned seed, float amplitude) {
    std::mt19937 rng(seed);
    std::vector<float> x(n);
    fillNoise(rng, x.data(), n, amplitude);
    return x;
}

} // namespace quorbel::test
