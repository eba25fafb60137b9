#include "dsp/IIRKernel.h"
#include "support/MathConstants.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace quorbel {
namespace {

using platform::support::kTwoPi;

std::string digits(float x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(x));
    return text;
}

std::vector<float> sine(double frequency, double sampleRate, std::size_t n) {
    std::vector<float> s(n);
    for (std::size_t i = 0; i < n; ++i) {
        s[i] = static_cast<float>(std::sin(kTwoPi * frequency * static_cast<double>(i) / sampleRate));
    }
    return s;
}

/// Amplitude of a filtered sinusoid: RMS × √2 over the last `tail` samples (a whole number of cycles).
double amplitude(const std::vector<float>& y, std::size_t tail) {
    double sum = 0.0;
    for (std::size_t i = y.size() - tail; i < y.size(); ++i) {
        sum += static_cast<double>(y[i]) * static_cast<double>(y[i]);
    }
    return std::sqrt(2.0 * sum / static_cast<double>(tail));
}

enum class Mode { low, band, high };

void set(IIRKernel& k, Mode mode, double f, double q) {
    switch (mode) {
    case Mode::low:
        k.setLowPass(f, q);
        break;
    case Mode::band:
        k.setBandPass(f, q);
        break;
    case Mode::high:
        k.setHighPass(f, q);
        break;
    }
}

TEST(IIRKernel, FreshKernelOutputsSilence) {
    IIRKernel k(64, 44100.0);
    EXPECT_EQ(k.maxFrames(), 66);
    std::vector<float> x = sine(440.0, 44100.0, 64);
    k.process(x.data(), 64);
    for (float v : x) {
        ASSERT_EQ(v, 0.0f);
    }
}

TEST(IIRKernel, CookbookCoefficientsToThePrintedDigits) {
    struct Case {
        Mode mode;
        double f, q, rate;
        const char* expected[5];
    };
    const Case cases[] = {
        {Mode::low,
         1000.0,
         0.7071067811865476,
         48000.0,
         {"0.00391612668", "0.00783225335", "0.00391612668", "-1.81534111", "0.831005573"}},
        {Mode::high,
         1000.0,
         0.7071067811865476,
         48000.0,
         {"0.911586642", "-1.82317328", "0.911586642", "-1.81534111", "0.831005573"}},
        {Mode::band,
         500.0,
         3.0,
         44100.0,
         {"0.0351716056", "0", "-0.0351716056", "-1.97153902", "0.976552248"}},
    };
    for (const Case& c : cases) {
        IIRKernel k(16, c.rate);
        set(k, c.mode, c.f, c.q);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(digits(k.coefficients()[static_cast<std::size_t>(i)]), c.expected[i])
                << "mode " << static_cast<int>(c.mode) << " coefficient " << i;
        }
    }
}

TEST(IIRKernel, FrequencyAboveFortyFivePercentOfTheRateIsClamped) {
    IIRKernel high(16, 44100.0);
    IIRKernel clamp(16, 44100.0);
    for (Mode mode : {Mode::low, Mode::band, Mode::high}) {
        set(high, mode, 30000.0, 2.0);
        set(clamp, mode, 19845.0, 2.0);
        EXPECT_EQ(high.coefficients(), clamp.coefficients());
    }
    // Below the limit nothing is clamped, at the bottom end neither: f = 0 gives the formulas' own values.
    IIRKernel zero(16, 44100.0);
    zero.setLowPass(0.0, 0.7);
    EXPECT_EQ(zero.coefficients(), (IIRKernel::Coefficients{0.0f, 0.0f, 0.0f, -2.0f, 1.0f}));
    // A negative frequency is used as it is: -1000 Hz turns the sine, and with it alpha, negative, which
    // divides the 1000 Hz low-pass (b0 0.00391612668, b1 0.00783225335, a1 -1.81534111, a2 0.831005573)
    // by its a2 and makes a2 its reciprocal.
    IIRKernel negative(16, 48000.0);
    negative.setLowPass(-1000.0, 0.7071067811865476);
    const double a2 = 0.831005573;
    const double expected[5] = {0.00391612668 / a2, 0.00783225335 / a2, 0.00391612668 / a2, -1.81534111 / a2,
                                1.0 / a2};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(negative.coefficients()[i], expected[i], 1e-6 * std::fabs(expected[i])) << i;
    }
}

TEST(IIRKernel, GainsMeasuredWithSines) {
    struct Case {
        Mode mode;
        double f, q, rate;
        double probe;     // frequency of the test sine (0: DC)
        std::size_t tail; // samples forming whole cycles of the probe
        double gain;
    };
    const double q = 0.7071067811865476;
    const Case cases[] = {
        {Mode::low, 1000.0, q, 48000.0, 0.0, 480, 1.0},
        {Mode::low, 1000.0, q, 48000.0, 1000.0, 480, 0.7071},
        {Mode::high, 1000.0, q, 48000.0, 1000.0, 480, 0.7071},
        {Mode::band, 500.0, 3.0, 44100.0, 500.0, 441, 3.0},
    };
    for (const Case& c : cases) {
        IIRKernel k(8192, c.rate);
        set(k, c.mode, c.f, c.q);
        std::vector<float> x = c.probe == 0.0 ? std::vector<float>(8192, 1.0f) : sine(c.probe, c.rate, 8192);
        k.process(x.data(), 8192);
        const double measured = c.probe == 0.0 ? static_cast<double>(x.back()) : amplitude(x, c.tail);
        EXPECT_NEAR(measured, c.gain, 1e-3 * c.gain) << "probe " << c.probe;
    }
    // High-pass at Nyquist: an alternating signal passes with gain 1.
    IIRKernel k(8192, 48000.0);
    k.setHighPass(1000.0, q);
    std::vector<float> nyquist(8192);
    for (std::size_t i = 0; i < nyquist.size(); ++i) {
        nyquist[i] = (i % 2 == 0) ? 1.0f : -1.0f;
    }
    k.process(nyquist.data(), 8192);
    EXPECT_NEAR(std::fabs(nyquist.back()), 1.0, 1e-4);
}

TEST(IIRKernel, SplitCallsFilterAsOneSignal) {
    const std::vector<float> signal = test::noise(300, 7, 1.0f);
    IIRKernel whole(300, 44100.0);
    whole.setBandPass(2000.0, 5.0);
    std::vector<float> expected = signal;
    whole.process(expected.data(), 300);

    for (std::int64_t split : {0, 1, 2, 3, 150, 298, 299, 300}) {
        IIRKernel k(300, 44100.0);
        k.setBandPass(2000.0, 5.0);
        std::vector<float> y = signal;
        k.process(y.data(), split);
        k.setBandPass(2000.0, 5.0); // a setter keeps the carried samples
        k.process(y.data() + split, 300 - split);
        EXPECT_EQ(y, expected) << "split at " << split;
        EXPECT_EQ(k.carryIn(), whole.carryIn());
        EXPECT_EQ(k.carryOut(), whole.carryOut());
    }
}

TEST(IIRKernel, OneSampleCallMovesTheCarriesOnByOne) {
    IIRKernel k(8, 44100.0);
    k.setLowPass(1000.0, 1.0);
    float x[2] = {0.5f, -0.25f};
    k.process(x, 2);
    const float y1 = x[1];
    k.setLowPass(1000.0, 1.0); // keeps the carries
    float one = 0.75f;
    k.process(&one, 1);
    EXPECT_EQ(k.carryIn(), (IIRKernel::Carry{-0.25f, 0.75f}));
    EXPECT_EQ(k.carryOut(), (IIRKernel::Carry{y1, one}));
}

TEST(IIRKernel, CallsBeyondMaxFramesLeaveTheRestUnfiltered) {
    IIRKernel k(4, 44100.0);
    k.setLowPass(1000.0, 1.0);
    std::vector<float> x = {1, 2, 3, 4, 5, 6, 7};
    k.process(x.data(), 7);
    EXPECT_NE(x[3], 4.0f);
    EXPECT_EQ(x[4], 5.0f);
    EXPECT_EQ(x[5], 6.0f);
    EXPECT_EQ(x[6], 7.0f);
    EXPECT_EQ(k.carryIn(), (IIRKernel::Carry{3.0f, 4.0f}));
}

TEST(IIRKernel, ZeroQGivesNaNOnceThenRecoversFromFiniteCarries) {
    IIRKernel k(64, 44100.0);
    k.setLowPass(500.0, 0.0);
    std::vector<float> x = sine(300.0, 44100.0, 64);
    k.process(x.data(), 64);
    for (float v : x) {
        ASSERT_TRUE(std::isnan(v));
    }
    const std::vector<float> in = sine(300.0, 44100.0, 64);
    EXPECT_EQ(k.carryOut(), (IIRKernel::Carry{0.0f, 0.0f}));
    EXPECT_EQ(k.carryIn(), (IIRKernel::Carry{in[62], in[63]}));

    k.setLowPass(500.0, 3.0);
    std::vector<float> y = in;
    k.process(y.data(), 64);
    for (float v : y) {
        ASSERT_TRUE(std::isfinite(v));
    }

    // Non-finite input samples are carried as 0 too.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float spoiled[3] = {0.5f, nan, std::numeric_limits<float>::infinity()};
    k.process(spoiled, 3);
    EXPECT_EQ(k.carryIn(), (IIRKernel::Carry{0.0f, 0.0f}));
    EXPECT_EQ(k.carryOut(), (IIRKernel::Carry{0.0f, 0.0f}));

    // Clearing the carries keeps the coefficients.
    const IIRKernel::Coefficients before = k.coefficients();
    k.clearCarries();
    EXPECT_EQ(k.carryIn(), (IIRKernel::Carry{0.0f, 0.0f}));
    EXPECT_EQ(k.carryOut(), (IIRKernel::Carry{0.0f, 0.0f}));
    EXPECT_EQ(k.coefficients(), before);
}

} // namespace
} // namespace quorbel
