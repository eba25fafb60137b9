#pragma once
/// Stand-in for the platform's bus array: the input or output busses of one unit.

#include <cstddef>
#include <memory>
#include <vector>

#include "audiotoolbox/AUAudioUnitBus.h"

namespace platform {

class AUAudioUnit;

/// The busses of one kind of a unit, in order. Held by std::shared_ptr.
class AUAudioUnitBusArray {
    struct CreationKey {
        explicit CreationKey() = default;
    };

public:
    /// An array of these busses belonging to `owner` (initWithAudioUnit:busType:busses:); from now on
    /// each bus refuses format changes while `owner` has its render resources allocated. Allocates.
    static std::shared_ptr<AUAudioUnitBusArray> create(AUAudioUnit& owner, AUAudioUnitBusType busType,
                                                       std::vector<std::shared_ptr<AUAudioUnitBus>> busses);

    AUAudioUnitBusArray(CreationKey, AUAudioUnitBusType busType,
                        std::vector<std::shared_ptr<AUAudioUnitBus>> busses)
        : busType_(busType), busses_(std::move(busses)) {}
    AUAudioUnitBusArray(const AUAudioUnitBusArray&) = delete;
    AUAudioUnitBusArray& operator=(const AUAudioUnitBusArray&) = delete;

    /// Kind, number and busses of the array. Real-time safe.
    AUAudioUnitBusType busType() const noexcept { return busType_; }
    std::size_t count() const noexcept { return busses_.size(); }
    /// The bus at `index` (objectAtIndexedSubscript:); `index` must be below count().
    const std::shared_ptr<AUAudioUnitBus>& operator[](std::size_t index) const noexcept {
        return busses_[index];
    }

private:
    AUAudioUnitBusType busType_;
    std::vector<std::shared_ptr<AUAudioUnitBus>> busses_;
};

} // namespace platform
