#pragma once
/// Scalar types, status codes, time stamps and render-action flags of the Audio Unit stand-in,
/// with the platform's names and numeric values.

#include <cstdint>

namespace platform {

using OSStatus = std::int32_t;
/// Result of render blocks and of the unit's fallible calls: 0 for success, a negative code otherwise.
using AUAudioUnitStatus = OSStatus;
using NSInteger = std::int64_t;
using AUAudioFrameCount = std::uint32_t;
using AUEventSampleTime = std::int64_t;
using AUParameterAddress = std::uint64_t;
using AUValue = float;
/// Opaque, pointer-sized handle of a parameter observer; null is never a valid token.
using AUParameterObserverToken = void*;

/// A scheduled event time meaning "as soon as possible" (0xffffffff00000000 read as a signed number).
inline constexpr AUEventSampleTime AUEventSampleTimeImmediate = -4294967296LL;

inline constexpr OSStatus noErr = 0;
/// Not enough memory for what was asked.
inline constexpr OSStatus kAudio_MemFullError = -108;
inline constexpr OSStatus kAudioUnitErr_CannotDoInCurrentContext = -10863;
inline constexpr OSStatus kAudioUnitErr_Uninitialized = -10867;
inline constexpr OSStatus kAudioUnitErr_FormatNotSupported = -10868;
inline constexpr OSStatus kAudioUnitErr_TooManyFramesToProcess = -10874;
inline constexpr OSStatus kAudioUnitErr_FailedInitialization = -10875;
inline constexpr OSStatus kAudioUnitErr_NoConnection = -10876;

/// Flags passed in and out of render calls.
using AudioUnitRenderActionFlags = std::uint32_t;

/// Which fields of an AudioTimeStamp hold a value.
using AudioTimeStampFlags = std::uint32_t;
inline constexpr AudioTimeStampFlags kAudioTimeStampSampleTimeValid = 1u << 0;

/// The time of a render slice: its first sample's position on the host's sample clock, and more.
struct AudioTimeStamp {
    double mSampleTime = 0.0;
    std::uint64_t mHostTime = 0;
    double mRateScalar = 0.0;
    std::uint64_t mWordClockTime = 0;
    AudioTimeStampFlags mFlags = 0;
    std::uint32_t mReserved = 0;
};

} // namespace platform
