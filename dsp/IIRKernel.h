#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace quorbel {

/// One channel's biquad filter (RBJ audio-EQ cookbook low-pass, band-pass and high-pass), coefficients
/// computed in 64-bit and stored in 32-bit, filtering with the platform's difference equation. The last two
/// inputs and outputs carry from call to call, so consecutive calls filter as one signal.
class IIRKernel final {
public:
    /// Two samples, older first.
    using Carry = std::array<float, 2>;
    /// b0, b1, b2, a1, a2, all divided by a0.
    using Coefficients = std::array<float, 5>;

    /// A filter for calls of up to `maxFramesPerCall` samples at `sampleRate` Hz; zero coefficients (it
    /// outputs silence until a setter runs) and zero carries. Allocates.
    IIRKernel(std::int64_t maxFramesPerCall, double sampleRate);

    /// Low-pass at `frequency` Hz (clamped to 0.45 × the sample rate) with quality `q`. Real-time safe.
    void setLowPass(double frequency, double q) noexcept;
    /// High-pass, as setLowPass. Real-time safe.
    void setHighPass(double frequency, double q) noexcept;
    /// Band-pass with constant skirt gain (peak gain `q`), as setLowPass. Real-time safe.
    void setBandPass(double frequency, double q) noexcept;

    /// Filters the first min(maxFrames − 2, frameCount) samples of `buffer` in place; later samples are left
    /// as they are. Non-finite carried values become 0. Real-time safe.
    void process(float* buffer, std::int64_t frameCount) noexcept;

    /// Sets both carries to (0, 0); the coefficients stay. Real-time safe.
    void clearCarries() noexcept;

    const Coefficients& coefficients() const noexcept { return coefficients_; }
    const Carry& carryIn() const noexcept { return carryIn_; }
    const Carry& carryOut() const noexcept { return carryOut_; }
    /// The largest call served, plus 2 (the length of the work arrays).
    std::int64_t maxFrames() const noexcept { return maxFrames_; }
    double sampleRate() const noexcept { return sampleRate_; }

private:
    enum class Shape { lowPass, highPass, bandPass };
    void setCoefficients(Shape shape, double frequency, double q) noexcept;

    Coefficients coefficients_{};
    Carry carryIn_{};
    Carry carryOut_{};
    std::vector<float> inBuf_;
    std::vector<float> outBuf_;
    std::int64_t maxFrames_;
    double sampleRate_;
};

} // namespace quorbel
