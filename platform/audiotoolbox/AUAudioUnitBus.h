#pragma once
/// Stand-in for the platform's audio unit bus: one input or output connection with its format.

#include <atomic>
#include <memory>

#include "audiotoolbox/AVAudioFormat.h"
#include "audiotoolbox/NSError.h"

namespace platform {

/// Kind of the busses in a bus array, with the platform's values.
enum AUAudioUnitBusType : NSInteger {
    AUAudioUnitBusTypeInput = 1,
    AUAudioUnitBusTypeOutput = 2,
};

/// A bus and its format. The stand-in takes only what units here can render: 32-bit float,
/// non-interleaved, at least one channel, a finite positive sample rate. Held by std::shared_ptr;
/// call from host threads, never while rendering.
class AUAudioUnitBus {
    struct CreationKey {
        explicit CreationKey() = default;
    };

public:
    /// A new bus with this format, or null and the error when the format is refused (initWithFormat:error:).
    /// Allocates.
    static std::shared_ptr<AUAudioUnitBus> create(const AVAudioFormat& format, NSError* outError);

    AUAudioUnitBus(CreationKey, const AVAudioFormat& format) : format_(format) {}
    AUAudioUnitBus(const AUAudioUnitBus&) = delete;
    AUAudioUnitBus& operator=(const AUAudioUnitBus&) = delete;

    /// The current format.
    AVAudioFormat format() const noexcept { return format_; }

    /// Changes the format (setFormat:error:). Refuses, keeping the format and giving the error
    /// (domain NSOSStatusErrorDomain): a non-float or interleaved format, zero channels or a rate that
    /// is not finite and positive (kAudioUnitErr_FormatNotSupported); any change while the owning unit
    /// has its render resources allocated (kAudioUnitErr_CannotDoInCurrentContext). Setting an equal
    /// format always succeeds. Allocates only for an error.
    bool setFormat(const AVAudioFormat& format, NSError* outError);

    /// Whether a bus can take this format, with the error when it cannot. Allocates only for an error.
    static bool formatIsSupported(const AVAudioFormat& format, NSError* outError);

private:
    friend class AUAudioUnitBusArray;

    AVAudioFormat format_;
    /// The owning unit's "render resources allocated" flag, set when a bus array of a unit takes the bus.
    std::weak_ptr<const std::atomic<bool>> ownerAllocated_;
};

} // namespace platform
