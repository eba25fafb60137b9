#include "audiounit/FactoryPresets.h"

#include <utility>

namespace quorbel {

using platform::AUAudioUnitPreset;

const FactoryPresetRow& factoryPresetRow(platform::NSInteger number) noexcept {
    if (number >= 1 && number < static_cast<platform::NSInteger>(kFactoryPresetCount)) {
        return factoryPresetValues[static_cast<std::size_t>(number)];
    }
    return factoryPresetValues[0];
}

std::shared_ptr<AUAudioUnitPreset> makePreset(platform::NSInteger number, std::string name) {
    auto preset = std::make_shared<AUAudioUnitPreset>();
    preset->setNumber(number);
    preset->setName(std::move(name));
    return preset;
}

// Function-local statics: the language makes each initialisation happen once, other threads waiting for it.
const std::shared_ptr<AUAudioUnitPreset>& defaultPreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(0, "Default");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& subtleShimmerPreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(1, "Subtle Shimmer");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& chaosEnginePreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(2, "Chaos Engine");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& deepSeaPreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(3, "Deep Sea");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& deeperSeaPreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(4, "Deeper Sea");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& midlifeCrisisPreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(5, "Midlife Crisis");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& misplacedNostalgiaPreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(6, "Misplaced Nostalgia");
    return preset;
}
const std::shared_ptr<AUAudioUnitPreset>& communicationFailurePreset() {
    static const std::shared_ptr<AUAudioUnitPreset> preset = makePreset(7, "Communication Failure");
    return preset;
}

std::vector<std::shared_ptr<AUAudioUnitPreset>> buildFactoryPresets() {
    return {
        defaultPreset(),   subtleShimmerPreset(), chaosEnginePreset(),        deepSeaPreset(),
        deeperSeaPreset(), midlifeCrisisPreset(), misplacedNostalgiaPreset(), communicationFailurePreset()};
}

} // namespace quorbel
