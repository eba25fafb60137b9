#pragma once
/// The run-time choice of vector width, for every loop built for more than one instruction set.
///
/// On x86-64, when the build's baseline (SSE2) lacks AVX2, a loop may be built for wider vectors too and the
/// processor picks the variant. There are two ways to build the variants, and both take their decision
/// from here:
/// - the compiler clones a loop whose code is the same at every width (QUORBEL_VECTOR_CLONES: a baseline
///   and an AVX2 clone, resolved once when the program loads);
/// - where the lanes are written out, or come from a vector library, each width is a function of its own
///   (inside QUORBEL_VECTOR_VARIANTS, or in a file built with the wider instruction set), and the caller
///   asks processorVectorExtensions() before it calls one.
/// Wider lanes run the same IEEE operations (no contraction into fused multiply-adds), so the results of
/// the variants are the same unless a library's own accuracy says otherwise.

/// 1 where wider variants are built and chosen at run time: x86-64 without AVX2 in the baseline.
#if defined(__x86_64__) && !defined(__AVX2__)
#define QUORBEL_VECTOR_VARIANTS 1
#else
#define QUORBEL_VECTOR_VARIANTS 0
#endif

/// Builds a function for the baseline and for AVX2. Not under ThreadSanitizer, whose runtime is not ready
/// when the clones are resolved at load time, and not with clang, which cannot clone function templates.
#if QUORBEL_VECTOR_VARIANTS && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define QUORBEL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define QUORBEL_VECTOR_CLONES
#endif

namespace platform::support {

/// The vector extensions beyond the x86-64 baseline that the processor runs.
struct VectorExtensions {
    bool avx2 = false;
    bool fma = false;
    bool avx512f = false;
};

/// What the processor runs: loads of the feature word that the compiler's runtime fills in before any
/// constructor runs (the compiler drops the loads of fields the caller does not read).
inline VectorExtensions processorVectorExtensions() noexcept {
#if defined(__x86_64__)
    return {__builtin_cpu_supports("avx2") != 0, __builtin_cpu_supports("fma") != 0,
            __builtin_cpu_supports("avx512f") != 0};
#else
    return {};
#endif
}

} // namespace platform::support
