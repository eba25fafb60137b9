#pragma once
/// The ten parameters of the effect: their addresses, their table (identity, range, unit, default) and the
/// text callbacks that turn values into display texts and typed texts back into values.

#include "audiotoolbox/AUParameter.h"
#include "audiotoolbox/AudioUnitTypes.h"
#include "dsp/FilterMode.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorbel {

/// The parameter addresses, in the shared order of the tree, the preset rows and the saved state.
enum class ParamAddress : platform::AUParameterAddress {
    mix = 0,
    feed = 1,
    tone = 2,
    orbit = 3,
    vexity = 4,
    doubt = 5,
    volume = 6,
    bypass = 7,
    fail = 8,
    filterMode = 9,
};

/// Number of parameters (addresses 0 to 9).
inline constexpr std::size_t kParameterCount = 10;

/// The address for a raw number: 0 to 9 give their parameter, every other number none. Real-time safe.
constexpr std::optional<ParamAddress> paramAddressFromRawValue(platform::AUParameterAddress raw) noexcept {
    if (raw < kParameterCount) {
        return static_cast<ParamAddress>(raw);
    }
    return std::nullopt;
}

/// The raw number of an address (0 to 9), usable as an index. Real-time safe.
constexpr std::size_t index(ParamAddress address) noexcept {
    return static_cast<std::size_t>(address);
}

/// One row of the parameter table.
struct ParameterInfo {
    std::string_view identifier;
    std::string_view name;
    platform::AUValue minValue;
    platform::AUValue maxValue;
    platform::AudioUnitParameterUnit unit;
    platform::AUValue defaultValue;
};

/// The parameter table in address order; the identifiers are also the keys of the saved state.
inline constexpr std::array<ParameterInfo, kParameterCount> kParameterTable{{
    {"mix", "Mix", 0.0f, 1.0f, platform::kAudioUnitParameterUnit_Generic, 0.5f},
    {"feed", "Feed", 1.0f, 20.0f, platform::kAudioUnitParameterUnit_Generic, 5.0f},
    {"tone", "Tone", 200.0f, 1000.0f, platform::kAudioUnitParameterUnit_Hertz, 500.0f},
    {"orbit", "Orbit", -1.0f, 1.0f, platform::kAudioUnitParameterUnit_Generic, 0.0f},
    {"vexity", "Vexity", -1.0f, 1.0f, platform::kAudioUnitParameterUnit_Generic, 0.0f},
    {"doubt", "Doubt", -1.0f, 1.0f, platform::kAudioUnitParameterUnit_Generic, 0.0f},
    {"volume", "Volume", 0.0f, 1.0f, platform::kAudioUnitParameterUnit_LinearGain, 0.7f},
    {"bypass", "Bypass", 0.0f, 1.0f, platform::kAudioUnitParameterUnit_Boolean, 0.0f},
    {"fail", "Fail", 0.0f, 1.0f, platform::kAudioUnitParameterUnit_Boolean, 0.0f},
    {"filterMode", "Filter Mode", 0.0f, 2.0f, platform::kAudioUnitParameterUnit_Indexed, 0.0f},
}};

/// Texts of the filter modes by number (FilterMode); also the value strings of `filterMode`.
inline constexpr std::array<std::string_view, kFilterModeCount> kFilterModeNames{"Low Pass", "Band Pass",
                                                                                 "High Pass"};

/// Flags of every parameter: readable and writable, nothing else (no ramping).
inline constexpr platform::AudioUnitParameterOptions kParameterFlags =
    platform::kAudioUnitParameterFlag_IsReadable | platform::kAudioUnitParameterFlag_IsWritable;

/// Display text of `*value` (of the parameter's current value when `value` is null), decided by the
/// parameter's unit: Boolean "On"/"Off", indexed the filter-mode name or the integer's digits, otherwise
/// "%.2f" in the C locale whatever the process locale. Any thread. Allocates.
std::string parameterStringFromValue(const platform::AUParameter& parameter, const platform::AUValue* value);

/// Value of a typed text, decided by the parameter's unit: Boolean "on" (any case) → 1, else 0; indexed a
/// filter-mode name (any case) → its index; otherwise the whole text parsed by the C library's rules in the
/// C locale, or the parameter's current value when it does not parse. Any thread. Allocates.
platform::AUValue parameterValueFromString(const platform::AUParameter& parameter, const std::string& text);

} // namespace quorbel
