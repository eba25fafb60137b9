// Determinism: two units given the same state, input, call sizes and automation render the same output
// to the bit.
#include "ValidationHost.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <limits>

namespace quorbel::validation {
namespace {

using namespace platform;

/// How the first unit is set up before its state is copied to the second.
enum class Setup { FactoryPreset, RandomValuesInRange, RandomValuesOutOfRange };

struct DeterminismCase {
    const char* name;
    Setup setup;
    NSInteger preset; // for Setup::FactoryPreset
    std::uint32_t channels;
    double sampleRate;
};

/// Names the case in test listings and failure messages.
void PrintTo(const DeterminismCase& c, std::ostream* os) {
    *os << c.name;
}

class Determinism : public ValidationFixture<DeterminismCase> {};

TEST_P(Determinism, SameStateAndInputGiveBitIdenticalOutput) {
    // Proves: the unit's output is a function of its state, its input, the call sizes and the automation
    // alone — no uninitialised memory, no dependence on addresses, time or other units. Unit B gets A's
    // state the way a host restores a project (through the full state, and the preset where there is one).
    const DeterminismCase c = GetParam();
    std::mt19937_64 rng =
        seededRng(40 + static_cast<std::uint64_t>(c.preset) + 100 * static_cast<std::uint64_t>(c.setup));
    constexpr AUAudioFrameCount kMaxFrames = 1024;
    ValidationHost a;
    ValidationHost b;
    AUParameterTree& tree = *a.unit().parameterTree();
    switch (c.setup) {
    case Setup::FactoryPreset:
        a.unit().setCurrentPreset(a.unit().factoryPresets()[static_cast<std::size_t>(c.preset)]);
        b.unit().setCurrentPreset(b.unit().factoryPresets()[static_cast<std::size_t>(c.preset)]);
        break;
    case Setup::RandomValuesInRange:
    case Setup::RandomValuesOutOfRange:
        for (const auto& parameter : tree.allParameters()) {
            const float stretch = c.setup == Setup::RandomValuesOutOfRange ? 3.0f : 1.0f;
            const float mid = 0.5f * (parameter->minValue() + parameter->maxValue());
            const float half = 0.5f * (parameter->maxValue() - parameter->minValue()) * stretch;
            parameter->setValue(std::uniform_real_distribution<float>(mid - half, mid + half)(rng));
        }
        tree.parameterWithAddress(index(ParamAddress::bypass))->setValue(0.0f); // keep the effect audible
        break;
    }
    b.unit().setFullState(a.unit().fullState());
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        ASSERT_EQ(b.unit().paramValue(static_cast<ParamAddress>(i)),
                  a.unit().paramValue(static_cast<ParamAddress>(i)));
    }

    for (ValidationHost* host : {&a, &b}) {
        ASSERT_TRUE(host->configure(c.sampleRate, c.channels, kMaxFrames));
        ASSERT_TRUE(host->allocate());
    }
    std::uniform_int_distribution<AUAudioFrameCount> callSize(1, kMaxFrames);
    std::uniform_int_distribution<int> percent(0, 99);
    AUAudioFrameCount rendered = 0;
    int call = 0;
    while (rendered < 40000) { // past both spectral delays, with the echo loops running
        const AUAudioFrameCount frames = callSize(rng);
        a.fillInputNoise(rng, frames);
        for (std::uint32_t ch = 0; ch < c.channels; ++ch) {
            std::memcpy(b.input(ch), a.input(ch), frames * sizeof(float));
        }
        if (percent(rng) < 10) { // the same automation for both
            const auto address =
                static_cast<AUParameterAddress>(std::uniform_int_distribution<int>(0, 6)(rng));
            const AUParameter& parameter = *tree.parameterWithAddress(address);
            const AUValue value =
                std::uniform_real_distribution<float>(parameter.minValue(), parameter.maxValue())(rng);
            a.schedule(address, value);
            b.schedule(address, value);
        }
        ASSERT_EQ(a.render(frames), noErr);
        ASSERT_EQ(b.render(frames), noErr);
        for (std::uint32_t ch = 0; ch < c.channels; ++ch) {
            ASSERT_EQ(std::memcmp(a.output(ch), b.output(ch), frames * sizeof(float)), 0)
                << "call " << call << ", channel " << ch;
        }
        rendered += frames;
        ++call;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Validation, Determinism,
    ::testing::Values(DeterminismCase{"Default", Setup::FactoryPreset, 0, 2, 44100},
                      DeterminismCase{"SubtleShimmer", Setup::FactoryPreset, 1, 2, 48000},
                      DeterminismCase{"ChaosEngine", Setup::FactoryPreset, 2, 2, 44100},
                      DeterminismCase{"DeepSea", Setup::FactoryPreset, 3, 1, 44100},
                      DeterminismCase{"DeeperSea", Setup::FactoryPreset, 4, 2, 96000},
                      DeterminismCase{"MidlifeCrisis", Setup::FactoryPreset, 5, 2, 44100},
                      DeterminismCase{"MisplacedNostalgia", Setup::FactoryPreset, 6, 6, 48000},
                      DeterminismCase{"CommunicationFailure", Setup::FactoryPreset, 7, 2, 22050},
                      DeterminismCase{"RandomInRange", Setup::RandomValuesInRange, 0, 2, 44100},
                      DeterminismCase{"RandomOutOfRange", Setup::RandomValuesOutOfRange, 0, 2, 44100}),
    [](const ::testing::TestParamInfo<DeterminismCase>& tested) { return tested.param.name; });

} // namespace
} // namespace quorbel::validation
