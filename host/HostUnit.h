#pragma once
/// What the offline host does with a unit: create it, apply settings, describe it, render audio through it.

#include "audiotoolbox/AUAudioUnit.h"
#include "host/AudioFile.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace auhost {

/// Settings applied to a unit before rendering, in this order: preset, saved state, single values.
struct UnitSettings {
    std::optional<std::string> preset;                       ///< factory preset number or name
    std::optional<std::string> loadStatePath;                ///< XML property list of a full state
    std::vector<std::pair<std::string, std::string>> values; ///< identifier = value text
};

/// Creates the effect. Throws std::runtime_error with the unit's error when it cannot be created.
std::shared_ptr<platform::AUAudioUnit> createUnit();

/// Applies `settings` to `unit`, reporting to `report` what a loaded state changed. Throws
/// std::runtime_error for an unknown preset or parameter, a value text the parameter does not
/// accept, or a state file that is not a readable property-list dictionary.
void applySettings(platform::AUAudioUnit& unit, const UnitSettings& settings, std::ostream& report);

/// Writes the unit's full state to `path` as an XML property list (through a temporary file).
void saveState(const platform::AUAudioUnit& unit, const std::string& path);

/// Prints the unit's parameters, presets, latency, tail time, channel capabilities and busses.
void printInfo(platform::AUAudioUnit& unit, std::ostream& out);

struct RenderOptions {
    std::uint32_t blockSize = 512;
    bool raw = false; ///< no latency compensation and no tail: exactly the input's frame count
};

/// Called now and then during a render with the fraction done (0 to 1).
using ProgressCallback = std::function<void(double)>;

/// Renders `input` through `unit` in consecutive render calls of `blockSize` frames (the last one
/// shorter), after setting the input bus to the input's channel count and rate and allocating.
/// Unless `raw`, the output is aligned with the input (the reported latency is dropped from its start)
/// and runs on for the tail time. Throws std::runtime_error when the unit refuses the format or a
/// render call fails.
AudioData renderThrough(platform::AUAudioUnit& unit, const AudioData& input, const RenderOptions& options,
                        const ProgressCallback& progress = {});

} // namespace auhost
