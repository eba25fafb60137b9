#pragma once
/// Render events: the real-time list of parameter and MIDI events handed to an internal render block.

#include <cstdint>

#include "audiotoolbox/AudioUnitTypes.h"

namespace platform {

/// Event type numbers, as on the platform.
enum AURenderEventType : std::uint8_t {
    AURenderEventParameter = 1,
    AURenderEventParameterRamp = 2,
    AURenderEventMIDI = 8,
};

union AURenderEvent;

/// The fields every event starts with: the link to the next event (null at the end), the event's
/// sample time and its type.
struct AURenderEventHeader {
    AURenderEvent* next;
    AUEventSampleTime eventSampleTime;
    AURenderEventType eventType;
    std::uint8_t reserved;
};

/// A parameter change (type 1) or a ramp to `value` over `rampDurationSampleFrames` (type 2).
struct AUParameterEvent {
    AURenderEvent* next;
    AUEventSampleTime eventSampleTime;
    AURenderEventType eventType;
    std::uint8_t reserved[3];
    AUAudioFrameCount rampDurationSampleFrames;
    AUParameterAddress parameterAddress;
    AUValue value;
};

/// A MIDI message of up to three bytes (type 8).
struct AUMIDIEvent {
    AURenderEvent* next;
    AUEventSampleTime eventSampleTime;
    AURenderEventType eventType;
    std::uint8_t reserved;
    std::uint16_t length;
    std::uint8_t cable;
    std::uint8_t data[3];
};

/// One event of the list; read `head` first, then the variant that `head.eventType` names.
union AURenderEvent {
    AURenderEventHeader head;
    AUParameterEvent parameter;
    AUMIDIEvent MIDI;
};

} // namespace platform
