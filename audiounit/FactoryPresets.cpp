#include "audiounit/FactoryPresets.h"

#include <utility>

namespace quorbel {

using platform::AUAudioUnitPreset;

const FactoryPresetRow& factoryPresetRow(platform::NSInteger number) noexcept {
    if (number >= 1 && number < static_cast<platform::NSInteger>(kFactoryPresetCount)) {
        return kFactoryPresets[static_cast<std::size_t>(number)].values;
    }
    return kFactoryPresets[0].values;
}

std::shared_ptr<AUAudioUnitPreset> makePreset(platform::NSInteger number, std::string name) {
    auto preset = std::make_shared<AUAudioUnitPreset>();
    preset->setNumber(number);
    preset->setName(std::move(name));
    return preset;
}

namespace {

template <std::size_t... number>
std::vector<std::shared_ptr<AUAudioUnitPreset>> sharedFactoryPresets(std::index_sequence<number...>) {
    return {sharedFactoryPreset<number>()...};
}

} // namespace

std::vector<std::shared_ptr<AUAudioUnitPreset>> buildFactoryPresets() {
    return sharedFactoryPresets(std::make_index_sequence<kFactoryPresetCount>{});
}

} // namespace quorbel
