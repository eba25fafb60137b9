#include "vdsp/vDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace platform {
namespace {

// The spectral kernel's soft-saturation curve, read with q = x + 5.
const std::vector<float> kSquash{-0.99f, -0.95f, -0.88f, -0.8f, -0.7f, 0.0f, 0.7f, 0.8f, 0.88f, 0.95f, 0.99f};

TEST(vDSPVector, TableLookupInterpolatesAndClamps) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float x, expected;
    };
    const Case cases[] = {{0.5f, 0.35f},  {1.0f, 0.7f},    {2.5f, 0.84f},      {-3.0f, -0.88f}, {7.0f, 0.99f},
                          {5.0f, 0.99f},  {-5.0f, -0.99f}, {-5.5f, -0.99f},    {1e30f, 0.99f},  {inf, 0.99f},
                          {-inf, -0.99f}, {0.0f, 0.0f},    {4.9999995f, 0.99f}};
    const float scale = 1.0f, offset = 5.0f;
    for (const Case& c : cases) {
        float out = 0.0f;
        vDSP_vtabi(&c.x, 1, &scale, &offset, kSquash.data(), kSquash.size(), &out, 1, 1);
        EXPECT_NEAR(out, c.expected, 1e-6f) << "x = " << c.x;
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float out = 0.0f;
    vDSP_vtabi(&nan, 1, &scale, &offset, kSquash.data(), kSquash.size(), &out, 1, 1);
    EXPECT_TRUE(std::isnan(out)); // no index is formed from a NaN
}

TEST(vDSPVector, StridedScalarMultiplyAddTouchesOnlyItsElements) {
    // The bleed's pattern: every 32nd element of a source added, scaled, into every 32nd of a target.
    std::vector<float> m(128);
    for (std::size_t k = 0; k < m.size(); ++k) {
        m[k] = static_cast<float>(k);
    }
    const float b = 0.5f;
    vDSP_vsma(m.data() + 1, 32, &b, m.data() + 17, 32, m.data() + 17, 32, 4);
    for (std::size_t k = 0; k < m.size(); ++k) {
        const float expected =
            k % 32 == 17 ? static_cast<float>(k) + 0.5f * static_cast<float>(k - 16) : static_cast<float>(k);
        EXPECT_EQ(m[k], expected) << k;
    }
}

TEST(vDSPVector, MultiplyAddAndMagnitudes) {
    const std::vector<float> a{1.0f, -2.0f, 3.0f, 0.5f, 7.0f};
    const std::vector<float> b{2.0f, 4.0f, -1.0f, 8.0f, 0.25f};
    std::vector<float> c(5);
    const float s = 3.0f;
    vDSP_vsma(a.data(), 1, &s, b.data(), 1, c.data(), 1, 5);
    EXPECT_EQ(c, (std::vector<float>{5.0f, -2.0f, 8.0f, 9.5f, 21.25f}));
    const DSPSplitComplex z{const_cast<float*>(a.data()), const_cast<float*>(b.data())};
    vDSP_zvabs(&z, 1, c.data(), 1, 5);
    EXPECT_EQ(c[0], std::sqrt(5.0f));
    EXPECT_EQ(c[1], std::sqrt(20.0f));
}

TEST(vDSPVector, SplitAndInterleaveAreInverse) {
    std::vector<float> pairs{1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<float> re(4), im(4);
    DSPSplitComplex z{re.data(), im.data()};
    vDSP_ctoz(reinterpret_cast<const DSPComplex*>(pairs.data()), 2, &z, 1, 4);
    EXPECT_EQ(re, (std::vector<float>{1, 3, 5, 7}));
    EXPECT_EQ(im, (std::vector<float>{2, 4, 6, 8}));
    std::vector<float> back(8, 0.0f);
    vDSP_ztoc(&z, 1, reinterpret_cast<DSPComplex*>(back.data()), 2, 4);
    EXPECT_EQ(back, pairs);
    std::vector<float> wide(16, 0.0f); // interleaved stride 4: every other pair
    vDSP_ztoc(&z, 1, reinterpret_cast<DSPComplex*>(wide.data()), 4, 4);
    EXPECT_EQ(wide, (std::vector<float>{1, 2, 0, 0, 3, 4, 0, 0, 5, 6, 0, 0, 7, 8, 0, 0}));
}

TEST(vDSPVector, WindowsAreFullLengthAndUnnormalised) {
    const std::size_t n = 8192;
    std::vector<float> hann(n);
    vDSP_hann_window(hann.data(), n, 0);
    EXPECT_EQ(hann[0], 0.0f);
    EXPECT_FLOAT_EQ(hann[n / 2], 1.0f);
    for (std::size_t k = 0; k < n / 2; ++k) {
        ASSERT_NEAR(hann[k] + hann[k + n / 2], 1.0f, 1e-6f) << k; // copies N/2 apart sum to 1
    }
    const std::size_t m = 3686;
    std::vector<float> blackman(m);
    vDSP_blkman_window(blackman.data(), m, 0);
    EXPECT_NEAR(blackman[0], 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(blackman[m / 2], 1.0f);
}

} // namespace
} // namespace platform
