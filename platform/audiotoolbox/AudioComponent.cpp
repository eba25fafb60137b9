#include "audiotoolbox/AudioComponent.h"

#include <mutex>
#include <vector>

namespace platform {
namespace {

struct Register {
    std::mutex mutex;
    std::vector<AudioComponentInfo> components;
};

Register& theRegister() {
    static Register instance;
    return instance;
}

bool fieldMatches(OSType wanted, OSType actual) noexcept {
    return wanted == 0 || wanted == actual;
}

} // namespace

std::optional<OSType> fourCharCodeFromString(const std::string& text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    OSType code = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7e) {
            return std::nullopt;
        }
        code = (code << 8) | byte;
    }
    return code;
}

std::string stringFromFourCharCode(OSType code) {
    std::string text(4, '?');
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<unsigned char>((code >> (24 - 8 * i)) & 0xffu);
        if (byte >= 0x20 && byte <= 0x7e) {
            text[i] = static_cast<char>(byte);
        }
    }
    return text;
}

void AudioComponentRegister(const AudioComponentDescription& description, std::string name,
                            std::uint32_t version) {
    Register& reg = theRegister();
    std::lock_guard lock(reg.mutex);
    for (AudioComponentInfo& info : reg.components) {
        const AudioComponentDescription& d = info.description;
        if (d.componentType == description.componentType &&
            d.componentSubType == description.componentSubType &&
            d.componentManufacturer == description.componentManufacturer) {
            info = AudioComponentInfo{description, std::move(name), version};
            return;
        }
    }
    reg.components.push_back(AudioComponentInfo{description, std::move(name), version});
}

std::optional<AudioComponentInfo> AudioComponentFindNext(const AudioComponentDescription& description) {
    Register& reg = theRegister();
    std::lock_guard lock(reg.mutex);
    for (const AudioComponentInfo& info : reg.components) {
        const AudioComponentDescription& d = info.description;
        if (fieldMatches(description.componentType, d.componentType) &&
            fieldMatches(description.componentSubType, d.componentSubType) &&
            fieldMatches(description.componentManufacturer, d.componentManufacturer)) {
            return info;
        }
    }
    return std::nullopt;
}

} // namespace platform
