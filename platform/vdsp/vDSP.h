#pragma once
/// Stand-in for the subset of the platform's vector library (vDSP) that the DSP engine calls.
/// Names, argument order and strides follow the platform's functions; all of them work on 32-bit floats.
/// Everything here is real-time safe except creating and destroying DFT setups.

#include <cstdint>

namespace platform {

using vDSP_Length = unsigned long;
using vDSP_Stride = long;

/// One interleaved complex value.
struct DSPComplex {
    float real;
    float imag;
};

/// A complex vector held as separate real-part and imaginary-part arrays.
struct DSPSplitComplex {
    float* realp;
    float* imagp;
};

enum vDSP_DFT_Direction : int { vDSP_DFT_FORWARD = +1, vDSP_DFT_INVERSE = -1 };

/// Window flags (0: full length, not normalised).
enum : int { vDSP_HALF_WINDOW = 1, vDSP_HANN_NORM = 2 };

struct vDSP_DFT_SetupStruct;
using vDSP_DFT_Setup = vDSP_DFT_SetupStruct*;

/// Creates a packed real DFT of `length` points (a power of two, at least 16) in the given direction.
/// `previous` may share its resources with the new setup. Allocates and plans; not real-time safe.
/// Returns null for an unsupported length or when a plan cannot be made.
vDSP_DFT_Setup vDSP_DFT_zrop_CreateSetup(vDSP_DFT_Setup previous, vDSP_Length length,
                                         vDSP_DFT_Direction direction);

/// Runs a packed real DFT. Input and output are split even/odd samples (time domain) or the packed
/// spectrum (DC in re[0], Nyquist in im[0]), each array of length/2 floats. Forward results are twice
/// the plain DFT; the inverse applies no 1/N. Output may alias input. Real-time safe; a setup runs on one
/// thread at a time (it holds its own work buffers).
void vDSP_DFT_Execute(const vDSP_DFT_SetupStruct* setup, const float* ir, const float* ii, float* outr,
                      float* outi);

/// Releases a setup made by vDSP_DFT_zrop_CreateSetup (null is ignored). Not real-time safe.
void vDSP_DFT_DestroySetup(vDSP_DFT_Setup setup);

/// Periodic Hann window: c[n] = 0.5 (1 - cos(2 pi n / N)); flag vDSP_HANN_NORM scales by 0.8165,
/// vDSP_HALF_WINDOW writes only the first (N + 1) / 2 values.
void vDSP_hann_window(float* c, vDSP_Length n, int flag);

/// Blackman window: c[n] = 0.42 - 0.5 cos(2 pi n / N) + 0.08 cos(4 pi n / N); vDSP_HALF_WINDOW
/// writes only the first (N + 1) / 2 values.
void vDSP_blkman_window(float* c, vDSP_Length n, int flag);

/// Interleaved to split complex: z.re[m iz] = c[m ic].real, z.im[m iz] = c[m ic].imag.
/// The interleaved stride `ic` counts floats, as on the platform (2 = contiguous pairs).
void vDSP_ctoz(const DSPComplex* c, vDSP_Stride ic, const DSPSplitComplex* z, vDSP_Stride iz, vDSP_Length n);

/// Split to interleaved complex, the inverse of vDSP_ctoz.
void vDSP_ztoc(const DSPSplitComplex* z, vDSP_Stride iz, DSPComplex* c, vDSP_Stride ic, vDSP_Length n);

/// Magnitudes: c[k] = sqrt(re² + im²).
void vDSP_zvabs(const DSPSplitComplex* a, vDSP_Stride ia, float* c, vDSP_Stride ic, vDSP_Length n);

/// Phases: c[k] = atan2(im, re).
void vDSP_zvphas(const DSPSplitComplex* a, vDSP_Stride ia, float* c, vDSP_Stride ic, vDSP_Length n);

/// Polar to rectangular: each pair (rho, theta) at a becomes (rho cos theta, rho sin theta) at c;
/// strides count floats and address the first element of each pair. May run in place.
void vDSP_rect(const float* a, vDSP_Stride ia, float* c, vDSP_Stride ic, vDSP_Length n);

/// c[k] = a[k] × b[k].
void vDSP_vmul(const float* a, vDSP_Stride ia, const float* b, vDSP_Stride ib, float* c, vDSP_Stride ic,
               vDSP_Length n);

/// c[k] = a[k] + b[k].
void vDSP_vadd(const float* a, vDSP_Stride ia, const float* b, vDSP_Stride ib, float* c, vDSP_Stride ic,
               vDSP_Length n);

/// d[k] = a[k] × *b + c[k] (a product, then a sum; never fused).
void vDSP_vsma(const float* a, vDSP_Stride ia, const float* b, const float* c, vDSP_Stride ic, float* d,
               vDSP_Stride id, vDSP_Length n);

/// c[k] = a[k] × *b.
void vDSP_vsmul(const float* a, vDSP_Stride ia, const float* b, float* c, vDSP_Stride ic, vDSP_Length n);

/// c[k] = a[k] / *b.
void vDSP_vsdiv(const float* a, vDSP_Stride ia, const float* b, float* c, vDSP_Stride ic, vDSP_Length n);

/// Interpolated table lookup: q = *s1 × a[k] + *s2; q < 0 gives table[0], q ≥ m − 1 gives table[m − 1];
/// otherwise, with i = floor(q) and f = q − i, d[k] = (1 − f) table[i] + f table[i + 1].
void vDSP_vtabi(const float* a, vDSP_Stride ia, const float* s1, const float* s2, const float* table,
                vDSP_Length m, float* d, vDSP_Stride id, vDSP_Length n);

/// Two-pole, two-zero difference equation over 32-bit floats. `a` and `c` hold n + 2 elements;
/// for k = 2 … n + 1: c[k] = b0 a[k] + b1 a[k−1] + b2 a[k−2] − a1 c[k−1] − a2 c[k−2],
/// with the coefficients `b` in the order b0, b1, b2, a1, a2. c[0] and c[1] are read, not written.
void vDSP_deq22(const float* a, vDSP_Stride ia, const float* b, float* c, vDSP_Stride ic, vDSP_Length n);

} // namespace platform
