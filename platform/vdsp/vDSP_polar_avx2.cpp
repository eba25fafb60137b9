// The 8-wide polar blocks. This file alone is compiled with -mavx2 -mfma and is only called after a
// run-time check of the processor; it includes nothing with inline functions that other files share.
#include "vdsp/PolarBlocks.h"

#include <immintrin.h>
#include <sleef.h>

namespace platform::polar {

std::size_t phasesAvx2(const float* y, const float* x, float* out, std::size_t n) {
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        _mm256_storeu_ps(out + k, Sleef_atan2f8_u10avx2(_mm256_loadu_ps(y + k), _mm256_loadu_ps(x + k)));
    }
    return k;
}

std::size_t rectAvx2(const float* rho, const float* theta, float* re, float* im, std::size_t n) {
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m256 r = _mm256_loadu_ps(rho + k);
        const Sleef___m256_2 sc = Sleef_sincosf8_u10avx2(_mm256_loadu_ps(theta + k)); // x: sine, y: cosine
        _mm256_storeu_ps(re + k, _mm256_mul_ps(r, sc.y));
        _mm256_storeu_ps(im + k, _mm256_mul_ps(r, sc.x));
    }
    return k;
}

} // namespace platform::polar
