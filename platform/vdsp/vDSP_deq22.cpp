// Two-pole, two-zero difference equation (direct form I) over 32-bit floats.
#include "vdsp/vDSP.h"

namespace platform {

void vDSP_deq22(const float* a, vDSP_Stride ia, const float* b, float* c, vDSP_Stride ic, vDSP_Length n) {
    const float b0 = b[0];
    const float b1 = b[1];
    const float b2 = b[2];
    const float a1 = b[3];
    const float a2 = b[4];
    // The recursion carries the last two inputs and outputs in registers; each output is formed left to
    // right, every operation rounded to 32 bits (no fused multiply-add).
    float x2 = a[0];
    float x1 = a[ia];
    float y2 = c[0];
    float y1 = c[ic];
    for (vDSP_Length k = 2; k < n + 2; ++k) {
        const auto s = static_cast<vDSP_Stride>(k);
        const float x0 = a[s * ia];
        const float y0 = b0 * x0 + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        c[s * ic] = y0;
        x2 = x1;
        x1 = x0;
        y2 = y1;
        y1 = y0;
    }
}

} // namespace platform
