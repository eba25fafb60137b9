// Lifecycle: creation and destruction, allocation and its variations, reset at any time, and rendering
// before allocation — checked the way a host drives the unit, for several formats.
#include "ValidationHost.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cmath>

namespace quorbel::validation {
namespace {

using namespace platform;

struct Format {
    double sampleRate;
    std::uint32_t channels;
    AUAudioFrameCount maxFrames;
};

/// A first format and the one the unit is reallocated at.
struct LifecycleCase {
    const char* name;
    Format first;
    Format second;
};

/// Names the case in test listings and failure messages.
void PrintTo(const LifecycleCase& c, std::ostream* os) {
    *os << c.name;
}

class Lifecycle : public ValidationFixture<LifecycleCase> {
protected:
    /// Renders `calls` slices of noise at the host's maximum frame count; true when all succeed with
    /// finite output.
    static bool renderNoise(ValidationHost& host, std::mt19937_64& rng, int calls, AUAudioFrameCount frames) {
        for (int call = 0; call < calls; ++call) {
            host.fillInputNoise(rng, frames);
            if (host.render(frames) != noErr || !host.outputFinite(frames)) {
                return false;
            }
        }
        return true;
    }
};

TEST_P(Lifecycle, CreateAndDestroyFiftyTimes) {
    // Proves: the unit can be created and destroyed over and over (allocated or not, rendered or not) with
    // its busses, tree and defaults complete every time; leaks and use after free show under ASan.
    const Format f = GetParam().first;
    std::mt19937_64 rng = seededRng(1);
    for (int i = 0; i < 50; ++i) {
        ValidationHost host;
        ASSERT_EQ(host.unit().inputBusses()->count(), 1u);
        ASSERT_EQ(host.unit().outputBusses()->count(), 1u);
        ASSERT_NE(host.unit().parameterTree(), nullptr);
        ASSERT_EQ(host.unit().parameterTree()->allParameters().size(), kParameterCount);
        for (std::size_t a = 0; a < kParameterCount; ++a) {
            ASSERT_EQ(host.unit().parameterTree()->allParameters()[a]->value(),
                      kParameterTable[a].defaultValue);
        }
        if (i % 5 == 0) {
            continue; // destroyed without ever being configured
        }
        ASSERT_TRUE(host.configure(f.sampleRate, f.channels, f.maxFrames));
        if (i % 5 == 1) {
            continue; // destroyed configured but unallocated
        }
        ASSERT_TRUE(host.allocate());
        ASSERT_TRUE(renderNoise(host, rng, 1, f.maxFrames));
        if (i % 5 == 2) {
            host.deallocate(); // the polite order; the other iterations destroy the unit while allocated
        }
    }
}

TEST_P(Lifecycle, AllocateDeallocateAndReallocateAtAnotherFormat) {
    // Proves: allocation adopts the busses' format and maximum frame count, deallocation stops rendering,
    // and a reallocation at another rate, channel count and maximum frame count (and a second allocation
    // without deallocating) leaves a unit that renders finite audio at the new format; while allocated the
    // format and the maximum frame count cannot change underneath the render resources.
    const auto [name, a, b] = GetParam();
    std::mt19937_64 rng = seededRng(2);
    ValidationHost host;
    QuorbelAudioUnit& unit = host.unit();

    ASSERT_TRUE(host.configure(a.sampleRate, a.channels, a.maxFrames));
    ASSERT_TRUE(host.allocate());
    EXPECT_TRUE(unit.renderResourcesAllocated());
    EXPECT_EQ((*unit.outputBusses())[0]->format(), (*unit.inputBusses())[0]->format());
    EXPECT_DOUBLE_EQ(unit.latency(), 16384.0 / a.sampleRate);
    EXPECT_TRUE(renderNoise(host, rng, 4, a.maxFrames));
    EXPECT_EQ(host.render(a.maxFrames + 1), kAudioUnitErr_TooManyFramesToProcess);

    // Allocated: the format and the maximum frame count are refused.
    NSError error;
    EXPECT_FALSE((*unit.inputBusses())[0]->setFormat(AVAudioFormat(b.sampleRate, b.channels), &error));
    EXPECT_EQ(error.code(), kAudioUnitErr_CannotDoInCurrentContext);
    EXPECT_FALSE(unit.setMaximumFramesToRender(b.maxFrames));
    EXPECT_EQ(unit.maximumFramesToRender(), a.maxFrames);

    host.deallocate();
    EXPECT_FALSE(unit.renderResourcesAllocated());
    EXPECT_EQ(host.render(a.maxFrames), kAudioUnitErr_Uninitialized);
    host.deallocate(); // a second deallocation is harmless

    ASSERT_TRUE(host.configure(b.sampleRate, b.channels, b.maxFrames));
    ASSERT_TRUE(host.allocate());
    EXPECT_EQ(unit.dspKernel()->channelCount(), static_cast<std::int64_t>(b.channels));
    EXPECT_EQ(unit.dspKernel()->sampleRate(), b.sampleRate);
    EXPECT_EQ(unit.dspKernel()->maxFrames(), static_cast<std::int64_t>(b.maxFrames));
    EXPECT_DOUBLE_EQ(unit.latency(), 16384.0 / b.sampleRate);
    EXPECT_TRUE(renderNoise(host, rng, 4, b.maxFrames));

    ASSERT_TRUE(host.allocate()); // reallocation without deallocating
    EXPECT_TRUE(renderNoise(host, rng, 4, b.maxFrames));
    EXPECT_EQ(host.render(b.maxFrames + 1), kAudioUnitErr_TooManyFramesToProcess);
}

TEST_P(Lifecycle, ResetAnyTimeKeepsTheValuesAndClearsTheTail) {
    // Proves: reset is harmless in every state (unconfigured, unallocated, allocated before and between
    // renders, deallocated), never touches parameter values, and really clears the audio state: after
    // noise, silence still rings out of the spectral path and the echo loop without a reset, and comes out
    // as exact silence right after one.
    const Format f = GetParam().first;
    std::mt19937_64 rng = seededRng(3);
    ValidationHost host;
    QuorbelAudioUnit& unit = host.unit();
    unit.parameterTree()->parameterWithAddress(index(ParamAddress::tone))->setValue(640.0f);
    const auto values = [&] {
        std::array<AUValue, kParameterCount> v{};
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            v[i] = unit.parameterTree()->parameterWithAddress(i)->value();
        }
        return v;
    };
    const auto before = values();

    unit.reset(); // never configured
    ASSERT_TRUE(host.configure(f.sampleRate, f.channels, f.maxFrames));
    unit.reset(); // configured, not allocated
    ASSERT_TRUE(host.allocate());
    unit.reset(); // allocated, nothing rendered yet
    // Enough noise that both spectral kernels (delays of 12288 and 24576 samples) are sounding.
    const int calls = static_cast<int>((32768 + f.maxFrames - 1) / f.maxFrames);
    ASSERT_TRUE(renderNoise(host, rng, calls, f.maxFrames));
    unit.reset(); // between renders
    ASSERT_TRUE(renderNoise(host, rng, calls, f.maxFrames));
    EXPECT_EQ(values(), before);

    const auto silentOutput = [&](int silentCalls) {
        bool silent = true;
        for (int call = 0; call < silentCalls; ++call) {
            for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
                std::fill_n(host.input(ch), f.maxFrames, 0.0f);
            }
            EXPECT_EQ(host.render(f.maxFrames), noErr);
            for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
                silent = silent && std::all_of(host.output(ch), host.output(ch) + f.maxFrames,
                                               [](float x) { return x == 0.0f; });
            }
        }
        return silent;
    };
    EXPECT_FALSE(silentOutput(calls)) << "the effect has a tail: silence after noise should still sound";
    ASSERT_TRUE(renderNoise(host, rng, calls, f.maxFrames));
    unit.reset();
    EXPECT_TRUE(silentOutput(calls)) << "after a reset, silence in should give silence out";

    host.deallocate();
    unit.reset(); // deallocated
    ASSERT_TRUE(host.allocate());
    EXPECT_TRUE(renderNoise(host, rng, 2, f.maxFrames));
    EXPECT_EQ(values(), before);
}

TEST_P(Lifecycle, RenderingBeforeAllocationFailsAndWritesNothing) {
    // Proves: a host that renders before allocating (or after deallocating) gets the uninitialised error,
    // its input is never pulled and its output buffers are left exactly as they were.
    const Format f = GetParam().first;
    std::mt19937_64 rng = seededRng(4);
    ValidationHost host;
    ASSERT_TRUE(host.configure(f.sampleRate, f.channels, f.maxFrames));
    const auto checkRefused = [&] {
        host.fillInputNoise(rng, f.maxFrames);
        for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
            std::fill_n(host.output(ch), host.capacity(), 42.0f);
        }
        const long pulls = host.pulls();
        for (const AUAudioFrameCount frames : {AUAudioFrameCount{0}, AUAudioFrameCount{1}, f.maxFrames}) {
            EXPECT_EQ(host.render(frames), kAudioUnitErr_Uninitialized);
        }
        EXPECT_EQ(host.pulls(), pulls);
        for (std::uint32_t ch = 0; ch < host.channels(); ++ch) {
            EXPECT_TRUE(std::all_of(host.output(ch), host.output(ch) + host.capacity(),
                                    [](float x) { return x == 42.0f; }));
        }
    };
    checkRefused();
    ASSERT_TRUE(host.allocate());
    EXPECT_TRUE(renderNoise(host, rng, 1, f.maxFrames));
    host.deallocate();
    checkRefused();
}

INSTANTIATE_TEST_SUITE_P(
    Validation, Lifecycle,
    ::testing::Values(LifecycleCase{"Stereo44100To6ch96000", {44100, 2, 512}, {96000, 6, 1024}},
                      LifecycleCase{"Mono48000To8ch22050", {48000, 1, 4096}, {22050, 8, 64}},
                      LifecycleCase{"6ch192000ToMono44100", {192000, 6, 256}, {44100, 1, 4096}}),
    [](const ::testing::TestParamInfo<LifecycleCase>& tested) { return tested.param.name; });

} // namespace
} // namespace quorbel::validation
