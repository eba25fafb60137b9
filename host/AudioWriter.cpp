#include "host/AudioWriter.h"

#include <stdexcept>

namespace auhost {

namespace {
constexpr std::int64_t kChunkFrames = 8192;
} // namespace

AudioWriter::AudioWriter(int fd, std::string path, int format, int channels, int sampleRate,
                         const std::vector<int>& channelMap)
    : path_(std::move(path)), channels_(channels) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    file_.reset(sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE));
    if (!file_) {
        throw std::runtime_error("cannot write '" + path_ + "': " + sf_strerror(nullptr));
    }
    sf_command(file_.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if (!channelMap.empty()) {
        std::vector<int> map = channelMap;
        sf_command(file_.get(), SFC_SET_CHANNEL_MAP_INFO, map.data(),
                   static_cast<int>(map.size() * sizeof(int)));
    }
    interleaved_.resize(static_cast<std::size_t>(kChunkFrames * channels));
}

void AudioWriter::write(const float* const* channels, std::int64_t frames) {
    const auto n = static_cast<std::size_t>(channels_);
    for (std::int64_t start = 0; start < frames; start += kChunkFrames) {
        const std::int64_t count = std::min(kChunkFrames, frames - start);
        for (std::int64_t i = 0; i < count; ++i) {
            for (std::size_t ch = 0; ch < n; ++ch) {
                interleaved_[static_cast<std::size_t>(i) * n + ch] = channels[ch][start + i];
            }
        }
        if (sf_writef_float(file_.get(), interleaved_.data(), count) != count) {
            throw std::runtime_error("cannot write '" + path_ + "': " + sf_strerror(file_.get()));
        }
    }
}

void AudioWriter::close() {
    // sf_close writes the final header; its status is the last word on whether the file is whole.
    const int status = sf_close(file_.release());
    if (status != 0) {
        throw std::runtime_error("cannot write '" + path_ + "': " + sf_error_number(status));
    }
}

} // namespace auhost
