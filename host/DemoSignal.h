#pragma once
#include "host/AudioStream.h"

namespace auhost {

/// A built-in stereo test signal of `seconds` at `sampleRate`: a slowly changing chord, a plucked
/// melody and bursts of filtered noise, so that the effect is plainly audible on it. Deterministic.
AudioData makeDemoSignal(double seconds = 6.0, double sampleRate = 44100.0);

} // namespace auhost
