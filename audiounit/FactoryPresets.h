#pragma once
/// The eight factory presets: their shared preset objects and their rows of parameter values.

#include "audiotoolbox/AUAudioUnitPreset.h"
#include "audiounit/ParameterTree.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel {

/// Ten parameter values in address order (mix, feed, tone, orbit, vexity, doubt, volume, bypass, fail,
/// filterMode).
using FactoryPresetRow = std::array<platform::AUValue, kParameterCount>;

/// Number of factory presets (numbers 0 to 7).
inline constexpr std::size_t kFactoryPresetCount = 8;

/// A factory preset: its name and its row of values.
struct FactoryPreset {
    std::string_view name;
    FactoryPresetRow values;
};

/// The factory presets in number order. Entry 0 holds the default row (the parameter defaults), which also
/// serves every number of 8 or more.
inline constexpr std::array<FactoryPreset, kFactoryPresetCount> kFactoryPresets{{
    {"Default", {0.5f, 5.0f, 500.0f, 0.0f, 0.0f, 0.0f, 0.7f, 0.0f, 0.0f, 0.0f}},
    {"Subtle Shimmer", {0.3f, 3.0f, 600.0f, 0.15f, 0.1f, 0.05f, 0.7f, 0.0f, 0.0f, 0.0f}},
    {"Chaos Engine", {0.7f, 12.0f, 400.0f, 0.8f, 0.6f, 0.9f, 0.6f, 0.0f, 1.0f, 1.0f}},
    {"Deep Sea", {0.6f, 8.0f, 300.0f, 0.3f, -0.4f, 0.2f, 0.7f, 0.0f, 0.0f, 0.0f}},
    {"Deeper Sea", {0.7924f, 12.2235f, 470.2327f, 0.5567f, 0.3091f, 0.2f, 0.7f, 0.0f, 0.0f, 0.0f}},
    {"Midlife Crisis",
     {0.7915f, 15.2393f, 667.5038f, -0.7314f, -0.2818f, 0.2511f, 0.7506f, 0.0f, 0.0f, 1.0f}},
    {"Misplaced Nostalgia",
     {0.6734f, 3.66f, 738.7451f, 0.5945f, 0.5443f, -0.423f, 0.6556f, 0.0f, 0.0f, 2.0f}},
    {"Communication Failure",
     {0.8322f, 17.5212f, 540.9067f, 0.787f, -0.2888f, 0.5072f, 0.6556f, 0.0f, 1.0f, 1.0f}},
}};

/// The value rows of kFactoryPresets alone, in number order: entry 0 is the default row.
inline constexpr std::array<FactoryPresetRow, kFactoryPresetCount> factoryPresetValues = [] {
    std::array<FactoryPresetRow, kFactoryPresetCount> rows{};
    for (std::size_t i = 0; i < kFactoryPresetCount; ++i) {
        rows[i] = kFactoryPresets[i].values;
    }
    return rows;
}();

/// The row a preset number selects: 1 to 7 their own, 0 and every number of 8 or more the default row.
/// Meant for numbers 0 and up; a negative number also gives the default row. Real-time safe.
const FactoryPresetRow& factoryPresetRow(platform::NSInteger number) noexcept;

/// A new preset object with this number and name. Allocates.
std::shared_ptr<platform::AUAudioUnitPreset> makePreset(platform::NSInteger number, std::string name);

/// The shared preset object of number `number` (0 to 7), made once at its first use with its number and
/// name (safe against concurrent first use: a function-local static) and handed out ever after; it lives
/// until the process ends. Allocates at the first call only.
template <std::size_t number> const std::shared_ptr<platform::AUAudioUnitPreset>& sharedFactoryPreset() {
    static_assert(number < kFactoryPresetCount);
    static const std::shared_ptr<platform::AUAudioUnitPreset> preset =
        makePreset(static_cast<platform::NSInteger>(number), std::string(kFactoryPresets[number].name));
    return preset;
}

/// The shared preset objects by name: deepSeaPreset() is preset 3's.
inline constexpr auto defaultPreset = &sharedFactoryPreset<0>;
inline constexpr auto subtleShimmerPreset = &sharedFactoryPreset<1>;
inline constexpr auto chaosEnginePreset = &sharedFactoryPreset<2>;
inline constexpr auto deepSeaPreset = &sharedFactoryPreset<3>;
inline constexpr auto deeperSeaPreset = &sharedFactoryPreset<4>;
inline constexpr auto midlifeCrisisPreset = &sharedFactoryPreset<5>;
inline constexpr auto misplacedNostalgiaPreset = &sharedFactoryPreset<6>;
inline constexpr auto communicationFailurePreset = &sharedFactoryPreset<7>;

/// A new array of the eight shared preset objects in number order 0 to 7. Allocates.
std::vector<std::shared_ptr<platform::AUAudioUnitPreset>> buildFactoryPresets();

} // namespace quorbel
