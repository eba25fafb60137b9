#include "dsp/QuorbelDSPKernel.h"

#include "dsp/Conversions.h"
#include "dsp/FilterMode.h"
#include "dsp/FiniteSamples.h"
#include "dsp/QuorKernel.h"
#include "dsp/SoftLimiter.h"
#include "vdsp/vDSP.h"

#include <algorithm>

namespace quorbel {

using platform::vDSP_Length;

namespace {

constexpr std::int64_t kLogN1 = 13; // 8192 points
constexpr std::int64_t kLogN2 = 14; // 16384 points

float clamp01(float x) noexcept {
    return std::min(1.0f, std::max(0.0f, x));
}

std::vector<std::vector<float>> buffers(std::size_t count, std::int64_t frames) {
    return std::vector<std::vector<float>>(count, std::vector<float>(static_cast<std::size_t>(frames)));
}

} // namespace

QuorbelDSPKernel::QuorbelDSPKernel() = default;
QuorbelDSPKernel::~QuorbelDSPKernel() = default;

void QuorbelDSPKernel::allocate(std::int64_t channelCount, std::int64_t maxFrames, double sampleRate) {
    const auto c = static_cast<std::size_t>(std::max<std::int64_t>(channelCount, 0));
    const std::int64_t m = std::max<std::int64_t>(maxFrames, 0);

    // Built aside: if any of it cannot be had, the exception leaves the kernel as it was.
    std::vector<std::unique_ptr<QuorKernel>> kernels1;
    std::vector<std::unique_ptr<QuorKernel>> kernels2;
    std::vector<std::unique_ptr<IIRKernel>> filters;
    kernels1.reserve(c);
    kernels2.reserve(c);
    filters.reserve(c);
    for (std::size_t ch = 0; ch < c; ++ch) {
        kernels1.push_back(std::make_unique<QuorKernel>(kLogN1));
    }
    for (std::size_t ch = 0; ch < c; ++ch) {
        kernels2.push_back(std::make_unique<QuorKernel>(kLogN2));
    }
    for (std::size_t ch = 0; ch < c; ++ch) {
        filters.push_back(std::make_unique<IIRKernel>(m, sampleRate));
    }
    std::vector<std::vector<float>> wet1 = buffers(c, m);
    std::vector<std::vector<float>> wet2 = buffers(c, m);
    std::vector<std::vector<float>> dry = buffers(c, m);
    auto wetMix = std::make_unique<float[]>(static_cast<std::size_t>(m));

    // Nothing below can fail. The earlier allocation's objects leave with the locals.
    quorKernels1_.swap(kernels1);
    quorKernels2_.swap(kernels2);
    iirKernels_.swap(filters);
    wet1Bufs_.swap(wet1);
    wet2Bufs_.swap(wet2);
    dryBufs_.swap(dry);
    channelCount_ = channelCount;
    sampleRate_ = sampleRate;
    maxFrames_ = maxFrames;
    // The new filters hold no coefficients yet; wetMixBuf_ comes last, as it marks the kernel allocated.
    lastFilterMode_ = -1;
    wetMixBuf_ = std::move(wetMix);
}

void QuorbelDSPKernel::deallocate() {
    quorKernels1_.clear();
    quorKernels2_.clear();
    iirKernels_.clear();
    wet1Bufs_.clear();
    wet2Bufs_.clear();
    dryBufs_.clear();
    wetMixBuf_.reset();
}

void QuorbelDSPKernel::reset() {
    for (auto& k : quorKernels1_) {
        k->reset();
    }
    for (auto& k : quorKernels2_) {
        k->reset();
    }
    for (auto& f : iirKernels_) {
        f->clearCarries();
    }
    lastFilterMode_ = -1;
    modulation_.reset();
    modulationAccumulator_ = 0.0;
}

void QuorbelDSPKernel::updateFilters(const QuorDSPParams& p) noexcept {
    // A NaN frequency or Q never equals the cache, so such values are applied on every call.
    if (p.filterMode == lastFilterMode_ && p.frequency == lastFreq_ && p.Q == lastQ_) {
        return;
    }
    const FilterMode mode = filterModeOf(p.filterMode);
    for (auto& f : iirKernels_) {
        switch (mode) {
        case FilterMode::highPass:
            f->setHighPass(p.frequency, p.Q);
            break;
        case FilterMode::bandPass:
            f->setBandPass(p.frequency, p.Q);
            break;
        case FilterMode::lowPass:
            f->setLowPass(p.frequency, p.Q);
            break;
        }
    }
    lastFilterMode_ = p.filterMode;
    lastFreq_ = p.frequency;
    lastQ_ = p.Q;
}

void QuorbelDSPKernel::process(platform::AudioBufferList* bufferList, std::int64_t frameCount) noexcept {
    // The spectral kernels are exact for calls of up to maxSliceFrames; a longer call is cut into slices
    // that each go through the whole chain as a host call of that size would.
    std::int64_t offset = 0;
    while (frameCount - offset > maxSliceFrames) {
        processSlice(bufferList, offset, maxSliceFrames);
        offset += maxSliceFrames;
    }
    processSlice(bufferList, offset, frameCount - offset);
}

void QuorbelDSPKernel::processSlice(platform::AudioBufferList* bufferList, std::int64_t offset,
                                    std::int64_t frameCount) noexcept {
    // 1. Modulation clock: runs on every call (slice), bypassed or not, over its full frame count.
    modulationAccumulator_ = modulationAccumulator_ + static_cast<double>(frameCount) / sampleRate_;
    if (modulationAccumulator_ >= modulationInterval) {
        modulation_.tick(modulationAccumulator_);
        params_ = modulation_.output();
        modulationAccumulator_ = 0.0;
    }

    // 2. Bypassed or not allocated: the buffers keep the pulled input.
    const QuorDSPParams p = params_;
    if (p.bypass || !wetMixBuf_) {
        return;
    }

    // 3. Frames beyond maxFrames (counted from the start of the host's call) keep the input.
    const std::int64_t frames =
        std::max<std::int64_t>(0, std::min(frameCount, std::max<std::int64_t>(maxFrames_, 0) - offset));
    const auto n = static_cast<vDSP_Length>(frames);

    // 4. Filter coefficients, only when mode, frequency or Q changed.
    updateFilters(p);

    // 5. The second spectral kernel shifts its kept spectrum the other way.
    QuorDSPParams p2 = p;
    p2.drift = saturatingNegate(p.drift);

    // 6. Both spectral kernels of every channel, reading the channel's input through its dry buffer.
    std::size_t channels =
        (bufferList != nullptr && bufferList->mBuffers != nullptr) ? bufferList->mNumberBuffers : 0;
    channels = std::min(channels, static_cast<std::size_t>(std::max<std::int64_t>(channelCount_, 0)));
    channels = std::min(channels, quorKernels1_.size());
    // A NaN or infinite input sample enters as silence: a single one would otherwise stay in the kept
    // spectra and circulate in the echo buckets for good.
    for (std::size_t ch = 0; ch < channels; ++ch) {
        const auto* data = static_cast<const float*>(bufferList->mBuffers[ch].mData);
        if (data == nullptr) {
            continue;
        }
        float* input = dryBufs_[ch].data();
        copyFiniteSamples(data + offset, input, frames);
        quorKernels1_[ch]->process(input, wet1Bufs_[ch].data(), frames, p);
        quorKernels2_[ch]->process(input, wet2Bufs_[ch].data(), frames, p2);
    }

    // 7. Pan gains: entry 0 serves channel 0, entry 1 every other channel.
    const float a = p.spread * p.warble1;
    const float b = p.spread * p.warble2;
    const float gain1[2] = {0.5f * clamp01(1.0f - a), 0.5f * clamp01(1.0f + a)};
    const float gain2[2] = {0.5f * clamp01(1.0f - b), 0.5f * clamp01(1.0f + b)};
    const float wet = p.mix * wetGain;
    const float dry = 1.0f - p.mix;
    const float level = p.volume * 2.5f;

    // 8. Pan, filter, mix, level and limiter, per channel.
    float* wetMix = wetMixBuf_.get();
    for (std::size_t ch = 0; ch < channels; ++ch) {
        auto* data = static_cast<float*>(bufferList->mBuffers[ch].mData);
        if (data == nullptr) {
            continue;
        }
        float* out = data + offset;
        const std::size_t i = ch == 0 ? 0 : 1;
        platform::vDSP_vsmul(wet1Bufs_[ch].data(), 1, &gain1[i], wetMix, 1, n);
        platform::vDSP_vsma(wet2Bufs_[ch].data(), 1, &gain2[i], wetMix, 1, wetMix, 1, n);
        iirKernels_[ch]->process(wetMix, frames);
        platform::vDSP_vsmul(wetMix, 1, &wet, out, 1, n);
        platform::vDSP_vsma(dryBufs_[ch].data(), 1, &dry, out, 1, out, 1, n);
        platform::vDSP_vsmul(out, 1, &level, out, 1, n);
        softLimit(out, frames); // tanhf; a non-finite sample leaves as 0
    }
}

} // namespace quorbel
