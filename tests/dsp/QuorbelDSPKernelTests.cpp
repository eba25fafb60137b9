#include "dsp/QuorKernel.h"
#include "dsp/QuorbelDSPKernel.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <span>
#include <vector>

namespace quorbel {
namespace {

using test::noise;

using platform::OwnedAudioBufferList;

/// Fills every buffer of `list` with `frames` samples of `signal` starting at `offset` (channel ch shifted
/// by ch × 7 samples so channels differ).
void fill(OwnedAudioBufferList& list, const std::vector<float>& signal, std::size_t offset,
          std::size_t frames) {
    list.prepare(static_cast<std::uint32_t>(frames));
    for (std::uint32_t ch = 0; ch < list.channels(); ++ch) {
        for (std::size_t i = 0; i < frames; ++i) {
            list.channel(ch)[i] = signal[(offset + i + ch * 7) % signal.size()];
        }
    }
}

std::vector<float> channel(OwnedAudioBufferList& list, std::uint32_t ch, std::size_t frames) {
    return {list.channel(ch), list.channel(ch) + frames};
}

float peak(const std::vector<float>& v, std::size_t from, std::size_t to) {
    float m = 0.0f;
    for (std::size_t i = from; i < to; ++i) {
        m = std::max(m, std::fabs(v[i]));
    }
    return m;
}

TEST(QuorbelDSPKernel, PassesAudioThroughUntilAllocatedAndAfterDeallocation) {
    QuorbelDSPKernel kernel;
    EXPECT_FALSE(kernel.isAllocated());
    EXPECT_EQ(kernel.channelCount(), 2);
    EXPECT_EQ(kernel.sampleRate(), 44100.0);
    OwnedAudioBufferList list(2, 512);
    const std::vector<float> signal = noise(4096, 1, 0.5f);
    for (std::size_t call = 0; call < 4; ++call) {
        fill(list, signal, call * 512, 512);
        const std::vector<float> in = channel(list, 1, 512);
        kernel.process(list.list(), 512);
        ASSERT_EQ(channel(list, 1, 512), in);
    }
    EXPECT_GT(kernel.modulation().time(), 0.0); // the clock runs unallocated

    kernel.allocate(2, 512, 48000.0);
    EXPECT_TRUE(kernel.isAllocated());
    fill(list, signal, 0, 512);
    const std::vector<float> in = channel(list, 0, 512);
    kernel.process(list.list(), 512);
    EXPECT_NE(channel(list, 0, 512), in);

    kernel.deallocate();
    EXPECT_FALSE(kernel.isAllocated());
    EXPECT_EQ(kernel.channelCount(), 2);
    EXPECT_EQ(kernel.sampleRate(), 48000.0);
    EXPECT_EQ(kernel.maxFrames(), 512);
    fill(list, signal, 0, 512);
    kernel.process(list.list(), 512);
    EXPECT_EQ(channel(list, 0, 512), in);
}

TEST(QuorbelDSPKernel, BypassLeavesTheAudioWhileTheClockTicks) {
    QuorbelDSPKernel kernel;
    kernel.allocate(2, 512, 44100.0);
    kernel.modulation().input.bypass = true;
    OwnedAudioBufferList list(2, 512);
    const std::vector<float> signal = noise(8192, 2, 0.5f);
    fill(list, signal, 0, 512);
    kernel.process(list.list(), 512); // before the first tick the default record (no bypass) holds
    EXPECT_FALSE(kernel.params().bypass);
    for (std::size_t call = 1; call < 10; ++call) {
        fill(list, signal, call * 512, 512);
        const std::vector<float> in0 = channel(list, 0, 512);
        const std::vector<float> in1 = channel(list, 1, 512);
        kernel.process(list.list(), 512);
        ASSERT_TRUE(kernel.params().bypass);
        EXPECT_EQ(channel(list, 0, 512), in0);
        EXPECT_EQ(channel(list, 1, 512), in1);
    }
    EXPECT_NEAR(kernel.modulation().time(), 10 * 512 / 44100.0, 1e-12);
}

TEST(QuorbelDSPKernel, FirstCallRunsAtDefaultsAndTheTickTakesTheAccumulatedTime) {
    QuorbelDSPKernel kernel;
    kernel.allocate(2, 4096, 44100.0);
    kernel.modulation().input.mix = 0.9f;
    kernel.modulation().input.tone = 800.0f;
    OwnedAudioBufferList list(2, 4096);
    const std::vector<float> signal = noise(8192, 3, 0.5f);

    fill(list, signal, 0, 512);
    kernel.process(list.list(), 512);
    EXPECT_EQ(kernel.params().mix, 0.5f);
    EXPECT_EQ(kernel.params().frequency, 500.0);
    EXPECT_EQ(kernel.modulation().time(), 0.0);
    EXPECT_EQ(kernel.modulationAccumulator(), 512.0 / 44100.0);

    fill(list, signal, 512, 512);
    kernel.process(list.list(), 512);
    const double dt = 512.0 / 44100.0 + 512.0 / 44100.0;
    EXPECT_EQ(kernel.modulation().time(), dt);
    EXPECT_EQ(kernel.modulationAccumulator(), 0.0);
    EXPECT_EQ(kernel.params().mix, 0.9f);
    EXPECT_EQ(kernel.params().frequency, 800.0);

    // A long call right after a tick gives one tick with the whole call's time.
    fill(list, signal, 1024, 4096);
    kernel.process(list.list(), 4096);
    EXPECT_EQ(kernel.modulation().time(), dt + 4096.0 / 44100.0);
    EXPECT_EQ(kernel.modulationAccumulator(), 0.0);

    // Exactly 0.02 s (882 frames at 44100 Hz) is enough for a tick.
    QuorbelDSPKernel exact;
    exact.modulation().input.mix = 0.9f;
    exact.process(list.list(), 882);
    EXPECT_EQ(exact.modulation().time(), 0.02);
    EXPECT_EQ(exact.params().mix, 0.9f);
    // The clock counts in the allocated sample rate: 960 frames are 0.02 s at 48000 Hz.
    exact.allocate(2, 4096, 48000.0);
    exact.process(list.list(), 960);
    EXPECT_EQ(exact.modulation().time(), 0.04);
}

TEST(QuorbelDSPKernel, LeavesWhatItDoesNotProcess) {
    const std::vector<float> signal = noise(4096, 4, 0.5f);
    // Frames beyond maxFrames keep the input.
    {
        QuorbelDSPKernel kernel;
        kernel.allocate(2, 512, 44100.0);
        OwnedAudioBufferList list(2, 600);
        fill(list, signal, 0, 600);
        const std::vector<float> in = channel(list, 1, 600);
        kernel.process(list.list(), 600);
        const std::vector<float> out = channel(list, 1, 600);
        EXPECT_NE(std::vector<float>(out.begin(), out.begin() + 512),
                  std::vector<float>(in.begin(), in.begin() + 512));
        EXPECT_EQ(std::vector<float>(out.begin() + 512, out.end()),
                  std::vector<float>(in.begin() + 512, in.end()));
    }
    // More buffers than channels: the extra buffer keeps the input.
    {
        QuorbelDSPKernel kernel;
        kernel.allocate(1, 512, 44100.0);
        OwnedAudioBufferList list(2, 512);
        fill(list, signal, 0, 512);
        const std::vector<float> in0 = channel(list, 0, 512);
        const std::vector<float> in1 = channel(list, 1, 512);
        kernel.process(list.list(), 512);
        EXPECT_NE(channel(list, 0, 512), in0);
        EXPECT_EQ(channel(list, 1, 512), in1);
    }
    // No channels at all: nothing is touched, the clock still runs.
    {
        QuorbelDSPKernel kernel;
        kernel.allocate(0, 512, 44100.0);
        EXPECT_TRUE(kernel.isAllocated());
        OwnedAudioBufferList list(2, 512);
        for (std::size_t call = 0; call < 3; ++call) {
            fill(list, signal, call * 512, 512);
            const std::vector<float> in0 = channel(list, 0, 512);
            kernel.process(list.list(), 512);
            EXPECT_EQ(channel(list, 0, 512), in0);
        }
        EXPECT_GT(kernel.modulation().time(), 0.0);
    }
}

TEST(QuorbelDSPKernel, SkipsBuffersWithoutData) {
    // Channel 1 must come out the same whether channel 0 has data or not.
    QuorbelDSPKernel withData;
    QuorbelDSPKernel withNull;
    withData.allocate(2, 512, 44100.0);
    withNull.allocate(2, 512, 44100.0);
    OwnedAudioBufferList a(2, 512);
    OwnedAudioBufferList b(2, 512);
    const std::vector<float> signal = noise(16384, 5, 0.5f);
    for (std::size_t call = 0; call < 40; ++call) {
        fill(a, signal, call * 512, 512);
        fill(b, signal, call * 512, 512);
        b.list()->mBuffers[0].mData = nullptr;
        withData.process(a.list(), 512);
        withNull.process(b.list(), 512);
        ASSERT_EQ(channel(a, 1, 512), channel(b, 1, 512)) << "call " << call;
    }
}

TEST(QuorbelDSPKernel, PanSendsEachKernelToItsSide) {
    // One 6144-frame call of an impulse: its first bucket echo reaches the 8192-point kernel's output at
    // sample 2048 and the 16384-point kernel's at 4096, while both spectral paths are still silent. With mix
    // 1 (no dry signal), what each channel shows around those samples tells which kernels it receives; the
    // first echo, smudged and panned, meets the filter at rest, so its first sample leaves as
    // tanh(1.4142 × gain × smudge × b0). A pan offset of 2 is clamped as one of 1 is: gain 0.5.
    struct Case {
        double vexity;                   // spread
        bool ch0GetsFirst, ch1GetsFirst; // the 8192-point kernel (the 16384-point one goes the other way)
    };
    for (const Case c : {Case{1.0, false, true}, Case{-1.0, true, false}, Case{2.0, false, true}}) {
        QuorbelDSPKernel kernel;
        kernel.allocate(3, 6144, 44100.0);
        ModulationInput& in = kernel.modulation().input;
        in.vexity = c.vexity;
        in.orbit =
            44100.0 / (3.2 * 6144.0); // the first tick puts the phase at π/2: warble1 = 1, warble2 = -1
        in.mix = 1.0f;
        in.volume = 0.4f;
        in.feed = 0.0f; // residue 0: the bucket stores the input as it comes
        OwnedAudioBufferList list(3, 6144);
        list.prepare(6144);
        for (std::uint32_t ch = 0; ch < 3; ++ch) {
            std::fill(list.channel(ch), list.channel(ch) + 6144, 0.0f);
            list.channel(ch)[0] = 1.0f;
        }
        kernel.process(list.list(), 6144);
        ASSERT_EQ(kernel.params().warble1, 1.0f);
        ASSERT_EQ(kernel.params().warble2, -1.0f);
        ASSERT_EQ(kernel.params().spread, static_cast<float>(c.vexity));

        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            SCOPED_TRACE(testing::Message() << "spread " << c.vexity << ", channel " << ch);
            const std::vector<float> out = channel(list, ch, 6144);
            const bool getsFirst = ch == 0 ? c.ch0GetsFirst : c.ch1GetsFirst;
            const float first = peak(out, 2048, 2400);
            const float second = peak(out, 4096, 4400);
            if (getsFirst) {
                EXPECT_GT(first, 1e-3f);
                EXPECT_LT(second, 1e-2f * first); // only the first echo's filter tail
                const double b0 = kernel.iirKernel(ch).coefficients()[0];
                const double gain = std::atanh(out[2048]) / (1.4142 * kernel.params().smudge * b0);
                EXPECT_NEAR(gain, 0.5, 1e-4);
            } else {
                EXPECT_EQ(peak(out, 0, 4096), 0.0f);
                EXPECT_GT(second, 1e-3f);
            }
        }
        EXPECT_EQ(channel(list, 2, 6144), channel(list, 1, 6144)); // a third channel pans as the second
    }
}

TEST(QuorbelDSPKernel, NoSpreadGivesEveryChannelTheSameGains) {
    QuorbelDSPKernel kernel;
    kernel.allocate(2, 512, 44100.0);
    kernel.modulation().input.orbit = 0.8; // warbles move, spread stays 0
    OwnedAudioBufferList list(2, 512);
    const std::vector<float> signal = noise(8192, 6, 0.5f);
    for (std::size_t call = 0; call < 40; ++call) {
        list.prepare(512);
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            std::copy(signal.begin() + static_cast<long>((call * 512) % 8192),
                      signal.begin() + static_cast<long>((call * 512) % 8192 + 512), list.channel(ch));
        }
        kernel.process(list.list(), 512);
        ASSERT_EQ(channel(list, 0, 512), channel(list, 1, 512));
    }
}

TEST(QuorbelDSPKernel, DryOnlyAtUnitLevelIsTanhOfTheInput) {
    QuorbelDSPKernel kernel;
    kernel.allocate(2, 1024, 44100.0);
    kernel.modulation().input.mix = 0.0f;
    kernel.modulation().input.volume = 0.4f; // 2.5 × 0.4 = 1
    OwnedAudioBufferList list(2, 1024);
    std::vector<float> signal = noise(1024, 7, 3.0f);
    fill(list, signal, 0, 1024);
    const std::vector<float> in = channel(list, 0, 1024);
    kernel.process(list.list(), 1024); // ticks at once
    const std::vector<float> out = channel(list, 0, 1024);
    for (std::size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(out[i], std::tanh(in[i])) << i;
    }
}

TEST(QuorbelDSPKernel, NonFiniteSamplesLeaveAsZero) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    {
        QuorbelDSPKernel kernel;
        kernel.allocate(1, 1024, 44100.0);
        kernel.modulation().input.mix = 0.0f;
        kernel.modulation().input.volume = 0.4f;
        OwnedAudioBufferList list(1, 1024);
        std::vector<float> signal = noise(1024, 8, 0.5f);
        signal[10] = nan;
        signal[20] = inf;
        signal[30] = -inf;
        signal[40] = 1e30f;
        fill(list, signal, 0, 1024);
        kernel.process(list.list(), 1024);
        const std::vector<float> out = channel(list, 0, 1024);
        EXPECT_EQ(out[10], 0.0f);
        EXPECT_EQ(out[20], 0.0f); // not ±1
        EXPECT_EQ(out[30], 0.0f);
        EXPECT_EQ(out[40], 1.0f);
        EXPECT_EQ(out[41], std::tanh(signal[41]));
        // The poisoned spectra and echoes that follow never leave as anything but finite samples.
        const std::vector<float> later = noise(32768, 9, 0.5f);
        for (std::size_t call = 0; call < 32; ++call) {
            fill(list, later, call * 1024, 1024);
            kernel.process(list.list(), 1024);
            for (float v : channel(list, 0, 1024)) {
                ASSERT_TRUE(std::isfinite(v));
            }
        }
    }
    {
        // An output level that overflows to infinity silences instead of clipping to ±1.
        QuorbelDSPKernel kernel;
        kernel.allocate(1, 1024, 44100.0);
        kernel.modulation().input.volume = std::numeric_limits<float>::max(); // × 2.5 overflows
        OwnedAudioBufferList list(1, 1024);
        fill(list, noise(1024, 10, 0.5f), 0, 1024);
        kernel.process(list.list(), 1024);
        EXPECT_EQ(peak(channel(list, 0, 1024), 0, 1024), 0.0f);
    }
}

TEST(QuorbelDSPKernel, ZeroQSilencesUntilTheNextTick) {
    QuorbelDSPKernel kernel;
    kernel.allocate(2, 512, 44100.0);
    kernel.modulation().input.vexity = -1.3; // wavy Q = (vexity + 1.3) × 3 = 0
    OwnedAudioBufferList list(2, 512);
    const std::vector<float> signal = noise(4096, 11, 0.5f);
    const auto render = [&](std::size_t call) {
        fill(list, signal, call * 512, 512);
        kernel.process(list.list(), 512);
        return peak(channel(list, 0, 512), 0, 512);
    };
    EXPECT_GT(render(0), 0.0f); // defaults: Q 3
    EXPECT_EQ(render(1), 0.0f); // tick: Q 0
    EXPECT_EQ(kernel.params().Q, 0.0);
    kernel.modulation().input.vexity = 0.0;
    EXPECT_EQ(render(2), 0.0f); // no tick yet
    const float recovered = render(3);
    EXPECT_GT(recovered, 0.0f); // the tick brings finite coefficients, the carries were kept finite
    EXPECT_TRUE(std::isfinite(recovered));
    EXPECT_TRUE(std::isfinite(kernel.iirKernel(0).carryOut()[1]));
}

TEST(QuorbelDSPKernel, ExtremeDriftNeitherStopsNorLeaksNonFiniteSamples) {
    // round(confusion × vexity) saturates to the most negative integer, whose negation (for the second
    // spectral kernel) does not exist.
    QuorbelDSPKernel kernel;
    kernel.allocate(2, 512, 44100.0);
    kernel.modulation().input.confusion = -1e300;
    kernel.modulation().input.vexity = 1e300;
    OwnedAudioBufferList list(2, 512);
    const std::vector<float> signal = noise(65536, 12, 0.5f);
    for (std::size_t call = 0; call < 100; ++call) {
        fill(list, signal, call * 512, 512);
        kernel.process(list.list(), 512);
        for (float v : channel(list, 1, 512)) {
            ASSERT_TRUE(std::isfinite(v));
        }
    }
    EXPECT_EQ(kernel.params().drift, std::numeric_limits<std::int64_t>::min());
}

void setMovingParameters(QuorbelDSPKernel& k) {
    k.modulation().input.orbit = 0.3;
    k.modulation().input.vexity = 0.4;
    k.modulation().input.confusion = 0.2;
    k.modulation().input.mix = 0.8f;
}

TEST(QuorbelDSPKernel, ResetKeepsTheControlValuesAndRestartsLikeAFreshKernel) {
    const std::vector<float> signal = noise(1 << 16, 13, 0.5f);
    QuorbelDSPKernel used;
    setMovingParameters(used);
    used.allocate(2, 1024, 44100.0);
    OwnedAudioBufferList list(2, 1024);
    for (std::size_t call = 0; call < 50; ++call) {
        fill(list, signal, call * 512, 512);
        used.process(list.list(), 512);
    }
    const QuorDSPParams before = used.params();
    used.reset();
    EXPECT_EQ(used.modulation().time(), 0.0);
    EXPECT_EQ(used.modulationAccumulator(), 0.0);
    fill(list, signal, 0, 256);
    used.process(list.list(), 256); // no tick: the values in force before the reset still hold
    EXPECT_EQ(used.params().frequency, before.frequency);
    EXPECT_EQ(used.params().warble1, before.warble1);
    EXPECT_EQ(used.params().mix, 0.8f);

    // After a reset, calls that tick at once render exactly as a fresh kernel does.
    used.reset();
    QuorbelDSPKernel fresh;
    setMovingParameters(fresh);
    fresh.allocate(2, 1024, 44100.0);
    OwnedAudioBufferList other(2, 1024);
    for (std::size_t call = 0; call < 40; ++call) {
        fill(list, signal, call * 1024, 1024);
        fill(other, signal, call * 1024, 1024);
        used.process(list.list(), 1024);
        fresh.process(other.list(), 1024);
        ASSERT_EQ(channel(list, 0, 1024), channel(other, 0, 1024)) << "call " << call;
        ASSERT_EQ(channel(list, 1, 1024), channel(other, 1, 1024)) << "call " << call;
    }
}

TEST(QuorbelDSPKernel, CallSizesDoNotChangeTheOutput) {
    // With orbit, vexity and doubt 0 the control values stay constant after the first tick, so once both
    // kernels tick on the same first call, any slicing of the rest must give the same audio.
    constexpr std::size_t total = 60000;
    constexpr std::int64_t maxFrames = 4096;
    const std::vector<float> signal = noise(total, 14, 0.5f);
    const auto render = [&](auto nextSize) {
        QuorbelDSPKernel kernel;
        kernel.allocate(2, maxFrames, 44100.0);
        OwnedAudioBufferList list(2, maxFrames);
        std::vector<float> out0, out1;
        std::size_t position = 0;
        std::size_t size = 1024;
        while (position < total) {
            const std::size_t frames = std::min(size, total - position);
            list.prepare(static_cast<std::uint32_t>(frames));
            std::copy(signal.begin() + static_cast<long>(position),
                      signal.begin() + static_cast<long>(position + frames), list.channel(0));
            std::copy(signal.rbegin() + static_cast<long>(position),
                      signal.rbegin() + static_cast<long>(position + frames), list.channel(1));
            kernel.process(list.list(), static_cast<std::int64_t>(frames));
            out0.insert(out0.end(), list.channel(0), list.channel(0) + frames);
            out1.insert(out1.end(), list.channel(1), list.channel(1) + frames);
            position += frames;
            size = nextSize();
        }
        return std::make_pair(out0, out1);
    };
    const auto regular = render([] { return std::size_t{512}; });
    std::mt19937 rng(15);
    std::uniform_int_distribution<std::size_t> sizes(0, maxFrames);
    const auto sliced = render([&] { return sizes(rng); });
    ASSERT_EQ(regular.first.size(), sliced.first.size());
    EXPECT_GT(peak(regular.first, 30000, total), 0.01f); // both spectral paths are audible by then
    for (std::size_t i = 0; i < total; ++i) {
        ASSERT_NEAR(sliced.first[i], regular.first[i], 1e-6f) << i;
        ASSERT_NEAR(sliced.second[i], regular.second[i], 1e-6f) << i;
    }
}

// The wet path made clear for an impulse at sample 0: volume 0.4 (level 1), feed 0 (residue 0: the echo
// buckets store the input as it comes), orbit and doubt 0 (smudge 0.5, pan gains 0.5, frequency = tone).
// For its first 8192 samples both spectral paths are silent, and each kernel gives only its bucket's first
// pass, smudged to half and panned to half: 0.25 at sample 2048 (8192 points) and 0.25 at 4096 (16384
// points), into the filter. Tone 0 with high-pass gives the coefficients 1, -2, 1, -2, 1: the filter passes
// its input as it is. Two calls of 4096 frames, each with its own tone and mode (each call ticks at once);
// returns their 8192 samples of channel 0.
struct ImpulseRun {
    double vexity = 0.0; // Q = (vexity + 1.3) × 3
    float mix = 1.0f;
    double tone[2] = {0.0, 0.0};
    std::int64_t filterMode[2] = {2, 2};
};

std::vector<float> echoesOfAnImpulse(QuorbelDSPKernel& kernel, const ImpulseRun& run) {
    ModulationInput& in = kernel.modulation().input;
    in.mix = run.mix;
    in.volume = 0.4f;
    in.feed = 0.0f;
    in.vexity = run.vexity;
    OwnedAudioBufferList list(static_cast<std::uint32_t>(kernel.channelCount()), 4096);
    std::vector<float> out;
    for (int call = 0; call < 2; ++call) {
        in.tone = static_cast<float>(run.tone[call]);
        in.filterMode = run.filterMode[call];
        list.prepare(4096);
        for (std::uint32_t ch = 0; ch < list.channels(); ++ch) {
            std::fill(list.channel(ch), list.channel(ch) + 4096, 0.0f);
            list.channel(ch)[0] = call == 0 ? 1.0f : 0.0f;
        }
        kernel.process(list.list(), 4096);
        out.insert(out.end(), list.channel(0), list.channel(0) + 4096);
    }
    return out;
}

TEST(QuorbelDSPKernel, EchoesReachTheMixAtHalfPanGainAndWeighted1Point4142) {
    // Wet only, then the dry impulse weighted 1 - mix and the echoes 1.4142 × mix.
    QuorbelDSPKernel kernel;
    kernel.allocate(1, 4096, 44100.0);
    for (int allocation = 0; allocation < 3; ++allocation) {
        const float mix = allocation < 2 ? 1.0f : 0.3f;
        SCOPED_TRACE(testing::Message() << "allocation " << allocation << ", mix " << mix);
        const std::vector<float> out = echoesOfAnImpulse(kernel, {.mix = mix});
        const float dry = std::tanh(1.0f - mix);
        const float echo = std::tanh(0.25f * (mix * 1.4142f));
        for (std::size_t t = 0; t < out.size(); ++t) {
            ASSERT_EQ(out[t], t == 0 ? dry : t == 2048 || t == 4096 ? echo : 0.0f) << t;
        }
        kernel.allocate(2, 4096, 44100.0); // new filters: their coefficients must be set again
    }
}

TEST(QuorbelDSPKernel, FilterModeChoosesTheCookbookForm) {
    // The first call passes the echo at 2048 as it is. The second call sets the case's filter, which meets
    // the echo at 4096 at rest: its first output is b0 × 0.25. b0 of each form, for these rates,
    // frequencies and Q, as the cookbook gives it; any mode other than 1 and 2 is low-pass. In the high-pass
    // case only the frequency changes between the calls.
    const double q = 0.7071067811865476;
    const struct Case {
        double rate, tone, q;
        std::int64_t mode;
        double b0;
    } cases[] = {{48000.0, 1000.0, q, 0, 0.00391612668},
                 {48000.0, 1000.0, q, 5, 0.00391612668},
                 {48000.0, 1000.0, q, 2, 0.911586642},
                 {44100.0, 500.0, 3.0, 1, 0.0351716056}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        QuorbelDSPKernel kernel;
        kernel.allocate(1, 4096, c.rate);
        const std::vector<float> out = echoesOfAnImpulse(
            kernel, {.vexity = c.q / 3.0 - 1.3, .tone = {0.0, c.tone}, .filterMode = {2, c.mode}});
        ASSERT_NEAR(kernel.params().Q, c.q, 1e-12);
        EXPECT_EQ(peak(out, 1, 2048), 0.0f);
        EXPECT_EQ(out[2048], std::tanh(0.25f * 1.4142f));
        EXPECT_EQ(peak(out, 2049, 4096), 0.0f);
        const double expected = std::tanh(1.4142 * 0.25 * c.b0);
        EXPECT_NEAR(out[4096], expected, 1e-6 * expected);
    }
}

TEST(QuorbelDSPKernel, SecondSpectralKernelShiftsItsKeptSpectrumTheOtherWay) {
    // doubt 3 × vexity 1: drift 3. Spectral kernels of their own, given the control values of each call
    // (drift 3 and -3), must keep the same spectra as the channel's two.
    QuorbelDSPKernel kernel;
    kernel.allocate(1, 4096, 44100.0);
    kernel.modulation().input.confusion = 3.0;
    kernel.modulation().input.vexity = 1.0;
    QuorKernel up(13);
    QuorKernel down(14);
    OwnedAudioBufferList list(1, 4096);
    std::vector<float> scratch(4096);
    const std::vector<float> signal = noise(8 * 4096, 16, 0.5f);
    for (std::size_t call = 0; call < 8; ++call) {
        fill(list, signal, call * 4096, 4096);
        const std::vector<float> in = channel(list, 0, 4096);
        kernel.process(list.list(), 4096);
        QuorDSPParams p = kernel.params();
        ASSERT_EQ(p.drift, 3);
        up.process(in.data(), scratch.data(), 4096, p);
        p.drift = -3;
        down.process(in.data(), scratch.data(), 4096, p);
    }
    const auto same = [](std::span<const float> a, std::span<const float> b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    };
    EXPECT_GT(peak({up.leftover().begin(), up.leftover().end()}, 0, 4096), 0.0f);
    EXPECT_TRUE(same(kernel.quorKernel1(0).leftover(), up.leftover()));
    EXPECT_TRUE(same(kernel.quorKernel2(0).leftover(), down.leftover()));
}

TEST(QuorbelDSPKernel, LongCallsRunAsSlicesOf6144Frames) {
    // An impulse at 8192 in channel 0 and noise in channel 1, wet signal only; orbit, vexity and doubt 0
    // keep the control values constant after the first tick.
    constexpr std::int64_t total = 2 * 65536;
    const std::vector<float> signal = noise(total, 17, 0.5f);
    const auto render = [&](std::int64_t maxFrames, const std::vector<std::int64_t>& calls) {
        QuorbelDSPKernel kernel;
        kernel.allocate(2, maxFrames, 44100.0);
        kernel.modulation().input.mix = 1.0f;
        OwnedAudioBufferList list(2, static_cast<std::uint32_t>(maxFrames));
        std::vector<float> out0, out1;
        std::int64_t position = 0;
        for (std::size_t i = 0; position < total; ++i) {
            const std::int64_t frames = calls[i % calls.size()];
            list.prepare(static_cast<std::uint32_t>(frames));
            for (std::int64_t t = 0; t < frames; ++t) {
                list.channel(0)[t] = position + t == 8192 ? 1.0f : 0.0f;
                list.channel(1)[t] = signal[static_cast<std::size_t>(position + t)];
            }
            kernel.process(list.list(), frames);
            out0.insert(out0.end(), list.channel(0), list.channel(0) + frames);
            out1.insert(out1.end(), list.channel(1), list.channel(1) + frames);
            position += frames;
        }
        return std::make_pair(out0, out1);
    };
    std::vector<std::int64_t> slices(10, 6144);
    slices.push_back(4096);
    const auto whole = render(65536, {65536});
    const auto sliced = render(65536, slices);
    const auto small = render(512, {512});
    EXPECT_EQ(whole.first, sliced.first);
    EXPECT_EQ(whole.second, sliced.second);
    // The impulse's wet response as 512-frame calls give it: the echoes from 2048 on and the 16384-point
    // kernel's spectral path 1.5 × 16384 samples late.
    EXPECT_EQ(whole.first, small.first);
    EXPECT_EQ(peak(whole.first, 0, 8192 + 2048), 0.0f);
    EXPECT_GT(peak(whole.first, 8192 + 24576, 8192 + 24576 + 8192), 1e-3f);
}

TEST(QuorbelDSPKernel, NonFiniteInputSamplesEnterAsSilence) {
    // A NaN at 0.5 s in the left channel and infinities in the right: the output equals, bit for bit, that
    // of the same input with zeros there, in both channels and long after.
    constexpr std::size_t total = 2 * 44100;
    const std::vector<float> clean = noise(total + 7, 18, 0.5f);
    std::vector<float> left = clean;
    std::vector<float> right(clean.begin() + 7, clean.end());
    left[22050] = std::numeric_limits<float>::quiet_NaN();
    right[30000] = std::numeric_limits<float>::infinity();
    right[30001] = -std::numeric_limits<float>::infinity();
    std::vector<float> cleanLeft = left;
    std::vector<float> cleanRight = right;
    cleanLeft[22050] = 0.0f;
    cleanRight[30000] = cleanRight[30001] = 0.0f;

    const auto render = [&](const std::vector<float>& l, const std::vector<float>& r) {
        QuorbelDSPKernel kernel;
        kernel.allocate(2, 512, 44100.0);
        OwnedAudioBufferList list(2, 512);
        std::vector<float> out;
        for (std::size_t at = 0; at + 512 <= total; at += 512) {
            list.prepare(512);
            std::copy_n(l.begin() + static_cast<long>(at), 512, list.channel(0));
            std::copy_n(r.begin() + static_cast<long>(at), 512, list.channel(1));
            kernel.process(list.list(), 512);
            out.insert(out.end(), list.channel(0), list.channel(0) + 512);
            out.insert(out.end(), list.channel(1), list.channel(1) + 512);
        }
        return out;
    };
    const std::vector<float> out = render(left, right);
    EXPECT_EQ(out, render(cleanLeft, cleanRight));
    EXPECT_GT(peak(out, out.size() - 1024, out.size()), 0.1f);
}

} // namespace
} // namespace quorbel
