#pragma once
/// The Audio Unit factory protocol: what an extension's principal object offers a host that wants a unit.

#include "audiotoolbox/AUAudioUnit.h"
#include "audiotoolbox/AudioComponent.h"
#include "audiotoolbox/NSError.h"

#include <memory>

namespace platform {

/// Creates audio units for a host (createAudioUnitWithComponentDescription:error:). Implemented by an
/// extension's principal object; the host calls it on any thread it likes.
class AUAudioUnitFactory {
public:
    virtual ~AUAudioUnitFactory() = default;
    /// A new unit for `description`, or null with the reason written to `outError` when given. Allocates.
    virtual std::shared_ptr<AUAudioUnit> createAudioUnit(const AudioComponentDescription& description,
                                                         NSError* outError) = 0;
};

} // namespace platform
