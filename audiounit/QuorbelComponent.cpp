#include "audiounit/QuorbelComponent.h"

namespace quorbel {

void registerQuorbelComponent() {
    platform::AudioComponentRegister(kQuorbelComponentDescription, kQuorbelComponentName,
                                     kQuorbelComponentVersion);
}

} // namespace quorbel
