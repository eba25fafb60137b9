#include "host/AudioFile.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace auhost {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr sf_count_t kChunkFrames = 8192;

} // namespace

bool isFloatFormat(int format) {
    const int sub = format & SF_FORMAT_SUBMASK;
    return sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE;
}

void checkWritable(const std::string& path) {
    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        throw std::runtime_error("cannot write '" + path + "': it is a folder");
    }
    if (!std::filesystem::is_directory(dir, ec)) {
        throw std::runtime_error("cannot write '" + path + "': no folder '" + dir.string() + "'");
    }
    if (access(dir.c_str(), W_OK) != 0) {
        throw std::runtime_error("cannot write '" + path + "': " + std::strerror(errno));
    }
}

AudioData readAudioFile(const std::string& path) {
    SF_INFO info{};
    SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        throw std::runtime_error("cannot read '" + path + "': " + sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.samplerate < 1) {
        throw std::runtime_error("'" + path + "' has no usable channels or sample rate");
    }
    AudioData audio;
    audio.sampleRate = info.samplerate;
    audio.format = info.format;
    const auto channels = static_cast<std::size_t>(info.channels);
    audio.channels.assign(channels, {});
    for (auto& ch : audio.channels) {
        ch.reserve(static_cast<std::size_t>(std::max<sf_count_t>(info.frames, 0)));
    }
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), kChunkFrames);
        if (got <= 0) {
            break;
        }
        for (sf_count_t i = 0; i < got; ++i) {
            for (std::size_t c = 0; c < channels; ++c) {
                audio.channels[c].push_back(chunk[static_cast<std::size_t>(i) * channels + c]);
            }
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        throw std::runtime_error("error reading '" + path + "': " + sf_strerror(file.get()));
    }
    return audio;
}

void writeAudioFile(const std::string& path, const AudioData& audio) {
    if (audio.channels.empty()) {
        throw std::runtime_error("nothing to write to '" + path + "'");
    }
    SF_INFO info{};
    info.channels = static_cast<int>(audio.channels.size());
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.format = audio.format != 0 ? audio.format : (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    if (!sf_format_check(&info)) {
        throw std::runtime_error("cannot write '" + path + "' in this format");
    }

    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        throw std::runtime_error("cannot write '" + path + "': " + std::strerror(errno));
    }
    const std::string tmp = tmpl;
    auto fail = [&](const std::string& why) {
        std::remove(tmp.c_str());
        throw std::runtime_error("cannot write '" + path + "': " + why);
    };
    {
        SndfilePtr file(sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE));
        if (!file) {
            fail(sf_strerror(nullptr));
        }
        // Integer formats clip instead of wrapping around.
        sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        const auto channels = audio.channels.size();
        const auto frames = audio.frames();
        std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
        for (std::int64_t start = 0; start < frames; start += kChunkFrames) {
            const std::int64_t n = std::min<std::int64_t>(kChunkFrames, frames - start);
            for (std::int64_t i = 0; i < n; ++i) {
                for (std::size_t c = 0; c < channels; ++c) {
                    chunk[static_cast<std::size_t>(i) * channels + c] =
                        audio.channels[c][static_cast<std::size_t>(start + i)];
                }
            }
            if (sf_writef_float(file.get(), chunk.data(), n) != n) {
                const std::string why = sf_strerror(file.get());
                file.reset();
                fail(why);
            }
        }
        sf_write_sync(file.get());
    }
    std::error_code ec;
    std::filesystem::permissions(tmp,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                 ec);
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        fail(std::strerror(errno));
    }
}

} // namespace auhost
