#include "vdsp/vDSP.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

TEST(vDSP_deq22, EachCoefficientActsOnItsOwnTap) {
    // Feed-forward only: an impulse reproduces b0, b1, b2 in order.
    const float ff[5] = {1.0f, 2.0f, 3.0f, 0.0f, 0.0f};
    const std::vector<float> impulse = {0, 0, 1, 0, 0, 0};
    std::vector<float> out(6, 0.0f);
    vDSP_deq22(impulse.data(), 1, ff, out.data(), 1, 4);
    EXPECT_EQ(out, (std::vector<float>{0, 0, 1, 2, 3, 0}));

    // Feedback only, from the two seeded outputs: y[k] = y[k-1] + y[k-2] (a1 = a2 = -1) gives Fibonacci.
    const float fb[5] = {0.0f, 0.0f, 0.0f, -1.0f, -1.0f};
    const std::vector<float> silence(10, 0.0f);
    std::vector<float> fib(10, 0.0f);
    fib[0] = 1.0f;
    fib[1] = 1.0f;
    vDSP_deq22(silence.data(), 1, fb, fib.data(), 1, 8);
    EXPECT_EQ(fib, (std::vector<float>{1, 1, 2, 3, 5, 8, 13, 21, 34, 55}));
}

TEST(vDSP_deq22, ReadsTwoCarriedSamplesAndHonoursStrides) {
    // y[k] = x[k] + x[k-2] - 0.5 y[k-1] with every second input and every third output slot used.
    const float coeffs[5] = {1.0f, 0.0f, 1.0f, 0.5f, 0.0f};
    const std::vector<float> x = {4, -1, 2, -1, 1, -1, 0, -1, 0, -1}; // x = 4, 2, 1, 0, 0 at stride 2
    std::vector<float> y(15, -7.0f);
    y[0] = 8.0f;
    y[3] = 2.0f;
    vDSP_deq22(x.data(), 2, coeffs, y.data(), 3, 3);
    // y2 = 1 + 4 - 1 = 4; y3 = 0 + 2 - 2 = 0; y4 = 0 + 1 - 0 = 1.
    EXPECT_EQ(y[6], 4.0f);
    EXPECT_EQ(y[9], 0.0f);
    EXPECT_EQ(y[12], 1.0f);
    EXPECT_EQ(y[0], 8.0f);
    EXPECT_EQ(y[1], -7.0f);
    EXPECT_EQ(y[13], -7.0f);
}

TEST(vDSP_deq22, ZeroCountWritesNothing) {
    const float coeffs[5] = {1, 1, 1, 1, 1};
    const float x[2] = {1, 1};
    float y[3] = {5, 6, 9};
    vDSP_deq22(x, 1, coeffs, y, 1, 0);
    EXPECT_EQ(y[0], 5.0f);
    EXPECT_EQ(y[1], 6.0f);
    EXPECT_EQ(y[2], 9.0f);
}

} // namespace
} // namespace platform
