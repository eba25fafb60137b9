#pragma once
// Repeatable white noise for the tests: uniform in [-amplitude, amplitude], the same for the same seed.
#include <cstddef>
#include <random>
#include <vector>

namespace quorbel::test {

inline std::vector<float> noise(std::size_t n, unsigned seed, float amplitude) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> x(n);
    for (float& v : x) {
        v = dist(rng);
    }
    return x;
}

} // namespace quorbel::test
