#pragma once
/// Stand-in for the platform's audio buffer list: non-interleaved 32-bit float channel buffers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

/// One buffer of the list: for the non-interleaved float format, one channel's samples.
struct AudioBuffer {
    std::uint32_t mNumberChannels = 1;
    std::uint32_t mDataByteSize = 0;
    void* mData = nullptr;
};

/// A list of buffers. The platform's type has a variable-length tail; here the tail is a pointer so
/// that lists of any length can be described without tricks. `mBuffers` points at `mNumberBuffers` buffers.
struct AudioBufferList {
    std::uint32_t mNumberBuffers = 0;
    AudioBuffer* mBuffers = nullptr;
};

/// Owns a list of `channels` buffers of `frames` float samples each, for hosts and tests.
/// Allocates on construction only.
class OwnedAudioBufferList {
public:
    OwnedAudioBufferList(std::uint32_t channels, std::uint32_t frames)
        : frames_(frames), storage_(channels, std::vector<float>(frames, 0.0f)), buffers_(channels) {
        for (std::uint32_t ch = 0; ch < channels; ++ch) {
            buffers_[ch].mNumberChannels = 1;
            buffers_[ch].mDataByteSize = static_cast<std::uint32_t>(frames * sizeof(float));
            buffers_[ch].mData = storage_[ch].data();
        }
        list_.mNumberBuffers = channels;
        list_.mBuffers = buffers_.data();
    }
    OwnedAudioBufferList(const OwnedAudioBufferList&) = delete;
    OwnedAudioBufferList& operator=(const OwnedAudioBufferList&) = delete;

    AudioBufferList* list() noexcept { return &list_; }
    std::uint32_t channels() const noexcept { return list_.mNumberBuffers; }
    std::uint32_t frames() const noexcept { return frames_; }
    float* channel(std::uint32_t ch) noexcept { return storage_[ch].data(); }
    const float* channel(std::uint32_t ch) const noexcept { return storage_[ch].data(); }
    /// Points every buffer back at its own storage and sets its byte size for `frameCount` frames
    /// (a render may have redirected mData). Real-time safe.
    void prepare(std::uint32_t frameCount) noexcept {
        for (std::uint32_t ch = 0; ch < list_.mNumberBuffers; ++ch) {
            buffers_[ch].mData = storage_[ch].data();
            buffers_[ch].mDataByteSize = static_cast<std::uint32_t>(frameCount * sizeof(float));
        }
    }

private:
    std::uint32_t frames_;
    std::vector<std::vector<float>> storage_;
    std::vector<AudioBuffer> buffers_;
    AudioBufferList list_;
};

} // namespace platform
