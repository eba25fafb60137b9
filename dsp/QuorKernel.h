#pragma once
#include "dsp/DSPParams.h"
#include "dsp/FloatRingBuffer.h"
#include "vdsp/vDSP.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quorbel {

/// The spectral effect of one channel at one transform size N = 2^logN: a short-time Fourier transform
/// with hop N/2 that tapers, bleeds, twists, keeps and shifts the magnitude spectrum, Hann-windows and
/// overlap-adds the rebuilt frames (optionally squashed through a table), beside an echo bucket (a
/// feedback delay of N samples) that is cross-faded into the output. The spectral path delays by 1.5·N,
/// the bucket's first pass by N/4. One thread at a time; never shared between channels.
class QuorKernel {
public:
    /// A kernel of N = 2^logN points (6 ≤ logN ≤ 20; the system builds 13 and 14), pre-filled with
    /// silence. Allocates and plans both transforms; throws std::invalid_argument for another logN and
    /// std::runtime_error when a transform setup cannot be made.
    explicit QuorKernel(std::int64_t logN);
    /// Frees every array and destroys both transform setups. Not real-time safe.
    ~QuorKernel();
    QuorKernel(const QuorKernel&) = delete;
    QuorKernel& operator=(const QuorKernel&) = delete;

    /// Feeds frameCount input samples and writes the kernel's next frameCount output samples; reads only
    /// swish, bleed, residue, smudge, drift, squeeze and purge of params. The whole input is consumed
    /// before output is written, so the two may be the same array. A call of more frames than the
    /// output queue can hold (N/2 + 2N) passes its input through. Real-time safe.
    void process(const float* input, float* output, std::int64_t frameCount, QuorDSPParams params) noexcept;
    /// Returns to the state right after construction (queues pre-filled, kept spectrum and overlap zero);
    /// sizes, windows and setups stay. Not real-time safe (clears every queue's storage).
    void reset();

    /// 2-logarithm of the frame length.
    std::int64_t logN() const noexcept { return logN_; }
    /// Frame length N.
    std::int64_t transformBlockSamples() const noexcept { return transformBlockSamples_; }
    /// Number of packed spectral bins, N/2.
    std::int64_t fourierDomainSamples() const noexcept { return fourierDomainSamples_; }
    /// Hop and length of the overlap-add carry, N/2.
    std::int64_t overlapSamples() const noexcept { return overlapSamples_; }
    /// Length M of the Blackman taper window, floor(N × 0.45) in 32-bit float.
    std::int64_t bandwidthSamples() const noexcept { return bandwidthSamples_; }
    /// Where the taper window starts inside lowpass(): N/2 − M/2.
    std::int64_t bandwidthOffset() const noexcept { return bandwidthOffset_; }
    /// N values: zeros with the Blackman window at bandwidthOffset(); entry N/2 + k is the taper of bin k.
    std::span<const float> lowpass() const noexcept { return lowpass_; }
    /// The kept spectrum: the magnitudes (after taper, residue and drift) handed to the next frame.
    std::span<const float> leftover() const noexcept { return leftover_; }

private:
    struct SetupDeleter {
        void operator()(platform::vDSP_DFT_Setup setup) const noexcept {
            platform::vDSP_DFT_DestroySetup(setup);
        }
    };
    using SetupPointer = std::unique_ptr<platform::vDSP_DFT_SetupStruct, SetupDeleter>;

    void processBlock(const QuorDSPParams& params) noexcept;
    void feedBucket(const float* input, std::int64_t frameCount, float residue) noexcept;
    void blendBucket(float* output, std::int64_t frameCount, float smudge) noexcept;
    void keepSpectrum(const QuorDSPParams& params) noexcept;
    void prefill();

    std::int64_t logN_;
    std::int64_t transformBlockSamples_;
    std::int64_t fourierDomainSamples_;
    std::int64_t overlapSamples_;
    std::int64_t bandwidthSamples_;
    std::int64_t bandwidthOffset_;
    std::vector<float> hann_;
    std::vector<float> lowpass_;
    std::vector<float> fourierRe_;
    std::vector<float> fourierIm_;
    std::vector<float> inverseRe_;
    std::vector<float> inverseIm_;
    std::vector<float> inverseMerged_;
    std::vector<float> phase_;
    std::vector<float> magnitude_;
    std::vector<platform::DSPComplex> interleaved_;
    std::vector<float> leftover_;
    platform::DSPSplitComplex fourier_{};
    platform::DSPSplitComplex inverse_{};
    platform::DSPSplitComplex polar_{};
    SetupPointer dftSetup_;
    SetupPointer idftSetup_;
    FloatRingBuffer incoming_;
    FloatRingBuffer outgoing_;
    FloatRingBuffer bucket_;
    std::vector<float> inputBlock_;
    std::vector<float> pendingOverlap_;
    std::vector<float> bucketScratch_;
    std::array<float, 11> squashTable_{-0.99f, -0.95f, -0.88f, -0.8f, -0.7f, 0.0f,
                                       0.7f,   0.8f,   0.88f,  0.95f, 0.99f};
    float squashF_ = 1.0f;
    float squashG_ = 5.0f;
};

} // namespace quorbel
