#pragma once
// Internal to the vector-library stand-in: the SIMD blocks behind vDSP_zvphas and vDSP_rect.
// Each block works on contiguous arrays, handles the largest multiple of its vector width that fits in n,
// and returns how many elements it did; the caller finishes the rest with scalar code.
// This header is included by translation units built with different instruction sets: it must hold
// declarations only (no inline code that the linker could merge across them), and the one macro that
// writes out the blocks of a width where that width's file expands it.

#include <cstddef>

namespace platform::polar {

/// out[k] = atan2(y[k], x[k]); SLEEF 4-wide, SSE2 or SSE4.1 chosen by SLEEF at run time.
std::size_t phasesSse(const float* y, const float* x, float* out, std::size_t n);
/// re[k] = rho[k] cos(theta[k]), im[k] = rho[k] sin(theta[k]); SLEEF 4-wide.
std::size_t rectSse(const float* rho, const float* theta, float* re, float* im, std::size_t n);

/// As phasesSse, 8-wide; call only where AVX2 and FMA are available.
std::size_t phasesAvx2(const float* y, const float* x, float* out, std::size_t n);
/// As rectSse, 8-wide; call only where AVX2 and FMA are available.
std::size_t rectAvx2(const float* rho, const float* theta, float* re, float* im, std::size_t n);

/// As phasesSse, 16-wide; call only where AVX-512F is available.
std::size_t phasesAvx512(const float* y, const float* x, float* out, std::size_t n);
/// As rectSse, 16-wide; call only where AVX-512F is available.
std::size_t rectAvx512(const float* rho, const float* theta, float* re, float* im, std::size_t n);

/// Defines phases<Suffix> and rect<Suffix> on vectors of `width` floats: `load`, `store` and `mul` are the
/// width's unaligned load and store and its multiplication, `atan2` and `sincos` SLEEF's functions of that
/// width (sincos returns the sines in x, the cosines in y). Expanded once, inside this namespace, by the
/// file built for that width.
#define QUORBEL_POLAR_BLOCKS(Suffix, width, load, store, mul, atan2, sincos)                                 \
    std::size_t phases##Suffix(const float* y, const float* x, float* out, std::size_t n) {                  \
        std::size_t k = 0;                                                                                   \
        for (; k + (width) <= n; k += (width)) {                                                             \
            store(out + k, atan2(load(y + k), load(x + k)));                                                 \
        }                                                                                                    \
        return k;                                                                                            \
    }                                                                                                        \
    std::size_t rect##Suffix(const float* rho, const float* theta, float* re, float* im, std::size_t n) {    \
        std::size_t k = 0;                                                                                   \
        for (; k + (width) <= n; k += (width)) {                                                             \
            const auto r = load(rho + k);                                                                    \
            const auto sc = sincos(load(theta + k));                                                         \
            store(re + k, mul(r, sc.y));                                                                     \
            store(im + k, mul(r, sc.x));                                                                     \
        }                                                                                                    \
        return k;                                                                                            \
    }

} // namespace platform::polar
