#include "FuzzUnits.h"

#include "FuzzInput.h"
#include "audiounit/FactoryPresets.h"
#include "audiounit/QuorbelComponent.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace quorbel::fuzz {

using namespace platform;

namespace {

using ValueBits = std::array<std::uint32_t, kParameterCount>;

ValueBits valueBits(const QuorbelAudioUnit& unit) {
    ValueBits bits{};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        bits[i] = std::bit_cast<std::uint32_t>(unit.paramValue(static_cast<ParamAddress>(i)));
    }
    return bits;
}

/// The values a unit holding `before` must hold after the full-state setter got `state`.
ValueBits expectedAfter(const std::optional<PropertyListDictionary>& state, const ValueBits& before) {
    const PropertyList* entry = state ? state->find("QuorbelParams") : nullptr;
    if (entry == nullptr || entry->dictionary() == nullptr) {
        return before;
    }
    ValueBits after = before;
    for (const auto& [key, value] : *entry->dictionary()) {
        const std::optional<double> number = value.number();
        if (!number || (std::isfinite(*number) && std::fabs(*number) > std::numeric_limits<float>::max())) {
            return before; // one unusable value makes the whole entry count as absent
        }
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (key == kParameterTable[i].identifier) {
                after[i] = std::bit_cast<std::uint32_t>(static_cast<float>(*number));
            }
        }
    }
    return after;
}

/// A stereo unit allocated for 256-frame calls, its internal render block and host buffers.
struct StateRig {
    static constexpr AUAudioFrameCount kFrames = 256;

    StateRig() : unit(makeFuzzUnit()), restored(makeFuzzUnit()) {
        unit->setMaximumFramesToRender(kFrames);
        fuzzCheck(unit->allocateRenderResources(nullptr), "allocation");
        block = unit->internalRenderBlock();
        identity = *unit->fullState();
        identity.erase("QuorbelParams");
    }

    std::shared_ptr<QuorbelAudioUnit> unit;
    std::shared_ptr<QuorbelAudioUnit> restored;
    AUInternalRenderBlock block;
    PropertyListDictionary identity;
    OwnedAudioBufferList buffers{2, kFrames};
    std::array<std::array<float, kFrames>, 2> input{};
};

StateRig& stateRig() {
    static StateRig rig;
    return rig;
}

} // namespace

std::shared_ptr<QuorbelAudioUnit> makeFuzzUnit() {
    registerQuorbelComponent();
    auto unit = AUAudioUnit::instantiate<QuorbelAudioUnit>(kQuorbelComponentDescription, 0, nullptr);
    fuzzCheck(unit != nullptr, "the unit could not be created");
    return unit;
}

void checkFullStateSetter(const std::optional<PropertyListDictionary>& state) {
    StateRig& rig = stateRig();
    QuorbelAudioUnit& unit = *rig.unit;
    unit.setCurrentPreset(defaultPreset());
    const ValueBits before = valueBits(unit);

    unit.setFullState(state);
    fuzzCheck(valueBits(unit) == expectedAfter(state, before),
              "the full state changed other values than a usable entry names");

    const std::optional<PropertyListDictionary> saved = unit.fullState();
    fuzzCheck(saved.has_value() && saved->find("QuorbelParams") != nullptr, "the saved state has the values");
    for (const auto& [key, value] : rig.identity) {
        fuzzCheck(saved->find(key) != nullptr && *saved->find(key) == value,
                  "the identity entries pass through");
    }
    rig.restored->setFullState(saved);
    fuzzCheck(valueBits(*rig.restored) == valueBits(unit), "a saved state restores every value exactly");
    fuzzCheck(rig.restored->fullState() == saved, "a restored unit saves the state it was given");

    // Whatever values arrived, the audio stays finite (or, bypassed, untouched). 1024 frames at 44100 Hz:
    // the fourth call runs with the new values.
    unit.reset();
    std::uint32_t noise = 12345;
    for (auto& channel : rig.input) {
        for (float& x : channel) {
            noise = noise * 1664525u + 1013904223u;
            x = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
        }
    }
    const AURenderPullInputBlock pull = [&rig](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                               AUAudioFrameCount frames, NSInteger, AudioBufferList* data) {
        for (std::uint32_t ch = 0; ch < data->mNumberBuffers; ++ch) {
            std::memcpy(data->mBuffers[ch].mData, rig.input[ch].data(), frames * sizeof(float));
        }
        return noErr;
    };
    AudioTimeStamp timestamp{};
    for (int call = 0; call < 4; ++call) {
        rig.buffers.prepare(StateRig::kFrames);
        fuzzCheck(rig.block(nullptr, &timestamp, StateRig::kFrames, 0, rig.buffers.list(), nullptr, pull) ==
                      noErr,
                  "rendering after a restored state");
        const bool bypassed = unit.dspKernel()->params().bypass;
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            for (AUAudioFrameCount i = 0; i < StateRig::kFrames; ++i) {
                const float y = rig.buffers.channel(ch)[i];
                fuzzCheck(bypassed ? std::bit_cast<std::uint32_t>(y) ==
                                         std::bit_cast<std::uint32_t>(rig.input[ch][i])
                                   : std::isfinite(y),
                          "output after a restored state is finite, or under bypass the input");
            }
        }
    }
}

} // namespace quorbel::fuzz
