#include "audiounit/QuorbelAudioUnit.h"

#include <cstdint>
#include <memory>

namespace quorbel {

using namespace platform;

AUInternalRenderBlock QuorbelAudioUnit::internalRenderBlock() {
    // The block keeps the tree of this moment and the kernel, never the unit: the unit may go while a host
    // still holds the block. Without a tree (set to null from outside) events are skipped and the audio is
    // still processed.
    return [tree = parameterTree_,
            kernel = dspKernel_](AudioUnitRenderActionFlags* /*actionFlags*/, const AudioTimeStamp* timestamp,
                                 AUAudioFrameCount frameCount, NSInteger /*outputBusNumber*/,
                                 AudioBufferList* outputData, const AURenderEvent* realtimeEventListHead,
                                 const AURenderPullInputBlock& pullInputBlock) -> AUAudioUnitStatus {
        if (!pullInputBlock) {
            return kAudioUnitErr_NoConnection;
        }
        // The input of bus 0 lands in the output buffers; the kernel then works on them in place.
        AudioUnitRenderActionFlags pullFlags = 0;
        const AUAudioUnitStatus status = pullInputBlock(&pullFlags, timestamp, frameCount, 0, outputData);
        if (status != noErr) {
            return status;
        }

        // Each event takes effect at once for the whole slice: sample times are ignored and a ramp jumps to
        // its end value.
        for (const AURenderEvent* event = realtimeEventListHead; event != nullptr; event = event->head.next) {
            const AURenderEventType type = event->head.eventType;
            if (type != AURenderEventParameter && type != AURenderEventParameterRamp) {
                continue;
            }
            if (!tree) {
                continue;
            }
            if (AUParameter* parameter = tree->parameterWithAddress(event->parameter.parameterAddress)) {
                parameter->setValue(event->parameter.value, nullptr);
            }
        }

        kernel->process(outputData, static_cast<std::int64_t>(frameCount));
        return noErr;
    };
}

} // namespace quorbel
