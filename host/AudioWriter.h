#pragma once
#include "host/AudioStream.h"
#include "host/SndfileHandle.h"

#include <string>
#include <vector>

namespace auhost {

/// An audio file written block by block, in constant memory, to an open descriptor (an OutputFile's).
class AudioWriter final : public AudioSink {
public:
    /// Starts a file of `format` (a libsndfile format word) on `fd`, which stays open. Integer sample
    /// formats clip instead of wrapping around. `channelMap` (SF_CHANNEL_MAP_ values, may be empty) is
    /// stored when the format can hold it. Throws std::runtime_error ("cannot write 'PATH': ...").
    AudioWriter(int fd, std::string path, int format, int channels, int sampleRate,
                const std::vector<int>& channelMap);

    void write(const float* const* channels, std::int64_t frames) override;
    /// Finishes the file (its header). Throws std::runtime_error on failure.
    void close();

private:
    std::string path_;
    int channels_;
    SndfileHandle file_;
    std::vector<float> interleaved_;
};

} // namespace auhost
