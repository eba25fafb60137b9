#include "dsp/QuorKernel.h"

#include "support/VectorDispatch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace quorbel {

using namespace platform;

namespace {

constexpr float kBandwidthFraction = 0.45f; // the fraction of N behind bandwidthSamples
constexpr std::int64_t kBucketScratchSamples = 4096;
constexpr std::int64_t kBleedGroup = 32;     // bins per bleed group
constexpr std::int64_t kBleedHalfGroup = 16; // bin j of a group bleeds into bin 16 + j
constexpr std::int64_t kMinimumLogN = 6;     // at least one bleed group
constexpr std::int64_t kMaximumLogN = 20;

std::int64_t checkedLogN(std::int64_t logN) {
    if (logN < kMinimumLogN || logN > kMaximumLogN) {
        throw std::invalid_argument("QuorKernel: logN must be between 6 and 20");
    }
    return logN;
}

std::size_t size(std::int64_t n) {
    return static_cast<std::size_t>(n);
}
vDSP_Length length(std::int64_t n) {
    return static_cast<vDSP_Length>(n);
}

// The shift of the kept spectrum for a drift of d bins: |d| mod half, its magnitude taken in unsigned
// arithmetic so that the most negative drift (whose negation overflows) is well defined.
std::int64_t driftShift(std::int64_t drift, std::int64_t half) noexcept {
    const auto d = static_cast<std::uint64_t>(drift);
    const std::uint64_t magnitude = drift >= 0 ? d : std::uint64_t{0} - d;
    return static_cast<std::int64_t>(magnitude % static_cast<std::uint64_t>(half));
}

// The fused loops below are compiler clones for the SSE2 baseline and for AVX2 (support/VectorDispatch.h);
// the lanes change nothing in the results (same IEEE operations, no contraction).

// The rest of a frame's magnitude shaping in one pass over the bins: the bleed's division by 1 + b (bins
// from 1 on), the swish twist of the phase, the residue blend with the kept spectrum and the second taper.
// Each bin goes through exactly the operations of separate whole-array passes, in this order:
// m / (1 + b); phase += m × swish; m = (leftover × r + m) / (1 + r); m × w.
template <bool divide, bool twist, bool keep>
QUORBEL_VECTOR_CLONES void shapeMagnitudes(float* magnitude, float* phase, const float* leftover,
                                           const float* taper, float onePlusB, float swish, float r,
                                           float onePlusR, std::int64_t half) noexcept {
    const auto shape = [&](std::int64_t k, float m) {
        if constexpr (twist) {
            phase[k] = m * swish + phase[k];
        }
        if constexpr (keep) {
            m = (leftover[k] * r + m) / onePlusR;
        }
        magnitude[k] = m * taper[k];
    };
    if (half > 0) {
        shape(0, magnitude[0]); // bin 0 is not divided by the bleed
    }
    for (std::int64_t k = 1; k < half; ++k) {
        shape(k, divide ? magnitude[k] / onePlusB : magnitude[k]);
    }
}

using ShapeMagnitudes = void (*)(float*, float*, const float*, const float*, float, float, float, float,
                                 std::int64_t) noexcept;
constexpr ShapeMagnitudes kShapeMagnitudes[8] = {
    shapeMagnitudes<false, false, false>, shapeMagnitudes<false, false, true>,
    shapeMagnitudes<false, true, false>,  shapeMagnitudes<false, true, true>,
    shapeMagnitudes<true, false, false>,  shapeMagnitudes<true, false, true>,
    shapeMagnitudes<true, true, false>,   shapeMagnitudes<true, true, true>};

// The inverse transform's even and odd samples interleaved into natural order, divided by N and
// Hann-windowed, in one pass.
QUORBEL_VECTOR_CLONES void mergeFrame(const float* even, const float* odd, const float* hann, float n,
                                      float* merged, std::int64_t half) noexcept {
    for (std::int64_t m = 0; m < half; ++m) {
        merged[2 * m] = (even[m] / n) * hann[2 * m];
        merged[2 * m + 1] = (odd[m] / n) * hann[2 * m + 1];
    }
}

} // namespace

QuorKernel::QuorKernel(std::int64_t logN)
    : logN_(checkedLogN(logN)), transformBlockSamples_(std::int64_t{1} << logN_),
      fourierDomainSamples_(transformBlockSamples_ / 2), overlapSamples_(transformBlockSamples_ / 2),
      bandwidthSamples_(static_cast<std::int64_t>(
          std::floor(static_cast<float>(transformBlockSamples_) * kBandwidthFraction))),
      bandwidthOffset_(transformBlockSamples_ / 2 - bandwidthSamples_ / 2),
      hann_(size(transformBlockSamples_)), lowpass_(size(transformBlockSamples_), 0.0f),
      fourierRe_(size(fourierDomainSamples_)), fourierIm_(size(fourierDomainSamples_)),
      inverseRe_(size(fourierDomainSamples_)), inverseIm_(size(fourierDomainSamples_)),
      inverseMerged_(size(transformBlockSamples_)), phase_(size(fourierDomainSamples_)),
      magnitude_(size(fourierDomainSamples_)), interleaved_(size(fourierDomainSamples_)),
      leftover_(size(fourierDomainSamples_), 0.0f), fourier_{fourierRe_.data(), fourierIm_.data()},
      inverse_{inverseRe_.data(), inverseIm_.data()}, polar_{magnitude_.data(), phase_.data()},
      incoming_(transformBlockSamples_ / 2 + 2 * transformBlockSamples_),
      outgoing_(transformBlockSamples_ / 2 + 2 * transformBlockSamples_), bucket_(transformBlockSamples_),
      inputBlock_(size(transformBlockSamples_)), pendingOverlap_(size(overlapSamples_), 0.0f),
      bucketScratch_(size(kBucketScratchSamples)) {
    const vDSP_Length n = length(transformBlockSamples_);
    dftSetup_.reset(vDSP_DFT_zrop_CreateSetup(nullptr, n, vDSP_DFT_FORWARD));
    if (!dftSetup_) {
        throw std::runtime_error("QuorKernel: cannot create the forward transform");
    }
    idftSetup_.reset(vDSP_DFT_zrop_CreateSetup(dftSetup_.get(), n, vDSP_DFT_INVERSE));
    if (!idftSetup_) {
        throw std::runtime_error("QuorKernel: cannot create the inverse transform");
    }
    vDSP_hann_window(hann_.data(), n, 0);
    vDSP_blkman_window(lowpass_.data() + bandwidthOffset_, length(bandwidthSamples_), 0);
    prefill();
}

QuorKernel::~QuorKernel() = default;

void QuorKernel::prefill() {
    // N zeros ahead of the output and N/2 ahead of the first frame give the spectral path its 1.5·N delay;
    // N/4 zeros in the bucket delay its first pass by N/4.
    outgoing_.writeZeros(transformBlockSamples_);
    incoming_.writeZeros(transformBlockSamples_ / 2);
    bucket_.writeZeros(transformBlockSamples_ / 4);
}

void QuorKernel::reset() {
    incoming_.reset();
    outgoing_.reset();
    bucket_.reset();
    std::fill(leftover_.begin(), leftover_.end(), 0.0f);
    std::fill(pendingOverlap_.begin(), pendingOverlap_.end(), 0.0f);
    prefill();
}

void QuorKernel::process(const float* input, float* output, std::int64_t frameCount,
                         QuorDSPParams params) noexcept {
    if (frameCount <= 0) {
        return;
    }
    incoming_.write(input, frameCount);
    feedBucket(input, frameCount, params.residue);

    const std::int64_t n = transformBlockSamples_;
    while (incoming_.count() >= n && outgoing_.freeSpace() >= n / 2) {
        processBlock(params);
    }

    if (outgoing_.count() >= frameCount) {
        outgoing_.read(output, frameCount);
    } else if (output != input) {
        std::memmove(output, input, size(frameCount) * sizeof(float));
    }

    blendBucket(output, frameCount, params.smudge);
}

void QuorKernel::feedBucket(const float* input, std::int64_t frameCount, float residue) noexcept {
    const std::int64_t k = std::min(bucket_.freeSpace(), frameCount);
    if (k <= 0) {
        return;
    }
    if (residue == 0.0f) {
        bucket_.write(input, k);
        return;
    }
    // Each new sample is mixed with the one written a bucket length (N writes) earlier, read from the slot
    // that it is about to fill: z[j] = (r·x + z[j − N]) / (r + 1).
    const float r = residue;
    const float rPlusOne = r + 1.0f;
    float* scratch = bucketScratch_.data();
    for (std::int64_t done = 0; done < k;) {
        const std::int64_t run = std::min(k - done, kBucketScratchSamples);
        bucket_.peekAtWritePosition(scratch, run);
        vDSP_vsma(input + done, 1, &r, scratch, 1, scratch, 1, length(run));
        vDSP_vsdiv(scratch, 1, &rPlusOne, scratch, 1, length(run));
        bucket_.write(scratch, run);
        done += run;
    }
}

void QuorKernel::blendBucket(float* output, std::int64_t frameCount, float smudge) noexcept {
    if (bucket_.count() < frameCount) {
        return;
    }
    if (!(smudge > 0.0f)) { // zero, negative and NaN: no blend, the samples still leave the bucket
        bucket_.discard(frameCount);
        return;
    }
    const float s = smudge;
    const float oneMinusS = 1.0f - s;
    vDSP_vsmul(output, 1, &oneMinusS, output, 1, length(frameCount));
    float* scratch = bucketScratch_.data();
    for (std::int64_t done = 0; done < frameCount;) {
        const std::int64_t run = std::min(frameCount - done, kBucketScratchSamples);
        bucket_.peek(scratch, run);
        vDSP_vsma(scratch, 1, &s, output + done, 1, output + done, 1, length(run));
        bucket_.discard(run);
        done += run;
    }
}

void QuorKernel::processBlock(const QuorDSPParams& params) noexcept {
    const std::int64_t n = transformBlockSamples_;
    const std::int64_t half = fourierDomainSamples_;
    const vDSP_Length halfLength = length(half);
    float* magnitude = magnitude_.data();
    const float* taper = lowpass_.data() + half; // w(k) = lowpass[N/2 + k]

    // Frame, split into even/odd samples, forward transform (no analysis window).
    incoming_.peek(inputBlock_.data(), n);
    vDSP_ctoz(reinterpret_cast<const DSPComplex*>(inputBlock_.data()), 2, &inverse_, 1, halfLength);
    vDSP_DFT_Execute(dftSetup_.get(), inverseRe_.data(), inverseIm_.data(), fourierRe_.data(),
                     fourierIm_.data());

    // Polar form; bin 0 mixes DC and Nyquist here and is cleared below.
    vDSP_zvphas(&fourier_, 1, phase_.data(), 1, halfLength);
    vDSP_zvabs(&fourier_, 1, magnitude, 1, halfLength);
    vDSP_vmul(magnitude, 1, taper, 1, magnitude, 1, halfLength);

    const bool bleed = params.bleed != 0.0f;
    if (bleed) {
        // In every group of 32 bins, bin j (1 … 15) adds b times itself into bin 16 + j; sources and
        // targets are disjoint, so the fifteen strided passes are independent.
        const float b = params.bleed;
        const vDSP_Length groups = length(half / kBleedGroup);
        for (std::int64_t j = 1; j < kBleedHalfGroup; ++j) {
            float* target = magnitude + kBleedHalfGroup + j;
            vDSP_vsma(magnitude + j, kBleedGroup, &b, target, kBleedGroup, target, kBleedGroup, groups);
        }
    }
    // Then, bin by bin: the bleed's division by 1 + b (bins from 1 on), swish, residue, and the taper again.
    const bool twist = params.swish != 0.0f;
    const bool keep = params.residue != 0.0f;
    kShapeMagnitudes[(bleed ? 4 : 0) + (twist ? 2 : 0) + (keep ? 1 : 0)](
        magnitude, phase_.data(), leftover_.data(), taper, 1.0f + params.bleed, params.swish, params.residue,
        1.0f + params.residue, half);
    magnitude[0] = 0.0f;

    keepSpectrum(params);

    // Rebuild with the frame's own (twisted) phases: pairs (magnitude, phase) to rectangular, in place.
    auto* pairs = reinterpret_cast<float*>(interleaved_.data());
    vDSP_ztoc(&polar_, 1, interleaved_.data(), 2, halfLength);
    vDSP_rect(pairs, 2, pairs, 2, halfLength);
    vDSP_ctoz(interleaved_.data(), 2, &fourier_, 1, halfLength);

    vDSP_DFT_Execute(idftSetup_.get(), fourierRe_.data(), fourierIm_.data(), inverseRe_.data(),
                     inverseIm_.data());
    // Interleave into natural order, divide by N and window, in one pass. The forward and inverse passes
    // scale by 2N; dividing by N leaves an unchanged frame at twice its level, which the Hann overlap-add
    // (copies N/2 apart sum to 1) carries to the output.
    mergeFrame(inverseRe_.data(), inverseIm_.data(), hann_.data(), static_cast<float>(n),
               inverseMerged_.data(), half);
    vDSP_vadd(pendingOverlap_.data(), 1, inverseMerged_.data(), 1, pendingOverlap_.data(), 1, halfLength);

    if (params.squeeze) {
        vDSP_vtabi(pendingOverlap_.data(), 1, &squashF_, &squashG_, squashTable_.data(), squashTable_.size(),
                   pendingOverlap_.data(), 1, halfLength);
    }

    outgoing_.write(pendingOverlap_.data(), half);
    std::copy_n(inverseMerged_.data() + half, half, pendingOverlap_.data());
    incoming_.discard(half);
}

void QuorKernel::keepSpectrum(const QuorDSPParams& params) noexcept {
    const std::int64_t half = fourierDomainSamples_;
    const float* magnitude = magnitude_.data();
    float* leftover = leftover_.data();
    if (params.purge) {
        std::fill_n(leftover, half, 0.0f);
        return;
    }
    const std::int64_t s = params.drift == 0 ? 0 : driftShift(params.drift, half);
    if (s == 0) {
        std::copy_n(magnitude, half, leftover);
    } else if (params.drift > 0) {
        // Up by s bins; the lowest s bins keep their own values.
        std::copy_n(magnitude, s, leftover);
        std::copy_n(magnitude, half - s, leftover + s);
    } else {
        // Down by s bins; the highest s bins keep their own values.
        std::copy_n(magnitude + s, half - s, leftover);
        std::copy_n(magnitude + half - s, s, leftover + half - s);
    }
}

} // namespace quorbel
