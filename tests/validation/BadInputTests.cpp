// Bad input: non-finite, huge and subnormal samples, and parameter fuzzing with random values and
// automation; the unit keeps its output finite and recovers.
#include "ValidationHost.h"

#include "audiounit/FactoryPresets.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace quorbel::validation {
namespace {

using namespace platform;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();

/// A kind of bad input: how a sample is spoilt (or not), and whether the unit needs a reset to lose it.
struct BadInputCase {
    const char* name;
    /// The sample of channel `ch` at position `i` of a stream, given clean noise `x` in [-0.5, 0.5].
    float (*sample)(std::uint32_t ch, std::uint64_t i, float x);
    /// Non-finite values stay in the kept spectrum while residue is not 0 and circulate in the echo loop
    /// until reset; huge ones overflow to infinities inside the transforms. Tiny ones need nothing.
    bool needsReset;
};

/// Names the case in test listings and failure messages.
void PrintTo(const BadInputCase& c, std::ostream* os) {
    *os << c.name;
}

class BadInput : public ValidationFixture<BadInputCase> {
protected:
    static constexpr AUAudioFrameCount kFrames = 512;

    void SetUp() override {
        ASSERT_TRUE(host.configure(44100, 2, kFrames));
        ASSERT_TRUE(host.allocate());
    }

    /// Fills `frames` input samples per channel, of the case's kind when `bad`, else clean noise.
    void fillInput(std::mt19937_64& rng, AUAudioFrameCount frames, bool bad) {
        for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
            float* in = host.input(ch);
            test::fillNoise(rng, in, frames, 0.5f);
            for (AUAudioFrameCount i = 0; bad && i < frames; ++i) {
                in[i] = GetParam().sample(ch, position + i, in[i]);
            }
        }
        position += frames;
    }

    /// Renders `calls` slices; true when every one succeeds with finite output.
    bool renderFinite(std::mt19937_64& rng, int calls, bool bad) {
        for (int call = 0; call < calls; ++call) {
            fillInput(rng, kFrames, bad);
            if (host.render(kFrames) != noErr || !host.outputFinite(kFrames)) {
                return false;
            }
        }
        return true;
    }

    ValidationHost host;
    std::uint64_t position = 0;
};

TEST_P(BadInput, BadSamplesGiveFiniteOutputAndTheUnitRecovers) {
    // Proves: with the effect sounding, input of this kind never makes the output non-finite, and once
    // clean input returns (after a reset where the unit keeps bad values in its spectra or echo loops) the
    // unit sounds again: its output is not held at 0, as a spoilt signal path would leave it.
    std::mt19937_64 rng = seededRng(90);
    ASSERT_TRUE(renderFinite(rng, 64, false)); // both spectral paths and the echo loops are sounding
    ASSERT_TRUE(renderFinite(rng, 48, true));
    if (GetParam().needsReset) {
        host.unit().reset();
    }
    ASSERT_TRUE(renderFinite(rng, 96, false)); // past both spectral delays and the echo loops' length
    for (int call = 0; call < 16; ++call) {
        ASSERT_TRUE(renderFinite(rng, 1, false));
        for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
            // A spoilt path zeroes whole calls; a healthy one gives an exact 0 only by rare cancellation.
            const auto zeros = std::count(host.output(ch), host.output(ch) + kFrames, 0.0f);
            ASSERT_LT(zeros, kFrames / 64) << "channel " << ch << " is still silenced";
        }
    }
}

/// A parameter value a host, a broken project file or a buggy automation lane might send.
AUValue fuzzValue(std::mt19937_64& rng, const AUParameter* p) {
    static constexpr AUValue special[] = {kNaN,  -kNaN,  kInf, -kInf, kMax,  -kMax,  1e30f, -1e30f,
                                          1e19f, -1e19f, 0.0f, -0.0f, 0.5f,  0.51f,  2.9f,  -0.7f,
                                          7.0f,  1.0f,   2.0f, 3.0f,  -1.0f, 1e-40f, 20.0f, 1e4f};
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    if (kind < 3) {
        return special[rng() % std::size(special)];
    }
    if (kind < 5 || p == nullptr) {
        return std::uniform_real_distribution<float>(-1e4f, 1e4f)(rng);
    }
    return std::uniform_real_distribution<float>(p->minValue(), p->maxValue())(rng);
}

TEST_P(BadInput, ParameterFuzzingNeverCrashesOrSpoilsTheOutput) {
    // Proves: random parameter values (inside and far outside the ranges, NaN, infinite, huge), random
    // automation events (any address, ramps, several per slice), presets of any number, random states,
    // bypass switching and resets, between calls of random size, never crash the unit, and every output
    // sample is finite — except where bypass is in force, which hands the input through untouched (bad
    // values included: the unit's rule, not a validator's).
    std::mt19937_64 rng =
        seededRng(100 + static_cast<std::uint64_t>(std::hash<std::string>{}(GetParam().name) % 1000));
    QuorbelAudioUnit& unit = host.unit();
    AUParameterTree& tree = *unit.parameterTree();
    std::uniform_int_distribution<int> percent(0, 99);
    for (int call = 0; call < 400; ++call) {
        const int actions = std::uniform_int_distribution<int>(0, 4)(rng);
        for (int action = 0; action < actions; ++action) {
            const int what = percent(rng);
            if (what < 40) {
                AUParameter* p = tree.parameterWithAddress(rng() % kParameterCount);
                p->setValue(fuzzValue(rng, p));
            } else if (what < 75) {
                const AUParameterAddress address = rng() % 14; // 10 to 13 are no parameter
                host.schedule(address, fuzzValue(rng, tree.parameterWithAddress(address)),
                              rng() % 3 == 0 ? static_cast<AUAudioFrameCount>(rng() % 4096) : 0);
            } else if (what < 83) {
                unit.setCurrentPreset(makePreset(static_cast<NSInteger>(rng() % 14) - 3, "fuzz"));
            } else if (what < 90) {
                PropertyListDictionary params;
                for (std::size_t i = 0; i < kParameterCount; ++i) {
                    if (rng() % 2 == 0) {
                        params.set(std::string(kParameterTable[i].identifier),
                                   static_cast<double>(fuzzValue(rng, tree.parameterWithAddress(i))));
                    }
                }
                unit.setFullState(PropertyListDictionary{{"QuorbelParams", std::move(params)}});
            } else if (what < 97) {
                unit.setShouldBypassEffect(rng() % 2 == 0);
            } else {
                unit.reset();
            }
        }
        const auto frames =
            static_cast<AUAudioFrameCount>(rng() % 5 == 0 ? rng() % 3 : rng() % (kFrames + 1));
        fillInput(rng, frames, true);
        ASSERT_EQ(host.render(frames), noErr) << "call " << call;
        const bool bypassed = unit.dspKernel()->params().bypass;
        for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                const float y = host.output(ch)[i];
                if (bypassed) {
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(y),
                              std::bit_cast<std::uint32_t>(host.input(ch)[i]))
                        << "call " << call << ", channel " << ch << ", sample " << i
                        << ": bypass changed the audio";
                } else {
                    ASSERT_TRUE(std::isfinite(y))
                        << "call " << call << ", channel " << ch << ", sample " << i;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Validation, BadInput,
    ::testing::Values(
        BadInputCase{"Clean", [](std::uint32_t, std::uint64_t, float x) { return x; }, false},
        BadInputCase{"NaNEverywhere", [](std::uint32_t, std::uint64_t, float) { return kNaN; }, true},
        BadInputCase{"PositiveInfinitySprinkled",
                     [](std::uint32_t, std::uint64_t i, float x) { return i % 97 == 0 ? kInf : x; }, true},
        BadInputCase{"NegativeInfinityEverywhere", [](std::uint32_t, std::uint64_t, float) { return -kInf; },
                     true},
        BadInputCase{
            "NaNInOneChannel",
            [](std::uint32_t ch, std::uint64_t i, float x) { return ch == 0 && i % 61 == 0 ? kNaN : x; },
            true},
        BadInputCase{"Huge1e30", [](std::uint32_t, std::uint64_t, float x) { return x * 2e30f; }, true},
        BadInputCase{
            "FloatMaxSprinkled",
            [](std::uint32_t, std::uint64_t i, float x) { return i % 50 == 0 ? std::copysign(kMax, x) : x; },
            true},
        BadInputCase{"SubnormalNoise", [](std::uint32_t, std::uint64_t, float x) { return x * 2e-39f; },
                     false},
        BadInputCase{
            "SmallestSubnormal",
            [](std::uint32_t, std::uint64_t, float) { return std::numeric_limits<float>::denorm_min(); },
            false}),
    [](const ::testing::TestParamInfo<BadInputCase>& tested) { return tested.param.name; });

} // namespace
} // namespace quorbel::validation
