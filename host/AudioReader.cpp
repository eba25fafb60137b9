#include "host/AudioReader.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace auhost {

namespace {

constexpr std::int64_t kChunkFrames = 8192;

/// Whether libsndfile's notes on opening the file say that it ends before its header says it does: a
/// chunk whose length goes past the end of the file, or the library's own words for a cut-off stream.
bool logSaysTruncated(const std::string& log) {
    for (const char* words : {"truncated", "ended unexpectedly", "> file length"}) {
        if (log.find(words) != std::string::npos) {
            return true;
        }
    }
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        // "data : 3528000 (should be 1763956)": the header's length, then what the file holds.
        const auto colon = line.find(':');
        const auto should = line.find("(should be ");
        if (colon == std::string::npos || should == std::string::npos) {
            continue;
        }
        std::istringstream label(line.substr(0, colon));
        std::string name;
        label >> name;
        if (name != "RIFF" && name != "riff" && name != "FORM" && name != "data" && name != "SSND") {
            continue;
        }
        long long announced = 0;
        long long held = 0;
        std::istringstream first(line.substr(colon + 1));
        std::istringstream second(line.substr(should + 11));
        if ((first >> announced) && (second >> held) && announced > held) {
            return true;
        }
    }
    return false;
}

/// Why the last sf_open failed. The library words a failed system call "System error : REASON."; the
/// reason alone is what auhost's messages give ("No such file or directory").
std::string openError() {
    std::string why = sf_strerror(nullptr);
    const std::string system = "System error : ";
    if (sf_error(nullptr) == SF_ERR_SYSTEM && why.rfind(system, 0) == 0 && why.size() > system.size() + 1 &&
        why.back() == '.') {
        why = why.substr(system.size(), why.size() - system.size() - 1);
    }
    return why;
}

} // namespace

AudioReader::AudioReader(std::string path) : path_(std::move(path)) {
    file_.reset(sf_open(path_.c_str(), SFM_READ, &info_));
    if (!file_) {
        throw std::runtime_error("cannot read '" + path_ + "': " + openError());
    }
    if (info_.channels < 1 || info_.samplerate < 1) {
        throw std::runtime_error("cannot read '" + path_ + "': it has no usable channels or sample rate");
    }
    std::vector<int> map(static_cast<std::size_t>(info_.channels));
    if (sf_command(file_.get(), SFC_GET_CHANNEL_MAP_INFO, map.data(),
                   static_cast<int>(map.size() * sizeof(int))) == SF_TRUE) {
        channelMap_ = std::move(map);
    }
    interleaved_.resize(static_cast<std::size_t>(kChunkFrames * info_.channels));
}

std::optional<std::int64_t> AudioReader::expectedFrames() const {
    // libsndfile gives the largest count when the file does not say (a stream without an end mark).
    if (info_.frames < 0 || info_.frames == SF_COUNT_MAX) {
        return std::nullopt;
    }
    return info_.frames;
}

std::int64_t AudioReader::read(float* const* channels, std::int64_t frames) {
    const auto n = static_cast<std::size_t>(info_.channels);
    std::int64_t done = 0;
    while (done < frames && readError_.empty()) {
        const sf_count_t want = std::min<sf_count_t>(kChunkFrames, frames - done);
        const sf_count_t got = sf_readf_float(file_.get(), interleaved_.data(), want);
        for (sf_count_t i = 0; i < got; ++i) {
            for (std::size_t ch = 0; ch < n; ++ch) {
                const float x = interleaved_[static_cast<std::size_t>(i) * n + ch];
                nonFinite_ += std::isfinite(x) ? 0 : 1;
                channels[ch][done + i] = x;
            }
        }
        done += got;
        if (got < want) {
            if (sf_error(file_.get()) != SF_ERR_NO_ERROR) {
                readError_ = sf_strerror(file_.get());
            }
            break;
        }
    }
    framesRead_ += done;
    return done;
}

std::string AudioReader::truncation() const {
    if (!readError_.empty()) {
        return "reading stopped at frame " + std::to_string(framesRead_) + ": " + readError_;
    }
    if (const auto expected = expectedFrames(); expected && framesRead_ < *expected) {
        return "it holds " + std::to_string(framesRead_) + " of the " + std::to_string(*expected) +
               " frames its header announces";
    }
    std::string log(16384, '\0');
    sf_command(file_.get(), SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(std::strlen(log.c_str()));
    if (logSaysTruncated(log)) {
        return "its header announces more data than the file holds";
    }
    return {};
}

} // namespace auhost
