#pragma once
#include "host/AudioStream.h"
#include "host/SndfileHandle.h"

#include <string>
#include <vector>

namespace auhost {

/// An audio file (any format libsndfile reads) read block by block, in constant memory. Counts the
/// samples that are not finite, and tells after the last block whether the file ended before its
/// header said it would.
class AudioReader final : public AudioSource {
public:
    /// Opens `path`. Throws std::runtime_error ("cannot read 'PATH': ...") when it cannot.
    explicit AudioReader(std::string path);

    int channels() const override { return info_.channels; }
    double sampleRate() const override { return info_.samplerate; }
    std::optional<std::int64_t> expectedFrames() const override;
    /// Reads the next frames; a read error ends the input (see `truncation()`).
    std::int64_t read(float* const* channels, std::int64_t frames) override;

    /// The libsndfile format word of the file.
    int format() const { return info_.format; }
    /// The speaker of each channel (libsndfile's SF_CHANNEL_MAP_ values), empty when the file names none.
    const std::vector<int>& channelMap() const { return channelMap_; }
    /// NaN and infinite samples read so far.
    std::int64_t nonFiniteSamples() const { return nonFinite_; }
    /// Frames read so far.
    std::int64_t framesRead() const { return framesRead_; }
    /// Once the input has ended: why it ended before its header's length (empty when it did not).
    std::string truncation() const;

private:
    std::string path_;
    SF_INFO info_{};
    SndfileHandle file_;
    std::vector<int> channelMap_;
    std::vector<float> interleaved_;
    std::int64_t framesRead_ = 0;
    std::int64_t nonFinite_ = 0;
    std::string readError_;
};

} // namespace auhost
