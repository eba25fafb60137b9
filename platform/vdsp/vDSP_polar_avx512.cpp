// The 16-wide polar blocks. This file alone is compiled with -mavx512f and is only called after a
// run-time check of the processor; it includes nothing with inline functions that other files share.
#include "vdsp/PolarBlocks.h"

#include <immintrin.h>
#include <sleef.h>

namespace platform::polar {

std::size_t phasesAvx512(const float* y, const float* x, float* out, std::size_t n) {
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        _mm512_storeu_ps(out + k, Sleef_atan2f16_u10avx512f(_mm512_loadu_ps(y + k), _mm512_loadu_ps(x + k)));
    }
    return k;
}

std::size_t rectAvx512(const float* rho, const float* theta, float* re, float* im, std::size_t n) {
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        const __m512 r = _mm512_loadu_ps(rho + k);
        const Sleef___m512_2 sc =
            Sleef_sincosf16_u10avx512f(_mm512_loadu_ps(theta + k)); // x: sine, y: cosine
        _mm512_storeu_ps(re + k, _mm512_mul_ps(r, sc.y));
        _mm512_storeu_ps(im + k, _mm512_mul_ps(r, sc.x));
    }
    return k;
}

} // namespace platform::polar
