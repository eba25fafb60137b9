// The 16-wide polar blocks. This file alone is compiled with -mavx512f and is only called after a
// run-time check of the processor; it includes nothing with inline functions that other files share.
#include "vdsp/PolarBlocks.h"

#include <immintrin.h>
#include <sleef.h>

namespace platform::polar {

QUORBEL_POLAR_BLOCKS(Avx512, 16, _mm512_loadu_ps, _mm512_storeu_ps, _mm512_mul_ps, Sleef_atan2f16_u10avx512f,
                     Sleef_sincosf16_u10avx512f)

} // namespace platform::polar
