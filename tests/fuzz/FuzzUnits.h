#pragma once
// The units the fuzz targets drive: made once per process (the effect's kernels are costly to build) and
// brought back to a known state by each input.

#include "audiotoolbox/PropertyList.h"
#include "audiounit/QuorbelAudioUnit.h"

#include <memory>
#include <optional>

namespace quorbel::fuzz {

/// A registered unit with its defaults, not allocated. Allocates.
std::shared_ptr<QuorbelAudioUnit> makeFuzzUnit();

/// Gives `state` to the full-state setter of a unit that holds the defaults and checks the outcome: only a
/// usable "QuorbelParams" entry (a dictionary of numbers that 32-bit floats hold) changes values, exactly
/// those it names, unclamped; the base's identity entries pass through; the state saved afterwards restores
/// the same values in a second unit and saves equal; and the unit then renders finite audio (or, under
/// bypass, the input untouched).
void checkFullStateSetter(const std::optional<platform::PropertyListDictionary>& state);

} // namespace quorbel::fuzz
