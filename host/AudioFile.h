#pragma once
/// Audio files for the offline host: whole files read into and written from per-channel float arrays.

#include <cstdint>
#include <string>
#include <vector>

namespace auhost {

/// Audio held as one float array per channel, with the file format it came in (or will go out in).
struct AudioData {
    double sampleRate = 44100.0;
    int format = 0; ///< libsndfile format word (container | sample format); 0 when generated
    std::vector<std::vector<float>> channels;

    std::int64_t frames() const { return channels.empty() ? 0 : static_cast<std::int64_t>(channels[0].size()); }
};

/// Reads a whole audio file (WAV, FLAC, AIFF, … as libsndfile knows them). Throws std::runtime_error
/// with a readable message on failure.
AudioData readAudioFile(const std::string& path);

/// Writes `audio` to `path` in `audio.format` (or 32-bit float WAV when it is 0), through a temporary file
/// beside `path` that is renamed over it only once everything was written: a failure never leaves a
/// partial or clobbered file. Throws std::runtime_error on failure.
void writeAudioFile(const std::string& path, const AudioData& audio);

/// Throws std::runtime_error when a file cannot be created at `path` (missing or read-only folder, or
/// `path` is a folder), so that a long render does not end in a failed write.
void checkWritable(const std::string& path);

/// True when the libsndfile format holds floating-point samples.
bool isFloatFormat(int format);

} // namespace auhost
