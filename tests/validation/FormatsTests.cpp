// Formats: every supported channel count at every common sample rate renders finite, processed audio at
// frame counts from 1 to 4096; frame counts above the maximum are refused and a 0-frame call succeeds.
#include "ValidationHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace quorbel::validation {
namespace {

using namespace platform;

constexpr AUAudioFrameCount kMaxFrames = 4096;

/// Channel count and sample rate.
using FormatCase = std::tuple<std::uint32_t, double>;

class Formats : public ValidationFixture<FormatCase> {
protected:
    void SetUp() override {
        const auto [channels, rate] = GetParam();
        ASSERT_TRUE(host.configure(rate, channels, kMaxFrames));
        ASSERT_TRUE(host.allocate());
    }

    ValidationHost host;
};

TEST_P(Formats, NoiseRendersFiniteProcessedOutputAtEveryFrameCount) {
    // Proves: at this channel count and rate the unit accepts the format, reports its latency in it, and
    // turns noise into finite output that is not the input passed through, at frame counts 1, 64, 137, 512
    // and 4096. The calls follow each other on one unit (about 33000 frames in all), so the later ones
    // run with both spectral paths and the echo loops sounding.
    const auto [channels, rate] = GetParam();
    EXPECT_EQ((*host.unit().outputBusses())[0]->format(), AVAudioFormat(rate, channels));
    EXPECT_DOUBLE_EQ(host.unit().latency(), 16384.0 / rate);
    std::mt19937_64 rng = seededRng(10 + channels);
    const struct {
        AUAudioFrameCount frames;
        int calls;
    } stretches[] = {{1, 64}, {64, 16}, {137, 16}, {512, 8}, {4096, 6}};
    for (const auto& s : stretches) {
        SCOPED_TRACE("frame count " + std::to_string(s.frames));
        bool changed = false;
        for (int call = 0; call < s.calls; ++call) {
            host.fillInputNoise(rng, s.frames);
            ASSERT_EQ(host.render(s.frames), noErr);
            ASSERT_TRUE(host.outputFinite(s.frames));
            for (std::uint32_t ch = 0; ch < channels; ++ch) {
                changed = changed || !std::equal(host.output(ch), host.output(ch) + s.frames, host.input(ch));
            }
        }
        EXPECT_TRUE(changed) << "the output equals the input: nothing was processed";
    }
}

TEST_P(Formats, FrameCountAboveTheMaximumIsRefusedAndZeroFramesSucceed) {
    // Proves: a call for more frames than maximumFramesToRender fails with the platform's error before the
    // input is pulled, leaving every output buffer as it was; a call for 0 frames succeeds and writes
    // nothing; the unit renders normally afterwards.
    const std::uint32_t channels = std::get<0>(GetParam());
    std::mt19937_64 rng = seededRng(20 + channels);
    host.fillInputNoise(rng, kMaxFrames + 1);
    for (std::uint32_t ch = 0; ch < channels; ++ch) {
        std::fill_n(host.output(ch), host.capacity(), 42.0f);
    }
    const auto outputUntouched = [&] {
        for (std::uint32_t ch = 0; ch < channels; ++ch) {
            if (!std::all_of(host.output(ch), host.output(ch) + host.capacity(),
                             [](float x) { return x == 42.0f; })) {
                return false;
            }
        }
        return true;
    };
    const long pulls = host.pulls();
    EXPECT_EQ(host.render(kMaxFrames + 1), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(host.pulls(), pulls);
    EXPECT_TRUE(outputUntouched());

    EXPECT_EQ(host.render(0), noErr);
    EXPECT_TRUE(outputUntouched());

    host.fillInputNoise(rng, kMaxFrames);
    EXPECT_EQ(host.render(kMaxFrames), noErr);
    EXPECT_TRUE(host.outputFinite(kMaxFrames));
}

INSTANTIATE_TEST_SUITE_P(Validation, Formats,
                         ::testing::Combine(::testing::Values(1u, 2u, 6u, 8u),
                                            ::testing::Values(22050.0, 44100.0, 48000.0, 96000.0, 192000.0)),
                         [](const ::testing::TestParamInfo<FormatCase>& tested) {
                             return std::to_string(std::get<0>(tested.param)) + "ch" +
                                    std::to_string(static_cast<int>(std::get<1>(tested.param))) + "Hz";
                         });

} // namespace
} // namespace quorbel::validation
