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
