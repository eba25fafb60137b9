#include "support/MathConstants.h"
#include "support/Noise.h"
#include "vdsp/vDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace platform {
namespace {

using quorbel::test::noise;

using support::kTwoPi;

struct SetupDeleter {
    void operator()(vDSP_DFT_Setup s) const { vDSP_DFT_DestroySetup(s); }
};
using Setup = std::unique_ptr<vDSP_DFT_SetupStruct, SetupDeleter>;

// One packed real transform pair of N points with its split buffers.
struct Transform {
    explicit Transform(std::size_t points)
        : n(points), forward(vDSP_DFT_zrop_CreateSetup(nullptr, points, vDSP_DFT_FORWARD)),
          inverse(vDSP_DFT_zrop_CreateSetup(forward.get(), points, vDSP_DFT_INVERSE)), re(points / 2),
          im(points / 2) {}

    // Splits x into even/odd samples and runs the forward transform; the result stays in re/im.
    void runForward(const std::vector<float>& x) {
        for (std::size_t m = 0; m < n / 2; ++m) {
            re[m] = x[2 * m];
            im[m] = x[2 * m + 1];
        }
        vDSP_DFT_Execute(forward.get(), re.data(), im.data(), re.data(), im.data());
    }
    // Runs the inverse transform of re/im and returns the samples in natural order.
    std::vector<float> runInverse() {
        std::vector<float> outRe(n / 2), outIm(n / 2), y(n);
        vDSP_DFT_Execute(inverse.get(), re.data(), im.data(), outRe.data(), outIm.data());
        for (std::size_t m = 0; m < n / 2; ++m) {
            y[2 * m] = outRe[m];
            y[2 * m + 1] = outIm[m];
        }
        return y;
    }

    std::size_t n;
    Setup forward;
    Setup inverse;
    std::vector<float> re;
    std::vector<float> im;
};

std::complex<double> plainDft(const std::vector<float>& x, std::size_t k) {
    std::complex<double> sum = 0.0;
    const double n = static_cast<double>(x.size());
    for (std::size_t t = 0; t < x.size(); ++t) {
        const double angle = -kTwoPi * static_cast<double>((t * k) % x.size()) / n;
        sum += static_cast<double>(x[t]) * std::polar(1.0, angle);
    }
    return sum;
}

TEST(vDSPDFT, CreateSetupRejectsUnsupportedLengthsAndDirections) {
    EXPECT_EQ(vDSP_DFT_zrop_CreateSetup(nullptr, 1000, vDSP_DFT_FORWARD), nullptr);
    EXPECT_EQ(vDSP_DFT_zrop_CreateSetup(nullptr, 8, vDSP_DFT_FORWARD), nullptr);
    EXPECT_EQ(vDSP_DFT_zrop_CreateSetup(nullptr, 0, vDSP_DFT_INVERSE), nullptr);
    EXPECT_EQ(vDSP_DFT_zrop_CreateSetup(nullptr, 1024, static_cast<vDSP_DFT_Direction>(0)), nullptr);
    vDSP_DFT_DestroySetup(nullptr); // ignored
}

// Forward: packed spectrum at twice the plain DFT, DC in re[0] and Nyquist in im[0]. Checked against a
// double-precision DFT; float transforms of N points err by about 1e-7 × log2(N) × the spectrum's size
// (√N for unit noise), so 2e-5 × √N bounds every bin with a wide margin.
TEST(vDSPDFT, ForwardIsTwiceThePlainDftPacked) {
    for (std::size_t n : {16u, 256u, 8192u, 16384u}) {
        SCOPED_TRACE(n);
        Transform t(n);
        ASSERT_TRUE(t.forward && t.inverse);
        const auto x = noise(n, static_cast<unsigned>(n), 1.0f);
        t.runForward(x);
        const double tolerance = 2e-5 * std::sqrt(static_cast<double>(n));
        EXPECT_NEAR(t.re[0], 2.0 * plainDft(x, 0).real(), tolerance);
        EXPECT_NEAR(t.im[0], 2.0 * plainDft(x, n / 2).real(), tolerance);
        for (std::size_t k : {std::size_t{1}, std::size_t{2}, std::size_t{5}, n / 4, n / 2 - 3, n / 2 - 1}) {
            const auto expected = 2.0 * plainDft(x, k);
            EXPECT_NEAR(t.re[k], expected.real(), tolerance) << "bin " << k;
            EXPECT_NEAR(t.im[k], expected.imag(), tolerance) << "bin " << k;
        }
    }
}

// Known spectra, exact up to rounding: an impulse, a constant, the alternating sequence.
TEST(vDSPDFT, ForwardOfKnownSignals) {
    const std::size_t n = 8192;
    Transform t(n);
    std::vector<float> x(n, 0.0f);
    x[0] = 1.0f; // flat spectrum: X[k] = 1
    t.runForward(x);
    for (std::size_t k = 0; k < n / 2; ++k) {
        ASSERT_FLOAT_EQ(t.re[k], 2.0f) << k;
        ASSERT_NEAR(t.im[k], k == 0 ? 2.0f : 0.0f, 1e-6f) << k;
    }
    std::fill(x.begin(), x.end(), 0.5f); // DC only: 2 × 0.5 × N
    t.runForward(x);
    EXPECT_FLOAT_EQ(t.re[0], 8192.0f);
    EXPECT_NEAR(t.im[0], 0.0f, 1e-3f);
    for (std::size_t k = 0; k < n; ++k) {
        x[k] = k % 2 == 0 ? 1.0f : -1.0f; // Nyquist only
    }
    t.runForward(x);
    EXPECT_NEAR(t.re[0], 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(t.im[0], 2.0f * 8192.0f);
}

// Inverse: H[k] and its conjugate at N − k, no 1/N, so one bin H[k] = a + ib gives
// y[n] = 2 (a cos(2πnk/N) − b sin(2πnk/N)); DC gives H[0], Nyquist H[N/2] (−1)^n.
TEST(vDSPDFT, InverseReadsThePackedLayoutWithoutScaling) {
    const std::size_t n = 16384;
    Transform t(n);
    struct Case {
        std::size_t bin;
        float a, b; // re[bin], im[bin]; bin 0 puts a at DC and b at Nyquist
    };
    for (const Case c :
         {Case{0, 3.0f, 0.0f}, Case{0, 0.0f, -2.0f}, Case{7, 1.5f, -0.5f}, Case{8191, 0.25f, 1.0f}}) {
        SCOPED_TRACE(c.bin);
        std::fill(t.re.begin(), t.re.end(), 0.0f);
        std::fill(t.im.begin(), t.im.end(), 0.0f);
        t.re[c.bin] = c.a;
        t.im[c.bin] = c.b;
        const auto y = t.runInverse();
        for (std::size_t s = 0; s < n; s += 37) {
            double expected;
            if (c.bin == 0) {
                expected = c.a + (s % 2 == 0 ? c.b : -c.b);
            } else {
                const double angle = kTwoPi * static_cast<double>((s * c.bin) % n) / static_cast<double>(n);
                expected = 2.0 * (c.a * std::cos(angle) - c.b * std::sin(angle));
            }
            ASSERT_NEAR(y[s], expected, 1e-5) << "sample " << s;
        }
    }
}

// Forward then inverse multiplies by 2N.
TEST(vDSPDFT, RoundTripScalesByTwiceTheLength) {
    for (std::size_t n : {64u, 8192u, 16384u}) {
        SCOPED_TRACE(n);
        Transform t(n);
        const auto x = noise(n, 7, 1.0f);
        t.runForward(x);
        const auto y = t.runInverse();
        const float scale = 2.0f * static_cast<float>(n);
        for (std::size_t s = 0; s < n; ++s) {
            ASSERT_NEAR(y[s] / scale, x[s], 2e-6f) << s;
        }
    }
}

} // namespace
} // namespace platform
