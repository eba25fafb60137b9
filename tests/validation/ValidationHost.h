#pragma once
// A small host for the validation suite: creates the unit the way hosts do (registered description,
// instantiate), sets its busses' format and maximum frame count, allocates, and renders through the
// host-facing render block with an input that the pull block copies in. Also the run's logged seed and the
// signal helpers the fixtures share.

#include "audiotoolbox/AudioBufferList.h"
#include "audiounit/QuorbelAudioUnit.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace quorbel::validation {

/// The seed of this run's random choices: QUORBEL_VALIDATION_SEED when set, otherwise a fresh one. Printed
/// at its first use so that a failing run can be repeated.
std::uint64_t runSeed();
/// "seed N (repeat with QUORBEL_VALIDATION_SEED=N)", for SCOPED_TRACE.
std::string seedNote();
/// A generator seeded from the run's seed and `stream` (a fixture's own number, so that fixtures differ).
std::mt19937_64 seededRng(std::uint64_t stream);

/// Base of the suite's fixtures: every failure message names the run's seed.
template <typename Param> class ValidationFixture : public ::testing::TestWithParam<Param> {
    ::testing::ScopedTrace seedTrace_{__FILE__, __LINE__, seedNote()};
};

/// Whether every one of the `count` samples is finite.
bool allFinite(const float* samples, std::size_t count);

/// One unit as a host holds it. Not copyable; the render helpers belong to the thread that renders.
class ValidationHost {
public:
    /// Registers the component and instantiates the unit from its description; a failure is a test
    /// failure, and unit() is then null.
    ValidationHost();
    ~ValidationHost();
    ValidationHost(const ValidationHost&) = delete;
    ValidationHost& operator=(const ValidationHost&) = delete;

    QuorbelAudioUnit& unit() const noexcept { return *unit_; }
    const std::shared_ptr<QuorbelAudioUnit>& sharedUnit() const noexcept { return unit_; }

    /// Sets both busses to the standard format (32-bit float, one buffer per channel) at this rate and
    /// channel count and the maximum frame count, and sizes the host's buffers for them. Returns false when
    /// the unit refuses any of it (while allocated, for instance).
    bool configure(double sampleRate, std::uint32_t channels, platform::AUAudioFrameCount maxFrames);
    /// allocateRenderResources; false on failure.
    bool allocate();
    /// deallocateRenderResources.
    void deallocate();

    /// The host's input for the next render call, channel `ch` (capacity: maxFrames + 64 samples).
    float* input(std::uint32_t ch) noexcept { return input_->channel(ch); }
    /// What the last render call left in the host's output buffer of channel `ch`.
    float* output(std::uint32_t ch) noexcept { return output_->channel(ch); }
    std::uint32_t channels() const noexcept { return output_->channels(); }
    /// Samples each host buffer holds.
    std::uint32_t capacity() const noexcept { return output_->frames(); }
    /// Pull-block calls so far.
    long pulls() const noexcept { return pulls_; }

    /// Fills the first `frames` input samples of every channel with noise.
    void fillInputNoise(std::mt19937_64& rng, platform::AUAudioFrameCount frames, float amplitude = 0.5f);
    /// One render call through the unit's render block: the pull copies the input into the output
    /// buffers, the unit processes them in place. Returns the block's status.
    platform::AUAudioUnitStatus render(platform::AUAudioFrameCount frames);
    /// Whether the first `frames` output samples of every channel are finite.
    bool outputFinite(platform::AUAudioFrameCount frames) const;
    /// Schedules a parameter event for the next slice (the host automation path). Any thread.
    void schedule(platform::AUParameterAddress address, platform::AUValue value,
                  platform::AUAudioFrameCount rampFrames = 0);

private:
    std::shared_ptr<QuorbelAudioUnit> unit_;
    platform::AURenderBlock renderBlock_;
    platform::AUScheduleParameterBlock scheduleBlock_;
    platform::AURenderPullInputBlock pull_;
    std::unique_ptr<platform::OwnedAudioBufferList> input_;
    std::unique_ptr<platform::OwnedAudioBufferList> output_;
    platform::AudioTimeStamp timestamp_{};
    long pulls_ = 0;
};

} // namespace quorbel::validation
