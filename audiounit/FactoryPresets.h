#pragma once
/// The eight factory presets: their shared preset objects and their rows of parameter values.

#include "audiotoolbox/AUAudioUnitPreset.h"
#include "audiounit/ParameterTree.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace quorbel {

/// Ten parameter values in address order (mix, feed, tone, orbit, vexity, doubt, volume, bypass, fail,
/// filterMode).
using FactoryPresetRow = std::array<platform::AUValue, kParameterCount>;

/// Number of factory presets (numbers 0 to 7).
inline constexpr std::size_t kFactoryPresetCount = 8;

/// The value rows: entry 0 is the default row (the parameter defaults), entries 1 to 7 belong to the
/// presets of those numbers.
inline constexpr std::array<FactoryPresetRow, kFactoryPresetCount> factoryPresetValues{{
    {0.5f, 5.0f, 500.0f, 0.0f, 0.0f, 0.0f, 0.7f, 0.0f, 0.0f, 0.0f},
    {0.3f, 3.0f, 600.0f, 0.15f, 0.1f, 0.05f, 0.7f, 0.0f, 0.0f, 0.0f},
    {0.7f, 12.0f, 400.0f, 0.8f, 0.6f, 0.9f, 0.6f, 0.0f, 1.0f, 1.0f},
    {0.6f, 8.0f, 300.0f, 0.3f, -0.4f, 0.2f, 0.7f, 0.0f, 0.0f, 0.0f},
    {0.7924f, 12.2235f, 470.2327f, 0.5567f, 0.3091f, 0.2f, 0.7f, 0.0f, 0.0f, 0.0f},
    {0.7915f, 15.2393f, 667.5038f, -0.7314f, -0.2818f, 0.2511f, 0.7506f, 0.0f, 0.0f, 1.0f},
    {0.6734f, 3.66f, 738.7451f, 0.5945f, 0.5443f, -0.423f, 0.6556f, 0.0f, 0.0f, 2.0f},
    {0.8322f, 17.5212f, 540.9067f, 0.787f, -0.2888f, 0.5072f, 0.6556f, 0.0f, 1.0f, 1.0f},
}};

/// The row a preset number selects: 1 to 7 their own, 0 and every number of 8 or more the default row.
/// Meant for numbers 0 and up; a negative number also gives the default row. Real-time safe.
const FactoryPresetRow& factoryPresetRow(platform::NSInteger number) noexcept;

/// A new preset object with this number and name. Allocates.
std::shared_ptr<platform::AUAudioUnitPreset> makePreset(platform::NSInteger number, std::string name);

/// The shared preset objects, each made once at its first use (safe against concurrent first use) and
/// handed out ever after; they live until the process ends. Allocates at the first call only.
const std::shared_ptr<platform::AUAudioUnitPreset>& defaultPreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& subtleShimmerPreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& chaosEnginePreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& deepSeaPreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& deeperSeaPreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& midlifeCrisisPreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& misplacedNostalgiaPreset();
const std::shared_ptr<platform::AUAudioUnitPreset>& communicationFailurePreset();

/// A new array of the eight shared preset objects in number order 0 to 7. Allocates.
std::vector<std::shared_ptr<platform::AUAudioUnitPreset>> buildFactoryPresets();

} // namespace quorbel
