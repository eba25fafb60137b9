#pragma once
/// Stand-in for the platform's audio format object: sample type, layout, rate and channel count.

#include <cstdint>

namespace platform {

using AVAudioChannelCount = std::uint32_t;

/// Sample types a format can describe.
enum AVAudioCommonFormat : std::uint32_t {
    AVAudioPCMFormatFloat32 = 1,
    AVAudioPCMFormatFloat64 = 2,
    AVAudioPCMFormatInt16 = 3,
    AVAudioPCMFormatInt32 = 4,
};

/// An immutable audio format. The standard format is 32-bit float samples, one buffer per channel
/// (non-interleaved). Formats compare equal when all four fields are equal.
class AVAudioFormat {
public:
    /// The standard format at the given rate and channel count (initStandardFormatWithSampleRate:channels:).
    AVAudioFormat(double sampleRate, AVAudioChannelCount channels) noexcept
        : AVAudioFormat(AVAudioPCMFormatFloat32, sampleRate, channels, false) {}
    /// Any PCM format (initWithCommonFormat:sampleRate:channels:interleaved:); nothing is checked here.
    AVAudioFormat(AVAudioCommonFormat commonFormat, double sampleRate, AVAudioChannelCount channels,
                  bool interleaved) noexcept
        : commonFormat_(commonFormat), sampleRate_(sampleRate), channelCount_(channels),
          interleaved_(interleaved) {}

    /// Sample type, rate, channel count and layout.
    AVAudioCommonFormat commonFormat() const noexcept { return commonFormat_; }
    double sampleRate() const noexcept { return sampleRate_; }
    AVAudioChannelCount channelCount() const noexcept { return channelCount_; }
    bool isInterleaved() const noexcept { return interleaved_; }
    /// True for 32-bit float, non-interleaved.
    bool isStandard() const noexcept { return commonFormat_ == AVAudioPCMFormatFloat32 && !interleaved_; }

    /// Object equality (isEqual:). A NaN rate makes a format unequal to everything, itself included.
    bool operator==(const AVAudioFormat&) const = default;

private:
    AVAudioCommonFormat commonFormat_;
    double sampleRate_;
    AVAudioChannelCount channelCount_;
    bool interleaved_;
};

} // namespace platform
