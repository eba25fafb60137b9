#include "dsp/QuorKernel.h"
#include "support/MathConstants.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace quorbel {
namespace {

using test::noise;

using platform::support::kTwoPi;

// Every effect off: no swish, bleed, residue, smudge, drift, squash or purge.
QuorDSPParams effectsOff() {
    QuorDSPParams p;
    p.swish = 0.0f;
    p.bleed = 0.0f;
    p.residue = 0.0f;
    p.smudge = 0.0f;
    p.drift = 0;
    p.squeeze = false;
    p.purge = false;
    return p;
}

// Runs the whole input through the kernel in calls of `block` frames.
std::vector<float> run(QuorKernel& kernel, const std::vector<float>& input, const QuorDSPParams& p,
                       std::size_t block = 512) {
    std::vector<float> output(input.size());
    for (std::size_t at = 0; at < input.size(); at += block) {
        const std::size_t count = std::min(block, input.size() - at);
        kernel.process(input.data() + at, output.data() + at, static_cast<std::int64_t>(count), p);
    }
    return output;
}

// Runs the input in calls of pseudo-random sizes from 0 to `largest` frames.
std::vector<float> runRagged(QuorKernel& kernel, const std::vector<float>& input, const QuorDSPParams& p,
                             std::size_t largest, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> size(0, largest);
    std::vector<float> output(input.size());
    for (std::size_t at = 0; at < input.size();) {
        const std::size_t count = std::min(size(rng), input.size() - at);
        kernel.process(input.data() + at, output.data() + at, static_cast<std::int64_t>(count), p);
        at += count;
    }
    return output;
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(QuorKernel, SizesWindowsAndPrefillFollowTheFrameLength) {
    struct Case {
        std::int64_t logN, n, bandwidth, offset;
    };
    for (const Case c : {Case{13, 8192, 3686, 2253}, Case{14, 16384, 7372, 4506}}) {
        SCOPED_TRACE(c.logN);
        QuorKernel k(c.logN);
        EXPECT_EQ(k.transformBlockSamples(), c.n);
        EXPECT_EQ(k.fourierDomainSamples(), c.n / 2);
        EXPECT_EQ(k.overlapSamples(), c.n / 2);
        EXPECT_EQ(k.bandwidthSamples(), c.bandwidth);
        EXPECT_EQ(k.bandwidthOffset(), c.offset);
        // The queues as the output shows them. N zeros wait in the output queue and N/2 in the input
        // queue: an impulse comes out 1.5·N late, nothing before N. The output queue holds N/2 + 2N: a
        // first call of that many frames is processed, one of a frame more passes its input through.
        const auto n = static_cast<std::size_t>(c.n);
        std::vector<float> impulse(n / 2 + 2 * n + 1, 0.0f);
        impulse[0] = 1.0f;
        std::vector<float> out(impulse.size());
        QuorKernel fits(c.logN);
        fits.process(impulse.data(), out.data(), c.n / 2 + 2 * c.n, effectsOff());
        EXPECT_TRUE(std::all_of(out.begin(), out.begin() + c.n, [](float x) { return x == 0.0f; }));
        EXPECT_NE(out[n + 1], 0.0f);
        const auto peak = std::max_element(out.begin(), out.end(),
                                           [](float a, float b) { return std::abs(a) < std::abs(b); });
        EXPECT_EQ(peak - out.begin(), 3 * c.n / 2);
        QuorKernel passes(c.logN);
        passes.process(impulse.data(), out.data(), c.n / 2 + 2 * c.n + 1, effectsOff());
        EXPECT_TRUE(bitIdentical(out, impulse));
        // N/4 zeros wait in the bucket, whose loop is N long: with smudge 1 and residue 1 the impulse
        // echoes at N/4 and N/4 + N.
        QuorDSPParams echo = effectsOff();
        echo.smudge = 1.0f;
        echo.residue = 1.0f;
        QuorKernel looped(c.logN);
        const auto echoes =
            run(looped, std::vector<float>(impulse.begin(), impulse.begin() + c.n + c.n / 2), echo);
        EXPECT_EQ(echoes[n / 4], 0.5f);
        EXPECT_EQ(echoes[n / 4 + n], 0.25f);
        // The taper's peak sits at N/2 and it is exactly zero from bin M/2 on.
        const auto w = k.lowpass().subspan(static_cast<std::size_t>(c.n / 2));
        EXPECT_FLOAT_EQ(w[0], 1.0f);
        EXPECT_GT(w[static_cast<std::size_t>(c.bandwidth / 2 - 1)], 0.0f);
        EXPECT_EQ(w[static_cast<std::size_t>(c.bandwidth / 2)], 0.0f);
        EXPECT_EQ(k.lowpass()[static_cast<std::size_t>(c.offset - 1)], 0.0f);
    }
    QuorKernel k(13);
    const auto w = k.lowpass().subspan(4096);
    EXPECT_NEAR(w[100], 0.98815f, 1e-5f);
    // The first frame, N/2 zeros and the first N/2 input samples, runs in the call that completes it: half
    // a frame of a sine with 100 cycles per N leaves 2·|X[100]|·w(100)² = A·N/2·w(100)² in the kept spectrum.
    std::vector<float> half(4096), sink(4096);
    for (std::size_t t = 0; t < half.size(); ++t) {
        half[t] = static_cast<float>(0.5 * std::sin(kTwoPi * static_cast<double>(100 * t % 8192) / 8192.0));
    }
    QuorKernel first(13);
    first.process(half.data(), sink.data(), 4096, effectsOff());
    EXPECT_NEAR(first.leftover()[100], 0.5 * 4096.0 * w[100] * w[100], 1e-2);
    EXPECT_NEAR(w[500], 0.73845f, 1e-5f);
    EXPECT_NEAR(w[1000], 0.27614f, 1e-5f);
    EXPECT_THROW(QuorKernel(3), std::invalid_argument);
}

// A smudge of zero, below zero or NaN blends nothing of the bucket in, while each call still takes its
// frames out of the bucket.
TEST(QuorKernel, FirstFrameLengthOfOutputIsSilent) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float smudge : {0.0f, -0.5f, nan, -inf}) {
        QuorDSPParams p = effectsOff();
        p.smudge = smudge;
        for (std::int64_t logN : {13, 14}) {
            QuorKernel k(logN);
            const auto n = static_cast<std::size_t>(k.transformBlockSamples());
            const auto out = run(k, noise(n + 3000, 1, 1.0f), p, 700);
            for (std::size_t t = 0; t < n; ++t) {
                ASSERT_EQ(out[t], 0.0f) << "smudge " << smudge << " logN " << logN << " sample " << t;
            }
            EXPECT_NE(out[n + 2999], 0.0f);
            // The bucket still holds the last N/4 input samples: with smudge 1 they come out next.
            QuorDSPParams full = effectsOff();
            full.smudge = 1.0f;
            const auto in = noise(n + 3000, 1, 1.0f);
            std::vector<float> next(n / 4);
            k.process(in.data(), next.data(), static_cast<std::int64_t>(n / 4), full);
            EXPECT_TRUE(std::equal(next.begin(), next.end(), in.end() - static_cast<std::ptrdiff_t>(n / 4)));
        }
    }
}

// A sine of exactly k cycles per frame fills every frame from the second on with one bin, which the
// taper scales twice and the transform pair doubles: it comes out 1.5·N samples late at 2·A·w(k)².
// The tolerance covers float rounding through two transforms of N points and the Hann overlap-add
// (measured errors stay below 7e-7·A).
TEST(QuorKernel, SineComesOutDelayedAtTwiceTheSquaredTaper) {
    struct Case {
        std::int64_t logN;
        int cycles;
        double gain; // 2·w(k)², to the four decimals quoted for the design
    };
    const double amplitude = 0.5;
    for (const Case c :
         {Case{13, 100, 1.9529}, Case{13, 1000, 0.1525}, Case{13, 1843, 0.0}, Case{13, 2500, 0.0},
          Case{14, 200, 1.9529}, Case{14, 2000, 0.1525}, Case{14, 3686, 0.0}}) {
        SCOPED_TRACE(testing::Message() << "logN " << c.logN << " k " << c.cycles);
        QuorKernel k(c.logN);
        const std::size_t n = static_cast<std::size_t>(k.transformBlockSamples());
        const double w = k.lowpass()[n / 2 + static_cast<std::size_t>(c.cycles)];
        EXPECT_NEAR(2.0 * w * w, c.gain, 5e-5);
        std::vector<float> in(4 * n);
        auto sine = [&](std::size_t t) {
            return amplitude *
                   std::sin(kTwoPi * static_cast<double>(static_cast<std::size_t>(c.cycles) * t % n) /
                            static_cast<double>(n));
        };
        for (std::size_t t = 0; t < in.size(); ++t) {
            in[t] = static_cast<float>(sine(t));
        }
        const auto out = run(k, in, effectsOff());
        const std::size_t delay = 3 * n / 2;
        double worst = 0.0;
        for (std::size_t t = 2 * n; t < out.size(); ++t) {
            worst = std::max(worst, std::abs(out[t] - 2.0 * w * w * sine(t - delay)));
        }
        EXPECT_LT(worst, 5e-6 * amplitude);
    }
}

// Swish advances a bin's phase by swish × its tapered magnitude, and that magnitude is 2·|X[k]|·w(k)
// = A·N·w(k) for a sine: the sine comes out shifted by that angle (0.40 rad here).
TEST(QuorKernel, SwishTwistsThePhaseByTheMagnitude) {
    const std::size_t n = 8192, cycles = 100;
    const double amplitude = 0.5;
    QuorKernel k(13);
    const double w = k.lowpass()[n / 2 + cycles];
    QuorDSPParams p = effectsOff();
    p.swish = 1e-4f;
    const double twist = static_cast<double>(p.swish) * amplitude * static_cast<double>(n) * w;
    auto sine = [&](std::size_t t, double shift) {
        return amplitude *
               std::sin(kTwoPi * static_cast<double>(cycles * t % n) / static_cast<double>(n) + shift);
    };
    std::vector<float> in(4 * n);
    for (std::size_t t = 0; t < in.size(); ++t) {
        in[t] = static_cast<float>(sine(t, 0.0));
    }
    const auto out = run(k, in, p);
    double worst = 0.0;
    for (std::size_t t = 2 * n; t < out.size(); ++t) {
        worst = std::max(worst, std::abs(out[t] - 2.0 * w * w * sine(t - 3 * n / 2, twist)));
    }
    EXPECT_LT(worst, 1e-5 * amplitude);

    // The twist takes the magnitude after the bleed's division and before the residue's: bin 116 only
    // receives bleed (from the silent bin 100), and with purge the residue only divides. A negative swish
    // turns the other way.
    const std::size_t target = 116;
    QuorKernel shaped(13);
    const double wt = shaped.lowpass()[n / 2 + target];
    p.bleed = 1.0f;
    p.residue = 1.0f;
    p.purge = true;
    p.swish = -2e-4f;
    const double turn = static_cast<double>(p.swish) * amplitude * static_cast<double>(n) * wt / 2.0;
    auto tone = [&](std::size_t t, double shift) {
        return amplitude *
               std::sin(kTwoPi * static_cast<double>(target * t % n) / static_cast<double>(n) + shift);
    };
    for (std::size_t t = 0; t < in.size(); ++t) {
        in[t] = static_cast<float>(tone(t, 0.0));
    }
    const auto twisted = run(shaped, in, p);
    worst = 0.0;
    for (std::size_t t = 2 * n; t < twisted.size(); ++t) {
        worst = std::max(worst, std::abs(twisted[t] - 2.0 * wt * wt / 4.0 * tone(t - 3 * n / 2, turn)));
    }
    EXPECT_LT(worst, 1e-5 * amplitude);
}

// Without purge the kept spectrum weighs r against 1 for the new one, and is tapered once more each
// frame: a steady sine settles where L = (A·N·w + r·L)·w / (1 + r).
TEST(QuorKernel, ResidueWeighsTheKeptSpectrumAgainstTheNewOne) {
    const std::size_t n = 8192, cycles = 100;
    const double amplitude = 0.5, r = 3.0;
    QuorKernel k(13);
    const double w = k.lowpass()[n / 2 + cycles];
    QuorDSPParams p = effectsOff();
    p.residue = static_cast<float>(r);
    std::vector<float> in(48 * n);
    for (std::size_t t = 0; t < in.size(); ++t) {
        in[t] = static_cast<float>(
            amplitude * std::sin(kTwoPi * static_cast<double>(cycles * t % n) / static_cast<double>(n)));
    }
    run(k, in, p, 4096);
    const double settled = amplitude * static_cast<double>(n) * w * w / (1.0 + r - r * w);
    EXPECT_NEAR(k.leftover()[cycles], settled, 1e-4 * settled);
}

TEST(QuorKernel, ConstantInputComesOutSilent) {
    QuorKernel k(13);
    const auto out = run(k, std::vector<float>(40000, 0.75f), effectsOff());
    for (std::size_t t = 16384; t < out.size(); ++t) {
        ASSERT_NEAR(out[t], 0.0f, 1e-6f) << t; // DC never reaches the output; only rounding remains
    }
}

// With smudge 1 the output is the bucket alone: 0 × the spectral path + the input N/4 samples late,
// exactly, whatever the spectral settings and the call sizes (up to 3N/4).
TEST(QuorKernel, FullSmudgeWithoutResidueDelaysByAQuarterFrame) {
    QuorDSPParams p = effectsOff();
    p.smudge = 1.0f;
    p.swish = 0.01f;
    p.bleed = 0.3f;
    p.drift = -7;
    p.squeeze = true;
    for (std::int64_t logN : {13, 14}) {
        QuorKernel k(logN);
        const auto n = static_cast<std::size_t>(k.transformBlockSamples());
        const auto in = noise(5 * n, 2, 1.0f);
        const auto out = runRagged(k, in, p, 3 * n / 4, 9);
        for (std::size_t t = 0; t < out.size(); ++t) {
            ASSERT_EQ(out[t], t < n / 4 ? 0.0f : in[t - n / 4]) << "logN " << logN << " sample " << t;
        }
        // A first call of N frames: the bucket takes the first 3N/4 samples and, full with N, gives them.
        QuorKernel whole(logN);
        std::vector<float> first(n);
        whole.process(in.data(), first.data(), static_cast<std::int64_t>(n), p);
        for (std::size_t t = 0; t < n; ++t) {
            ASSERT_EQ(first[t], t < n / 4 ? 0.0f : in[t - n / 4]) << "logN " << logN << " sample " << t;
        }
    }
}

// Residue 1 halves each pass through the bucket's loop of N: echoes of 1/2, 1/4, 1/8 … at N/4 + j·N.
// Residue r in general lets r/(r + 1) of the input in and feeds 1/(r + 1) back: 3/4, 3/16 … for r 3
// (here in calls longer than the bucket's scratch).
TEST(QuorKernel, FullSmudgeWithResidueGivesTheEchoTrain) {
    struct Case {
        float residue, first, feedback, third;
        std::size_t block;
    };
    for (const Case c : {Case{1.0f, 0.5f, 0.5f, 0.125f, 1024}, Case{3.0f, 0.75f, 0.25f, 0.046875f, 6000}}) {
        SCOPED_TRACE(c.residue);
        QuorDSPParams p = effectsOff();
        p.smudge = 1.0f;
        p.residue = c.residue;
        QuorKernel k(13);
        const std::size_t t0 = 1000;
        std::vector<float> in(50000, 0.0f);
        in[t0] = 1.0f;
        const auto out = run(k, in, p, c.block);
        std::vector<float> expected(in.size(), 0.0f);
        float echo = c.first;
        for (std::size_t t = t0 + 2048; t < in.size(); t += 8192, echo *= c.feedback) {
            expected[t] = echo;
        }
        EXPECT_EQ(expected[t0 + 2048 + 2 * 8192], c.third);
        EXPECT_TRUE(bitIdentical(out, expected));
    }
}

// Squash maps every overlap-added sample through the table; the spectral path is otherwise unchanged,
// so the squashed output is the table curve applied to the plain output.
TEST(QuorKernel, SqueezeSquashesEveryOutputSample) {
    const float table[] = {-0.99f, -0.95f, -0.88f, -0.8f, -0.7f, 0.0f, 0.7f, 0.8f, 0.88f, 0.95f, 0.99f};
    auto squash = [&](float x) {
        const float q = x + 5.0f;
        if (q < 0.0f) {
            return table[0];
        }
        if (q >= 10.0f) {
            return table[10];
        }
        const float i = std::floor(q);
        const float f = q - i;
        const auto at = static_cast<std::size_t>(i);
        return (1.0f - f) * table[at] + f * table[at + 1];
    };
    const auto in = noise(40000, 3, 12.0f);
    QuorKernel plain(13), squeezed(13);
    QuorDSPParams p = effectsOff();
    const auto reference = run(plain, in, p);
    p.squeeze = true;
    const auto out = run(squeezed, in, p);
    int beyond = 0;
    for (std::size_t t = 0; t < in.size(); ++t) {
        ASSERT_NEAR(out[t], squash(reference[t]), 1e-6f) << t;
        beyond += std::abs(reference[t]) >= 5.0f ? 1 : 0;
    }
    EXPECT_GT(beyond, 100); // the clamped ends were reached
}

// A frame holding one cycle per frame has a single bin: bleed 1 moves half of bin 1 into bin 17.
TEST(QuorKernel, BleedMovesHalfOfABinSixteenBinsUp) {
    std::vector<float> in(8192 + 4096);
    for (std::size_t t = 0; t < in.size(); ++t) {
        in[t] = static_cast<float>(std::cos(kTwoPi * static_cast<double>(t % 8192) / 8192.0));
    }
    QuorKernel plain(13), bled(13);
    QuorDSPParams p = effectsOff();
    run(plain, in, p); // two frames; the second is all input: bin 1 only
    p.bleed = 1.0f;
    run(bled, in, p);
    const auto w = plain.lowpass().subspan(4096);
    const auto before = plain.leftover();
    const auto after = bled.leftover();
    const double m = before[1] / (w[1] * w[1]); // the bin's untapered magnitude, 2·|X[1]| = N
    EXPECT_NEAR(m, 8192.0, 0.01);
    EXPECT_NEAR(after[1], m / 2 * w[1] * w[1], 1e-3);
    EXPECT_NEAR(after[17], m / 2 * w[1] * w[17], 1e-3);
    EXPECT_LT(before[17], 1e-3f);
    for (std::size_t bin = 2; bin < 4096; ++bin) {
        if (bin != 17) {
            ASSERT_LT(after[bin], 1e-3f) << bin;
        }
    }

    // Bleed b with bins 1, 16, 32 and 33 lit (magnitudes N, N/2, N/4, N/8): bins 1 and 33 give b times
    // themselves to bins 17 and 49; bin 16 and the next group's first bin, 32, give and receive nothing;
    // all are divided by 1 + b. A negative bleed works the same way.
    std::vector<float> lit(in.size());
    for (std::size_t t = 0; t < lit.size(); ++t) {
        auto partial = [&](std::size_t bin, double level) {
            return level * std::cos(kTwoPi * static_cast<double>(bin * t % 8192) / 8192.0);
        };
        lit[t] =
            static_cast<float>(partial(1, 1.0) + partial(16, 0.5) + partial(32, 0.25) + partial(33, 0.125));
    }
    for (const float b : {0.5f, -0.5f}) {
        SCOPED_TRACE(b);
        QuorKernel mixed(13);
        p.bleed = b;
        run(mixed, lit, p);
        const double d = 1.0 + b;
        std::vector<double> expected(4096, 0.0);
        expected[1] = 8192.0 * w[1] * w[1] / d;
        expected[17] = b * 8192.0 * w[1] * w[17] / d;
        expected[16] = 4096.0 * w[16] * w[16] / d;
        expected[32] = 2048.0 * w[32] * w[32] / d;
        expected[33] = 1024.0 * w[33] * w[33] / d;
        expected[49] = b * 1024.0 * w[33] * w[49] / d;
        for (std::size_t bin = 1; bin < 4096; ++bin) {
            ASSERT_NEAR(mixed.leftover()[bin], expected[bin], 1e-2 + 1e-5 * std::abs(expected[bin])) << bin;
        }
    }
}

// The kept spectrum is the frame's final magnitudes shifted by drift bins, the vacated end keeping its
// own values; a shift is taken modulo N/2, its size from |drift| (the most negative drift included).
TEST(QuorKernel, DriftShiftsTheKeptSpectrum) {
    const auto in = noise(8192 + 4096, 4, 1.0f);
    auto keptWith = [&](std::int64_t drift, bool purge) {
        QuorKernel k(13);
        QuorDSPParams p = effectsOff();
        p.drift = drift;
        p.purge = purge;
        run(k, in, p);
        return std::vector<float>(k.leftover().begin(), k.leftover().end());
    };
    const auto plain = keptWith(0, false);
    ASSERT_EQ(plain[0], 0.0f);
    ASSERT_GT(plain[5], 0.0f);
    auto shifted = [&](std::int64_t s) { // s > 0 up, s < 0 down
        std::vector<float> v = plain;
        const auto size = static_cast<std::int64_t>(v.size());
        for (std::int64_t k = 0; k < size; ++k) {
            const std::int64_t from = k - s;
            if (from >= 0 && from < size) {
                v[static_cast<std::size_t>(k)] = plain[static_cast<std::size_t>(from)];
            }
        }
        return v;
    };
    const std::int64_t most = std::numeric_limits<std::int64_t>::max();
    const std::int64_t least = std::numeric_limits<std::int64_t>::min();
    struct Case {
        std::int64_t drift, shift;
    };
    for (const Case c : {Case{3, 3}, Case{-3, -3}, Case{4096, 0}, Case{-4096, 0}, Case{4097, 1},
                         Case{-4097, -1}, Case{most, 4095}, Case{-most, -4095}, Case{least, 0}}) {
        SCOPED_TRACE(c.drift);
        EXPECT_TRUE(bitIdentical(keptWith(c.drift, false), shifted(c.shift)));
        EXPECT_TRUE(
            bitIdentical(keptWith(c.drift, true), std::vector<float>(4096, 0.0f))); // purge keeps nothing
    }
    const auto up = keptWith(3, false);
    EXPECT_EQ(up[3], plain[0]);
    EXPECT_EQ(up[2], plain[2]);
    EXPECT_EQ(up[1], plain[1]);
}

// With purge the kept spectrum is always zero, so a residue of 1 only halves the magnitudes (and one of
// -0.5 doubles them).
TEST(QuorKernel, PurgeLeavesResidueOnlyDividing) {
    const auto in = noise(40000, 5, 1.0f);
    QuorDSPParams p = effectsOff();
    p.purge = true;
    p.drift = 3;
    QuorKernel plain(13), halved(13), doubled(13), kept(13);
    const auto reference = run(plain, in, p);
    p.residue = -0.5f;
    const auto twice = run(doubled, in, p);
    p.residue = 1.0f;
    const auto out = run(halved, in, p);
    p.purge = false;
    const auto withKept = run(kept, in, p);
    double difference = 0.0;
    for (std::size_t t = 16384; t < in.size(); ++t) {
        ASSERT_NEAR(out[t], 0.5f * reference[t], 1e-6f) << t;
        ASSERT_NEAR(twice[t], 2.0f * reference[t], 4e-6f) << t;
        difference = std::max(difference, std::abs(static_cast<double>(withKept[t] - out[t])));
    }
    EXPECT_GT(difference, 0.01); // without purge the kept spectrum does reach the output
}

TEST(QuorKernel, ResetEqualsAFreshKernelAfterHardDriving) {
    QuorDSPParams hard;
    hard.swish = 0.02f;
    hard.bleed = 0.8f;
    hard.residue = 3.0f;
    hard.smudge = 0.7f;
    hard.drift = 11;
    hard.squeeze = true;
    auto drive = noise(60000, 6, 4.0f);
    drive[12345] = std::numeric_limits<float>::quiet_NaN(); // spoils the kept spectrum and the bucket
    drive[23456] = std::numeric_limits<float>::infinity();
    QuorKernel used(13);
    runRagged(used, drive, hard, 8192, 7);
    used.reset();
    QuorKernel fresh(13);
    // Queues filled as a fresh kernel's, kept spectrum and overlap cleared: the same output bit for bit.
    const auto in = noise(50000, 8, 1.0f);
    QuorDSPParams p; // the default control values: every effect on a little
    EXPECT_TRUE(bitIdentical(run(used, in, p, 333), run(fresh, in, p, 333)));
    EXPECT_TRUE(bitIdentical({used.leftover().begin(), used.leftover().end()},
                             {fresh.leftover().begin(), fresh.leftover().end()}));
}

// The output does not depend on how the stream is cut into calls (up to 3N/4 frames each), and a
// call may process its buffer in place.
TEST(QuorKernel, OutputIsIndependentOfCallSizes) {
    const auto in = noise(60000, 10, 1.0f);
    const QuorDSPParams p; // defaults: residue 5, smudge 0.5, bleed, swish
    QuorKernel steady(13), ragged(13), inPlace(13);
    const auto reference = run(steady, in, p, 256);
    EXPECT_TRUE(bitIdentical(runRagged(ragged, in, p, 6144, 11), reference));
    std::vector<float> buffer = in;
    for (std::size_t at = 0; at < buffer.size(); at += 1000) {
        const auto count = static_cast<std::int64_t>(std::min<std::size_t>(1000, buffer.size() - at));
        inPlace.process(buffer.data() + at, buffer.data() + at, count, p);
    }
    EXPECT_TRUE(bitIdentical(buffer, reference));
}

// More frames than the output queue can ever hold (N/2 + 2N): the input comes back unchanged, and the
// bucket (at most N samples) blends nothing into it.
TEST(QuorKernel, OversizedCallPassesItsInputThrough) {
    QuorKernel k(13);
    const auto in = noise(30000, 12, 1.0f);
    std::vector<float> out(in.size());
    QuorDSPParams p;
    p.smudge = 1.0f;
    k.process(in.data(), out.data(), static_cast<std::int64_t>(in.size()), p);
    EXPECT_TRUE(bitIdentical(out, in));
}

TEST(QuorKernel, ZeroFrameCallChangesNothing) {
    const auto in = noise(30000, 13, 1.0f);
    const QuorDSPParams p;
    QuorKernel plain(13), interrupted(13);
    const auto reference = run(plain, in, p, 480);
    std::vector<float> out(in.size());
    for (std::size_t at = 0; at < in.size(); at += 480) {
        interrupted.process(nullptr, nullptr, 0, p); // takes nothing in, gives nothing out
        const auto count = static_cast<std::int64_t>(std::min<std::size_t>(480, in.size() - at));
        interrupted.process(in.data() + at, out.data() + at, count, p);
    }
    EXPECT_TRUE(bitIdentical(out, reference));
}

} // namespace
} // namespace quorbel
