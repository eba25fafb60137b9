#include "host/OutputFormat.h"

#include "support/NumberText.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace auhost {

namespace {

struct Container {
    const char* extension;
    int major;
    int usual; ///< sample format when the input's does not fit
};

// Every container libsndfile writes, under its usual extensions; the common ones first.
constexpr Container kContainers[] = {
    {"wav", SF_FORMAT_WAV, SF_FORMAT_PCM_24},          {"flac", SF_FORMAT_FLAC, SF_FORMAT_PCM_24},
    {"aiff", SF_FORMAT_AIFF, SF_FORMAT_PCM_24},        {"aif", SF_FORMAT_AIFF, SF_FORMAT_PCM_24},
    {"caf", SF_FORMAT_CAF, SF_FORMAT_PCM_24},          {"w64", SF_FORMAT_W64, SF_FORMAT_PCM_24},
    {"rf64", SF_FORMAT_RF64, SF_FORMAT_PCM_24},        {"ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS},
    {"oga", SF_FORMAT_OGG, SF_FORMAT_VORBIS},          {"opus", SF_FORMAT_OGG, SF_FORMAT_OPUS},
    {"mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III}, {"au", SF_FORMAT_AU, SF_FORMAT_PCM_24},
    {"snd", SF_FORMAT_AU, SF_FORMAT_PCM_24},           {"avr", SF_FORMAT_AVR, SF_FORMAT_PCM_16},
    {"htk", SF_FORMAT_HTK, SF_FORMAT_PCM_16},          {"iff", SF_FORMAT_SVX, SF_FORMAT_PCM_16},
    {"svx", SF_FORMAT_SVX, SF_FORMAT_PCM_16},          {"mat", SF_FORMAT_MAT5, SF_FORMAT_FLOAT},
    {"mpc", SF_FORMAT_MPC2K, SF_FORMAT_PCM_16},        {"nist", SF_FORMAT_NIST, SF_FORMAT_PCM_24},
    {"paf", SF_FORMAT_PAF, SF_FORMAT_PCM_24},          {"pvf", SF_FORMAT_PVF, SF_FORMAT_PCM_16},
    {"raw", SF_FORMAT_RAW, SF_FORMAT_FLOAT},           {"sd2", SF_FORMAT_SD2, SF_FORMAT_PCM_24},
    {"sds", SF_FORMAT_SDS, SF_FORMAT_PCM_16},          {"sf", SF_FORMAT_IRCAM, SF_FORMAT_FLOAT},
    {"voc", SF_FORMAT_VOC, SF_FORMAT_PCM_16},          {"wve", SF_FORMAT_WVE, SF_FORMAT_ALAW},
    {"xi", SF_FORMAT_XI, SF_FORMAT_DPCM_16},
};

bool fits(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

} // namespace

std::string knownExtensions() {
    std::string list;
    for (const auto& c : kContainers) {
        list += (list.empty() ? "" : ", ") + std::string(c.extension);
    }
    return list;
}

std::string lowercaseExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool writesExtension(const std::string& extension) {
    return !extension.empty() &&
           std::any_of(std::begin(kContainers), std::end(kContainers),
                       [&](const Container& c) { return extension.substr(1) == c.extension; });
}

std::string unknownExtensionReason(const std::string& extension) {
    return extension.empty() ? std::string("its name has no extension")
                             : "unknown extension '" + extension + "'";
}

OutputFormat chooseOutputFormat(const std::string& path, int subtype, int channels, int sampleRate,
                                bool hasChannelMap, int fallbackContainer) {
    const std::string extension = lowercaseExtension(path);
    int major = 0;
    int usual = SF_FORMAT_PCM_24;
    if (extension.empty() && fallbackContainer != 0) {
        major = fallbackContainer == SF_FORMAT_WAVEX ? SF_FORMAT_WAV : fallbackContainer;
        for (const auto& c : kContainers) {
            if (c.major == major) {
                usual = c.usual;
                break;
            }
        }
    }
    for (const auto& c : kContainers) {
        if (!extension.empty() && extension.substr(1) == c.extension) {
            major = c.major;
            usual = c.usual;
        }
    }
    if (major == 0) {
        throw std::runtime_error("cannot write '" + path + "': " + unknownExtensionReason(extension) +
                                 " to choose the file format by; auhost writes " + knownExtensions());
    }
    if (major == SF_FORMAT_WAV && hasChannelMap) {
        major = SF_FORMAT_WAVEX;
    }

    OutputFormat out;
    out.keepsChannelMap = major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
    // The input's sample format, then the container's usual one, then the first one libsndfile accepts.
    for (const int candidate : {subtype, usual}) {
        if (candidate != 0 && fits(major | candidate, channels, sampleRate)) {
            out.format = major | candidate;
            return out;
        }
    }
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &info, sizeof info);
        if (fits(major | info.format, channels, sampleRate)) {
            out.format = major | info.format;
            return out;
        }
    }
    throw std::runtime_error("cannot write '" + path + "': its file format cannot hold " +
                             platform::support::countText(channels, "channel") + " at " +
                             std::to_string(sampleRate) + " Hz");
}

} // namespace auhost
