#include "audiotoolbox/AUAudioUnitBusArray.h"

#include <utility>

#include "audiotoolbox/AUAudioUnit.h"

namespace platform {

std::shared_ptr<AUAudioUnitBusArray>
AUAudioUnitBusArray::create(AUAudioUnit& owner, AUAudioUnitBusType busType,
                            std::vector<std::shared_ptr<AUAudioUnitBus>> busses) {
    std::erase(busses, nullptr);
    for (const std::shared_ptr<AUAudioUnitBus>& bus : busses) {
        bus->ownerAllocated_ = owner.renderResourcesAllocatedFlag();
    }
    return std::make_shared<AUAudioUnitBusArray>(CreationKey{}, busType, std::move(busses));
}

} // namespace platform
