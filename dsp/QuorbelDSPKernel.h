#pragma once
#include "audiotoolbox/AudioBufferList.h"
#include "dsp/DSPParams.h"
#include "dsp/IIRKernel.h"
#include "dsp/ModulationEngine.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace quorbel {

class QuorKernel;

/// The DSP engine as the audio unit sees it: owns the modulation engine and, once allocated, per channel two
/// spectral kernels (8192 and 16384 points), a biquad filter and the buffers between them; processes the
/// host's buffer list in place. Host threads allocate, deallocate and reset; the render thread processes.
class QuorbelDSPKernel final {
public:
    /// Seconds of rendered audio between modulation ticks.
    static constexpr double modulationInterval = 0.02;
    /// Weight of the wet signal in the dry/wet mix (1.4142, deliberately not √2).
    static constexpr float wetGain = 1.4142f;
    /// The longest run that the spectral kernels render exactly in one call: 3/4 of the 8192-point frame,
    /// beyond which the smaller kernel's echo bucket cannot take a whole call. Longer calls are processed
    /// as consecutive slices of this length (the last one shorter), each exactly as a call of its own.
    static constexpr std::int64_t maxSliceFrames = 6144;

    /// Not allocated yet: a render call only runs the modulation clock and leaves the audio untouched.
    /// Stereo at 44100 Hz until allocated. Real-time safe (nothing is allocated yet).
    QuorbelDSPKernel();
    /// Releases every kernel and buffer still held.
    ~QuorbelDSPKernel();
    QuorbelDSPKernel(const QuorbelDSPKernel&) = delete;
    QuorbelDSPKernel& operator=(const QuorbelDSPKernel&) = delete;

    /// Builds every per-channel kernel, filter and buffer for `channelCount` channels, calls of up to
    /// `maxFrames` frames and `sampleRate` Hz, replacing those of an earlier allocation. Control values,
    /// modulation state and clock are kept. Everything is built aside and taken over only when all of it
    /// exists: when a step fails (std::bad_alloc, std::length_error, std::runtime_error from a transform
    /// setup) the exception leaves the kernel exactly as it was, its earlier allocation (or none) whole.
    /// Allocates (host thread, never during a render call).
    void allocate(std::int64_t channelCount, std::int64_t maxFrames, double sampleRate);
    /// Releases every per-channel object; channel count, rate, maxFrames, control values and modulation
    /// state are kept. Frees (host thread).
    void deallocate();
    /// Clears the spectral kernels, the filter carries, the modulation clock, time, phase and maps; the
    /// control values in force and the modulation input stay. Host thread, not during a render call.
    void reset();

    /// One render call, in place on `bufferList` (one float buffer per channel; a null mData is skipped):
    /// modulation clock, then unless bypassed the spectral kernels, pan, filter, mix, level and tanh limiter
    /// over min(frameCount, maxFrames) frames. A NaN or infinite input sample enters as silence (the dry
    /// path included). A call of more than maxSliceFrames frames runs as consecutive slices of at most
    /// maxSliceFrames, each as if the host had made that call (its own clock step and tick).
    /// Real-time safe: no allocation, lock or blocking call.
    void process(platform::AudioBufferList* bufferList, std::int64_t frameCount) noexcept;

    /// The modulation engine; the audio unit writes its `input` from any thread.
    ModulationEngine& modulation() noexcept { return modulation_; }
    const ModulationEngine& modulation() const noexcept { return modulation_; }
    /// The control values in force (replaced whole at each tick).
    const QuorDSPParams& params() const noexcept { return params_; }
    std::int64_t channelCount() const noexcept { return channelCount_; }
    double sampleRate() const noexcept { return sampleRate_; }
    std::int64_t maxFrames() const noexcept { return maxFrames_; }
    /// Seconds of audio rendered since the last modulation tick.
    double modulationAccumulator() const noexcept { return modulationAccumulator_; }
    /// True between allocate and deallocate: render calls run the whole chain.
    bool isAllocated() const noexcept { return wetMixBuf_ != nullptr; }
    /// The biquad of channel `ch` (allocated kernels only), for inspection.
    const IIRKernel& iirKernel(std::size_t ch) const noexcept { return *iirKernels_[ch]; }
    /// The 8192-point and the 16384-point spectral kernel of channel `ch` (allocated kernels only), for
    /// inspection.
    const QuorKernel& quorKernel1(std::size_t ch) const noexcept { return *quorKernels1_[ch]; }
    const QuorKernel& quorKernel2(std::size_t ch) const noexcept { return *quorKernels2_[ch]; }

private:
    void processSlice(platform::AudioBufferList* bufferList, std::int64_t offset,
                      std::int64_t frameCount) noexcept;
    void updateFilters(const QuorDSPParams& p) noexcept;

    std::int64_t channelCount_ = 2;
    double sampleRate_ = 44100.0;
    ModulationEngine modulation_;
    double modulationAccumulator_ = 0.0;
    std::vector<std::unique_ptr<QuorKernel>> quorKernels1_;
    std::vector<std::unique_ptr<QuorKernel>> quorKernels2_;
    std::vector<std::unique_ptr<IIRKernel>> iirKernels_;
    std::vector<std::vector<float>> wet1Bufs_;
    std::vector<std::vector<float>> wet2Bufs_;
    std::vector<std::vector<float>> dryBufs_;
    std::unique_ptr<float[]> wetMixBuf_; // null: not allocated
    std::int64_t maxFrames_ = 0;
    QuorDSPParams params_;
    std::int64_t lastFilterMode_ = -1;
    double lastFreq_ = 0.0;
    double lastQ_ = 0.0;
};

} // namespace quorbel
