#include "audiotoolbox/AUAudioUnitBus.h"

#include <cmath>

namespace platform {

namespace {

bool fail(NSError* outError, OSStatus status, const char* message) {
    if (outError != nullptr) {
        *outError = NSError::withOSStatus(status, message);
    }
    return false;
}

} // namespace

std::shared_ptr<AUAudioUnitBus> AUAudioUnitBus::create(const AVAudioFormat& format, NSError* outError) {
    if (!formatIsSupported(format, outError)) {
        return nullptr;
    }
    return std::make_shared<AUAudioUnitBus>(CreationKey{}, format);
}

bool AUAudioUnitBus::formatIsSupported(const AVAudioFormat& format, NSError* outError) {
    if (format.commonFormat() != AVAudioPCMFormatFloat32) {
        return fail(outError, kAudioUnitErr_FormatNotSupported, "the bus takes only 32-bit float samples");
    }
    if (format.isInterleaved()) {
        return fail(outError, kAudioUnitErr_FormatNotSupported, "the bus takes only non-interleaved buffers");
    }
    if (format.channelCount() == 0) {
        return fail(outError, kAudioUnitErr_FormatNotSupported, "the bus needs at least one channel");
    }
    if (!(std::isfinite(format.sampleRate()) && format.sampleRate() > 0.0)) {
        return fail(outError, kAudioUnitErr_FormatNotSupported,
                    "the sample rate must be finite and positive");
    }
    return true;
}

bool AUAudioUnitBus::setFormat(const AVAudioFormat& format, NSError* outError) {
    if (format == format_) {
        return true;
    }
    if (const std::shared_ptr<const std::atomic<bool>> allocated = ownerAllocated_.lock();
        allocated && allocated->load(std::memory_order_acquire)) {
        return fail(outError, kAudioUnitErr_CannotDoInCurrentContext,
                    "the bus format cannot change while render resources are allocated");
    }
    if (!formatIsSupported(format, outError)) {
        return false;
    }
    format_ = format;
    return true;
}

} // namespace platform
