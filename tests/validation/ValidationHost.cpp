#include "ValidationHost.h"

#include "audiounit/QuorbelComponent.h"
#include "support/Noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>

namespace quorbel::validation {

using namespace platform;

std::uint64_t runSeed() {
    static const std::uint64_t seed = [] {
        std::uint64_t s = 0;
        if (const char* text = std::getenv("QUORBEL_VALIDATION_SEED"); text != nullptr && *text != '\0') {
            s = std::strtoull(text, nullptr, 0);
        } else {
            std::random_device device;
            s = (static_cast<std::uint64_t>(device()) << 32) ^ device();
        }
        std::cout << "validation seed " << s << " (repeat with QUORBEL_VALIDATION_SEED=" << s << ")\n";
        return s;
    }();
    return seed;
}

std::string seedNote() {
    const std::string s = std::to_string(runSeed());
    return "seed " + s + " (repeat with QUORBEL_VALIDATION_SEED=" + s + ")";
}

std::mt19937_64 seededRng(std::uint64_t stream) {
    std::seed_seq seq{runSeed() & 0xffffffffu, runSeed() >> 32, stream};
    return std::mt19937_64(seq);
}

bool allFinite(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(samples[i])) {
            return false;
        }
    }
    return true;
}

ValidationHost::ValidationHost() {
    registerQuorbelComponent();
    NSError error;
    unit_ = AUAudioUnit::instantiate<QuorbelAudioUnit>(kQuorbelComponentDescription, 0, &error);
    if (!unit_) {
        ADD_FAILURE() << "the unit could not be created: " << error.localizedDescription();
        return;
    }
    renderBlock_ = unit_->renderBlock();
    scheduleBlock_ = unit_->scheduleParameterBlock();
    pull_ = [this](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount frames, NSInteger,
                   AudioBufferList* data) -> AUAudioUnitStatus {
        ++pulls_;
        for (std::uint32_t ch = 0; ch < data->mNumberBuffers && ch < input_->channels(); ++ch) {
            if (data->mBuffers[ch].mData == nullptr) {
                data->mBuffers[ch].mData = input_->channel(ch);
                continue;
            }
            auto* out = static_cast<float*>(data->mBuffers[ch].mData);
            const float* in = input_->channel(ch);
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                out[i] = in[i];
            }
        }
        return noErr;
    };
    const AVAudioFormat format = (*unit_->inputBusses())[0]->format();
    input_ =
        std::make_unique<OwnedAudioBufferList>(format.channelCount(), unit_->maximumFramesToRender() + 64);
    output_ =
        std::make_unique<OwnedAudioBufferList>(format.channelCount(), unit_->maximumFramesToRender() + 64);
}

ValidationHost::~ValidationHost() = default;

bool ValidationHost::configure(double sampleRate, std::uint32_t channels, AUAudioFrameCount maxFrames) {
    const AVAudioFormat format(sampleRate, channels);
    if (!(*unit_->inputBusses())[0]->setFormat(format, nullptr) ||
        !(*unit_->outputBusses())[0]->setFormat(format, nullptr) ||
        !unit_->setMaximumFramesToRender(maxFrames)) {
        return false;
    }
    input_ = std::make_unique<OwnedAudioBufferList>(channels, maxFrames + 64);
    output_ = std::make_unique<OwnedAudioBufferList>(channels, maxFrames + 64);
    return true;
}

bool ValidationHost::allocate() {
    NSError error;
    const bool ok = unit_->allocateRenderResources(&error);
    if (!ok) {
        ADD_FAILURE() << "allocation failed: " << error.localizedDescription();
    }
    return ok;
}

void ValidationHost::deallocate() {
    unit_->deallocateRenderResources();
}

void ValidationHost::fillInputNoise(std::mt19937_64& rng, AUAudioFrameCount frames, float amplitude) {
    for (std::uint32_t ch = 0; ch < input_->channels(); ++ch) {
        test::fillNoise(rng, input_->channel(ch), frames, amplitude);
    }
}

AUAudioUnitStatus ValidationHost::render(AUAudioFrameCount frames) {
    output_->prepare(frames);
    AudioUnitRenderActionFlags flags = 0;
    const AUAudioUnitStatus status = renderBlock_(&flags, &timestamp_, frames, 0, output_->list(), pull_);
    if (status == noErr) {
        timestamp_.mSampleTime += frames;
    }
    return status;
}

bool ValidationHost::outputFinite(AUAudioFrameCount frames) const {
    for (std::uint32_t ch = 0; ch < output_->channels(); ++ch) {
        if (!allFinite(output_->channel(ch), frames)) {
            return false;
        }
    }
    return true;
}

void ValidationHost::schedule(AUParameterAddress address, AUValue value, AUAudioFrameCount rampFrames) {
    scheduleBlock_(AUEventSampleTimeImmediate, rampFrames, address, value);
}

} // namespace quorbel::validation
