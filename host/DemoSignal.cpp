#include "host/DemoSignal.h"

#include "support/MathConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace auhost {

AudioData makeDemoSignal(double seconds, double sampleRate) {
    using platform::support::kTwoPi;
    const auto frames = static_cast<std::size_t>(std::max(0.0, seconds) * sampleRate);
    AudioData audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign(2, std::vector<float>(frames, 0.0f));

    // Chords change every 1.5 s: A minor, F major, C major, G major (root, third, fifth in Hz).
    const double chords[4][3] = {
        {220.0, 261.63, 329.63}, {174.61, 220.0, 261.63}, {261.63, 329.63, 392.0}, {196.0, 246.94, 293.66}};
    const double melody[8] = {659.26, 587.33, 523.25, 493.88, 523.25, 587.33, 659.26, 783.99};
    std::uint32_t noiseState = 0x9e3779b9u;
    double lowpassL = 0.0;
    double lowpassR = 0.0;

    for (std::size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / sampleRate;
        const auto chord = static_cast<std::size_t>(t / 1.5) % 4;
        double pad = 0.0;
        for (double f : chords[chord]) {
            pad += std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * 2.0 * f * t);
        }
        pad *= 0.08;

        const double noteLength = 0.375;
        const auto note = static_cast<std::size_t>(t / noteLength) % 8;
        const double sinceNote = std::fmod(t, noteLength);
        const double pluck = 0.25 * std::exp(-6.0 * sinceNote) * std::sin(kTwoPi * melody[note] * t);

        // White noise through a one-pole low-pass, gated into short bursts on the off-beats.
        noiseState = noiseState * 1664525u + 1013904223u;
        const double white = static_cast<double>(noiseState >> 8) / 8388608.0 - 1.0;
        noiseState = noiseState * 1664525u + 1013904223u;
        const double white2 = static_cast<double>(noiseState >> 8) / 8388608.0 - 1.0;
        lowpassL += 0.3 * (white - lowpassL);
        lowpassR += 0.3 * (white2 - lowpassR);
        const double sinceBurst = std::fmod(t + 0.1875, 0.75);
        const double burst = 0.35 * std::exp(-14.0 * sinceBurst);

        const double fade = std::min({1.0, t / 0.05, (seconds - t) / 0.05});
        audio.channels[0][n] = static_cast<float>(fade * (pad + pluck + burst * lowpassL));
        audio.channels[1][n] = static_cast<float>(fade * (pad + 0.8 * pluck + burst * lowpassR));
    }
    return audio;
}

} // namespace auhost
