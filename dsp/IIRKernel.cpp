#include "dsp/IIRKernel.h"

#include "support/MathConstants.h"
#include "vdsp/vDSP.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorbel {

namespace {
float finiteOrZero(float x) noexcept {
    return std::isfinite(x) ? x : 0.0f;
}
} // namespace

IIRKernel::IIRKernel(std::int64_t maxFramesPerCall, double sampleRate)
    : inBuf_(static_cast<std::size_t>(maxFramesPerCall + 2), 0.0f),
      outBuf_(static_cast<std::size_t>(maxFramesPerCall + 2), 0.0f), maxFrames_(maxFramesPerCall + 2),
      sampleRate_(sampleRate) {}

void IIRKernel::setLowPass(double frequency, double q) noexcept {
    setCoefficients(Shape::lowPass, frequency, q);
}

void IIRKernel::setHighPass(double frequency, double q) noexcept {
    setCoefficients(Shape::highPass, frequency, q);
}

void IIRKernel::setBandPass(double frequency, double q) noexcept {
    setCoefficients(Shape::bandPass, frequency, q);
}

void IIRKernel::setCoefficients(Shape shape, double frequency, double q) noexcept {
    // Only the top is clamped (0.45 × the rate keeps the corner below Nyquist); NaN passes through.
    const double limit = 0.45 * sampleRate_;
    const double f = limit < frequency ? limit : frequency;
    const double w0 = f * platform::support::kTwoPi / sampleRate_;
    const double s = std::sin(w0);
    const double c = std::cos(w0);
    const double alpha = s / (q + q);
    const double a0 = alpha + 1.0;

    float b0 = 0.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
    switch (shape) {
    case Shape::lowPass:
        b0 = static_cast<float>((1.0 - c) * 0.5 / a0);
        b1 = static_cast<float>((1.0 - c) / a0);
        b2 = b0;
        break;
    case Shape::highPass:
        b0 = static_cast<float>((c + 1.0) * 0.5 / a0);
        b1 = static_cast<float>(-(c + 1.0) / a0);
        b2 = b0;
        break;
    case Shape::bandPass:
        b0 = static_cast<float>(alpha * q / a0);
        b1 = 0.0f;
        b2 = static_cast<float>(-(q * alpha) / a0);
        break;
    }
    coefficients_ = {b0, b1, b2, static_cast<float>((c * -2.0) / a0), static_cast<float>((1.0 - alpha) / a0)};
}

void IIRKernel::process(float* buffer, std::int64_t frameCount) noexcept {
    const std::int64_t k = std::min(maxFrames_ - 2, frameCount);
    if (k <= 0) {
        return;
    }
    const auto bytes = static_cast<std::size_t>(k) * sizeof(float);
    inBuf_[0] = carryIn_[0];
    inBuf_[1] = carryIn_[1];
    std::memcpy(inBuf_.data() + 2, buffer, bytes);
    outBuf_[0] = carryOut_[0];
    outBuf_[1] = carryOut_[1];
    platform::vDSP_deq22(inBuf_.data(), 1, coefficients_.data(), outBuf_.data(), 1,
                         static_cast<platform::vDSP_Length>(k));
    const auto last = static_cast<std::size_t>(k);
    carryIn_ = {finiteOrZero(inBuf_[last]), finiteOrZero(inBuf_[last + 1])};
    carryOut_ = {finiteOrZero(outBuf_[last]), finiteOrZero(outBuf_[last + 1])};
    std::memcpy(buffer, outBuf_.data() + 2, bytes);
}

void IIRKernel::clearCarries() noexcept {
    carryIn_ = {0.0f, 0.0f};
    carryOut_ = {0.0f, 0.0f};
}

} // namespace quorbel
