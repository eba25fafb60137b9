#pragma once
// The fuzz targets' entry points: each takes any byte string, builds a case from it, drives the audio unit
// and checks what the unit promises for that case (fuzzCheck stops the process on a broken promise). The
// libFuzzer executables call them from LLVMFuzzerTestOneInput; fuzz_regression_tests replays the kept
// corpus and every crash input through them in every build.

#include <cstddef>
#include <cstdint>

namespace quorbel::fuzz {

/// The value-from-string callback of every parameter fed any text, and the string-from-value callback any
/// float: the current value stays, switches give 0 or 1, names give their mode, unreadable texts the
/// current value, readable ones their number, and a value's text reads back as that value.
int valueFromStringTarget(const std::uint8_t* data, std::size_t size);

/// The full-state setter fed a property list built from the bytes (nested dictionaries, arrays, numbers of
/// any bits, texts, data, booleans): only a usable "QuorbelParams" entry changes values, exactly the ones it
/// names; the state saved afterwards restores exactly and the unit renders finite audio.
int fullStateTarget(const std::uint8_t* data, std::size_t size);

/// The same for the bytes read as an XML property list (as a host reads a preset file): reading never
/// crashes, what is read writes and reads back equal, and a dictionary goes to the full-state setter.
int fullStateXmlTarget(const std::uint8_t* data, std::size_t size);

/// The render block fed parameter values and event lists built from the bytes (any event types, addresses,
/// values and ramps; buffer lists with missing or null buffers; failing pulls; small frame counts): the
/// status is the pull's, the last event for each parameter wins, and every output sample is finite or,
/// under bypass, the input untouched.
int renderBlockTarget(const std::uint8_t* data, std::size_t size);

} // namespace quorbel::fuzz
