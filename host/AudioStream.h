#pragma once
/// Audio as the offline host moves it: sources it reads in blocks, sinks it writes in blocks, and audio
/// held in memory (the demo signal).

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace auhost {

/// Audio held as one float array per channel.
struct AudioData {
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels;

    std::int64_t frames() const {
        return channels.empty() ? 0 : static_cast<std::int64_t>(channels[0].size());
    }
};

/// Where a render reads its input from, block by block.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    virtual double sampleRate() const = 0;
    /// The number of frames the source says it holds, when it knows.
    virtual std::optional<std::int64_t> expectedFrames() const = 0;
    /// Reads up to `frames` frames into `channels()` arrays; returns how many were read, fewer only at the
    /// end.
    virtual std::int64_t read(float* const* channels, std::int64_t frames) = 0;
};

/// Where a render writes its output to, block by block.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    /// Writes `frames` frames from one array per channel. Throws std::runtime_error on failure.
    virtual void write(const float* const* channels, std::int64_t frames) = 0;
};

/// A source over audio held in memory.
class MemorySource final : public AudioSource {
public:
    explicit MemorySource(const AudioData& audio) : audio_(audio) {}
    int channels() const override { return static_cast<int>(audio_.channels.size()); }
    double sampleRate() const override { return audio_.sampleRate; }
    std::optional<std::int64_t> expectedFrames() const override { return audio_.frames(); }
    std::int64_t read(float* const* channels, std::int64_t frames) override {
        const std::int64_t n = std::clamp<std::int64_t>(audio_.frames() - position_, 0, frames);
        for (std::size_t ch = 0; ch < audio_.channels.size(); ++ch) {
            const auto begin = audio_.channels[ch].begin() + position_;
            std::copy(begin, begin + n, channels[ch]);
        }
        position_ += n;
        return n;
    }

private:
    const AudioData& audio_;
    std::int64_t position_ = 0;
};

} // namespace auhost
