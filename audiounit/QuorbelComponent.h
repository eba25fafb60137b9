#pragma once
/// The effect's component identity: the description hosts create it by, and its registration.

#include "audiotoolbox/AudioComponent.h"

#include <cstdint>

namespace quorbel {

/// Component description of the effect: type 'aufx' (effect), subtype 'qrbl', manufacturer 'Qrbl'.
inline constexpr platform::AudioComponentDescription kQuorbelComponentDescription{
    platform::kAudioUnitType_Effect, platform::fourCharCode("qrbl"), platform::fourCharCode("Qrbl"), 0, 0};

/// The component's display name.
inline constexpr const char* kQuorbelComponentName = "Quorbel";

/// The component's version, 1.0.0, in the platform's form (major << 16 | minor << 8 | patch).
inline constexpr std::uint32_t kQuorbelComponentVersion = (1u << 16) | (0u << 8) | 0u;

/// Registers the effect's name and version under its description, so that units created with
/// `kQuorbelComponentDescription` carry them (and the full state names them). Call once before creating
/// units; calling again is harmless. Any thread. Allocates, takes the register's lock.
void registerQuorbelComponent();

} // namespace quorbel
