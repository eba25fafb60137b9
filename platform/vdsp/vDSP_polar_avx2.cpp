// The 8-wide polar blocks. This file alone is compiled with -mavx2 -mfma and is only called after a
// run-time check of the processor; it includes nothing with inline functions that other files share.
#include "vdsp/PolarBlocks.h"

#include <immintrin.h>
#include <sleef.h>

namespace platform::polar {

QUORBEL_POLAR_BLOCKS(Avx2, 8, _mm256_loadu_ps, _mm256_storeu_ps, _mm256_mul_ps, Sleef_atan2f8_u10avx2,
                     Sleef_sincosf8_u10avx2)

} // namespace platform::polar
