#pragma once
/// What the offline host does with a unit: create it, apply settings, describe it, render audio through it.

#include "audiotoolbox/AUAudioUnit.h"
#include "host/AudioStream.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
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

/// A command line that auhost cannot take, found before any work is done: exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Checks, without changing `unit`, that its factory presets hold `settings.preset` and its parameters
/// take every one of `settings.values`. Throws UsageError for an unknown preset or parameter and for a
/// value text that the parameter does not accept or that lies outside its range. Reads no file.
void checkSettings(const platform::AUAudioUnit& unit, const UnitSettings& settings);

/// Applies `settings` to `unit` after checkSettings (so that nothing is read or changed when a preset or
/// a value is wrong), reporting to `report` what a loaded state changed and to `warnings` a state saved
/// by another effect. Throws UsageError as checkSettings does, and std::runtime_error for a state file
/// that cannot be read or whose "QuorbelParams" entry is missing or unusable (naming the key and value
/// at fault).
void applySettings(platform::AUAudioUnit& unit, const UnitSettings& settings, std::ostream& report,
                   std::ostream& warnings);

/// The unit's full state as an XML property list.
std::string stateText(const platform::AUAudioUnit& unit);

/// Prints the unit's parameters, presets, latency, tail time, channel capabilities and busses, with the
/// parameter values of `fresh` (a new unit of the same component) as their defaults; `origin` (lines
/// saying where the unit was loaded from) follows the first line.
void printInfo(platform::AUAudioUnit& unit, const platform::AUAudioUnit& fresh, const std::string& origin,
               std::ostream& out);

/// How long the output of a render runs.
enum class OutputLength {
    keepInput,         ///< every input frame in place, then the reported latency and the tail time
    compensateLatency, ///< the reported latency cut from the start, then the tail time
    raw,               ///< exactly the input's frame count
};

struct RenderOptions {
    std::uint32_t blockSize = 512;
    OutputLength length = OutputLength::keepInput;
};

/// Called now and then during a render with the fraction done (0 to 1).
using ProgressCallback = std::function<void(double)>;

/// Renders `source` through `unit` into `sink` in consecutive render calls of `blockSize` frames (the last
/// one shorter), after setting the input bus to the source's channel count and rate and allocating. Holds
/// one block of audio at a time, whatever the length. After the input's last frame the unit hears silence
/// for as long as `length` asks. Returns the frames written. Throws std::runtime_error when the unit
/// refuses the format, a render call fails, or the sink cannot write.
std::int64_t renderThrough(platform::AUAudioUnit& unit, AudioSource& source, AudioSink& sink,
                           const RenderOptions& options, const ProgressCallback& progress = {});

} // namespace auhost
