// Phase and polar-to-rectangular conversion on SLEEF's vector functions (1.0-ulp variants), with a
// scalar tail on SLEEF's scalar functions of the same accuracy.
//
// The widest blocks the processor has run (support/VectorDispatch.h, asked on every call): 16-wide with
// AVX-512F, 8-wide with AVX2 and FMA, else the 4-wide blocks, which SLEEF itself dispatches between SSE2
// and SSE4.1. Either way every result is within 1 ulp of the exact value, so the paths can differ from
// each other by an ulp.
#include "support/VectorDispatch.h"
#include "vdsp/PolarBlocks.h"
#include "vdsp/vDSP.h"

#include <immintrin.h>
#include <sleef.h>

#include <cstddef>

namespace platform {

namespace polar {

QUORBEL_POLAR_BLOCKS(Sse, 4, _mm_loadu_ps, _mm_storeu_ps, _mm_mul_ps, Sleef_atan2f4_u10, Sleef_sincosf4_u10)

} // namespace polar

namespace {

// Contiguous phases: vector blocks, then the scalar tail.
void phases(const float* y, const float* x, float* out, std::size_t n) {
    const support::VectorExtensions has = support::processorVectorExtensions();
    std::size_t k = has.avx512f           ? polar::phasesAvx512(y, x, out, n)
                    : has.avx2 && has.fma ? polar::phasesAvx2(y, x, out, n)
                                          : polar::phasesSse(y, x, out, n);
    for (; k < n; ++k) {
        out[k] = Sleef_atan2f_u10(y[k], x[k]);
    }
}

// Contiguous polar to rectangular: vector blocks, then the scalar tail.
void rect(const float* rho, const float* theta, float* re, float* im, std::size_t n) {
    const support::VectorExtensions has = support::processorVectorExtensions();
    std::size_t k = has.avx512f           ? polar::rectAvx512(rho, theta, re, im, n)
                    : has.avx2 && has.fma ? polar::rectAvx2(rho, theta, re, im, n)
                                          : polar::rectSse(rho, theta, re, im, n);
    for (; k < n; ++k) {
        const Sleef_float2 sc = Sleef_sincosf_u10(theta[k]);
        re[k] = rho[k] * sc.y;
        im[k] = rho[k] * sc.x;
    }
}

// Strided data goes through the blocks in chunks gathered on the stack.
constexpr std::size_t kChunk = 256;

} // namespace

void vDSP_zvphas(const DSPSplitComplex* a, vDSP_Stride ia, float* c, vDSP_Stride ic, vDSP_Length n) {
    const float* re = a->realp;
    const float* im = a->imagp;
    if (ia == 1 && ic == 1) {
        phases(im, re, c, n);
        return;
    }
    alignas(32) float y[kChunk];
    alignas(32) float x[kChunk];
    alignas(32) float out[kChunk];
    for (vDSP_Length done = 0; done < n;) {
        const std::size_t count = n - done < kChunk ? n - done : kChunk;
        for (std::size_t k = 0; k < count; ++k) {
            const auto s = static_cast<vDSP_Stride>(done + k);
            y[k] = im[s * ia];
            x[k] = re[s * ia];
        }
        phases(y, x, out, count);
        for (std::size_t k = 0; k < count; ++k) {
            c[static_cast<vDSP_Stride>(done + k) * ic] = out[k];
        }
        done += count;
    }
}

void vDSP_rect(const float* a, vDSP_Stride ia, float* c, vDSP_Stride ic, vDSP_Length n) {
    // Pairs are gathered into separate radius and angle arrays a chunk at a time; each chunk is read
    // whole before it is written, so the conversion may run in place. Contiguous pairs (strides 2) take
    // a copy loop with constant strides, which the compiler vectorises.
    const bool contiguous = ia == 2 && ic == 2;
    alignas(32) float rho[kChunk];
    alignas(32) float theta[kChunk];
    alignas(32) float re[kChunk];
    alignas(32) float im[kChunk];
    for (vDSP_Length done = 0; done < n;) {
        const std::size_t count = n - done < kChunk ? n - done : kChunk;
        const float* src = a + static_cast<vDSP_Stride>(done) * ia;
        float* dst = c + static_cast<vDSP_Stride>(done) * ic;
        if (contiguous) {
            for (std::size_t k = 0; k < count; ++k) {
                rho[k] = src[2 * k];
                theta[k] = src[2 * k + 1];
            }
        } else {
            for (std::size_t k = 0; k < count; ++k) {
                const auto s = static_cast<vDSP_Stride>(k);
                rho[k] = src[s * ia];
                theta[k] = src[s * ia + 1];
            }
        }
        rect(rho, theta, re, im, count);
        if (contiguous) {
            for (std::size_t k = 0; k < count; ++k) {
                dst[2 * k] = re[k];
                dst[2 * k + 1] = im[k];
            }
        } else {
            for (std::size_t k = 0; k < count; ++k) {
                const auto s = static_cast<vDSP_Stride>(k);
                dst[s * ic] = re[k];
                dst[s * ic + 1] = im[k];
            }
        }
        done += count;
    }
}

} // namespace platform
