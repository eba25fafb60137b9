// Elementwise vector arithmetic, split-complex conversions, table lookup and windows.
#include "vdsp/vDSP.h"

#include "support/MathConstants.h"
#include "support/VectorDispatch.h"

#include <cmath>
#include <cstdint>

// The elementwise loops are compiler clones for the SSE2 baseline and for AVX2 (support/VectorDispatch.h).
// Wider lanes change nothing in the results: every operation is the same IEEE operation (no fused
// multiply-add: contraction is off), square roots and divisions correctly rounded.

namespace platform {

using support::kTwoPi;

void vDSP_hann_window(float* c, vDSP_Length n, int flag) {
    const vDSP_Length count = (flag & vDSP_HALF_WINDOW) ? (n + 1) / 2 : n;
    const double scale = (flag & vDSP_HANN_NORM) ? 0.8165 : 1.0;
    for (vDSP_Length i = 0; i < count; ++i) {
        const double w = 0.5 * (1.0 - std::cos(kTwoPi * static_cast<double>(i) / static_cast<double>(n)));
        c[i] = static_cast<float>(scale * w);
    }
}

void vDSP_blkman_window(float* c, vDSP_Length n, int flag) {
    const vDSP_Length count = (flag & vDSP_HALF_WINDOW) ? (n + 1) / 2 : n;
    for (vDSP_Length i = 0; i < count; ++i) {
        const double x = kTwoPi * static_cast<double>(i) / static_cast<double>(n);
        c[i] = static_cast<float>(0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x));
    }
}

QUORBEL_VECTOR_CLONES void vDSP_ctoz(const DSPComplex* c, vDSP_Stride ic, const DSPSplitComplex* z,
                                     vDSP_Stride iz, vDSP_Length n) {
    const float* src = reinterpret_cast<const float*>(c);
    float* re = z->realp;
    float* im = z->imagp;
    if (ic == 2 && iz == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            re[k] = src[2 * k];
            im[k] = src[2 * k + 1];
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        re[s * iz] = src[s * ic];
        im[s * iz] = src[s * ic + 1];
    }
}

QUORBEL_VECTOR_CLONES void vDSP_ztoc(const DSPSplitComplex* z, vDSP_Stride iz, DSPComplex* c, vDSP_Stride ic,
                                     vDSP_Length n) {
    float* dst = reinterpret_cast<float*>(c);
    const float* re = z->realp;
    const float* im = z->imagp;
    if (ic == 2 && iz == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            dst[2 * k] = re[k];
            dst[2 * k + 1] = im[k];
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        dst[s * ic] = re[s * iz];
        dst[s * ic + 1] = im[s * iz];
    }
}

QUORBEL_VECTOR_CLONES void vDSP_zvabs(const DSPSplitComplex* a, vDSP_Stride ia, float* c, vDSP_Stride ic,
                                      vDSP_Length n) {
    const float* re = a->realp;
    const float* im = a->imagp;
    if (ia == 1 && ic == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            c[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]);
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        const float r = re[s * ia];
        const float i = im[s * ia];
        c[s * ic] = std::sqrt(r * r + i * i);
    }
}

QUORBEL_VECTOR_CLONES void vDSP_vmul(const float* a, vDSP_Stride ia, const float* b, vDSP_Stride ib, float* c,
                                     vDSP_Stride ic, vDSP_Length n) {
    if (ia == 1 && ib == 1 && ic == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            c[k] = a[k] * b[k];
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        c[s * ic] = a[s * ia] * b[s * ib];
    }
}

QUORBEL_VECTOR_CLONES void vDSP_vadd(const float* a, vDSP_Stride ia, const float* b, vDSP_Stride ib, float* c,
                                     vDSP_Stride ic, vDSP_Length n) {
    if (ia == 1 && ib == 1 && ic == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            c[k] = a[k] + b[k];
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        c[s * ic] = a[s * ia] + b[s * ib];
    }
}

QUORBEL_VECTOR_CLONES void vDSP_vsma(const float* a, vDSP_Stride ia, const float* b, const float* c,
                                     vDSP_Stride ic, float* d, vDSP_Stride id, vDSP_Length n) {
    const float scalar = *b;
    if (ia == 1 && ic == 1 && id == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            d[k] = a[k] * scalar + c[k];
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        d[s * id] = a[s * ia] * scalar + c[s * ic];
    }
}

QUORBEL_VECTOR_CLONES void vDSP_vsmul(const float* a, vDSP_Stride ia, const float* b, float* c,
                                      vDSP_Stride ic, vDSP_Length n) {
    const float scalar = *b;
    if (ia == 1 && ic == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            c[k] = a[k] * scalar;
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        c[s * ic] = a[s * ia] * scalar;
    }
}

QUORBEL_VECTOR_CLONES void vDSP_vsdiv(const float* a, vDSP_Stride ia, const float* b, float* c,
                                      vDSP_Stride ic, vDSP_Length n) {
    const float scalar = *b;
    if (ia == 1 && ic == 1) {
        for (vDSP_Length k = 0; k < n; ++k) {
            c[k] = a[k] / scalar;
        }
        return;
    }
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        c[s * ic] = a[s * ia] / scalar;
    }
}

namespace {

// vDSP_vtabi over contiguous data with a table of at most 2^24 entries (every index exact in a float and
// in 32 bits), without branches: every lane computes the interpolation at a clamped index and then
// selects, so the loop vectorises and random data costs no mispredictions. Same operations, same results
// as the general loop.
QUORBEL_VECTOR_CLONES void tableLookupContiguous(const float* a, float scale, float offset,
                                                 const float* table, vDSP_Length m, float* d, vDSP_Length n) {
    const float last = static_cast<float>(m - 1);
    const float first = table[0];
    const float final = table[m - 1];
    for (vDSP_Length k = 0; k < n; ++k) {
        const float q = scale * a[k] + offset;
        const bool inside = (q >= 0.0f) & (q < last); // false for NaN
        const float qc = inside ? q : 0.0f;
        const auto i = static_cast<std::int32_t>(qc); // 0 ≤ qc < m − 1: truncation is the floor
        const float f = qc - static_cast<float>(i);
        const float between = (1.0f - f) * table[i] + f * table[i + 1];
        const float outside = q < 0.0f ? first : (q >= last ? final : q); // NaN stays NaN
        d[k] = inside ? between : outside;
    }
}

} // namespace

void vDSP_vtabi(const float* a, vDSP_Stride ia, const float* s1, const float* s2, const float* table,
                vDSP_Length m, float* d, vDSP_Stride id, vDSP_Length n) {
    const float scale = *s1;
    const float offset = *s2;
    if (ia == 1 && id == 1 && m >= 2 && m <= (vDSP_Length{1} << 24)) {
        tableLookupContiguous(a, scale, offset, table, m, d, n);
        return;
    }
    const float last = static_cast<float>(m - 1);
    for (vDSP_Length k = 0; k < n; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        const float q = scale * a[s * ia] + offset;
        float result;
        if (q < 0.0f) {
            result = table[0];
        } else if (q >= last) {
            result = table[m - 1];
        } else if (q == q) {
            // 0 ≤ q < m − 1 here, so truncation is the floor and the conversion is defined.
            const auto i = static_cast<vDSP_Length>(q);
            const float f = q - static_cast<float>(i);
            result = (1.0f - f) * table[i] + f * table[i + 1];
        } else {
            result = q; // NaN stays NaN
        }
        d[s * id] = result;
    }
}

} // namespace platform
