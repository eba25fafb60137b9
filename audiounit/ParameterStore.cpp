#include "audiounit/ParameterStore.h"

#include "dsp/FilterMode.h"

#include <cstdint>
#include <utility>

namespace quorbel {

ParameterStore::ParameterStore(std::shared_ptr<QuorbelDSPKernel> kernel) noexcept
    : kernel_(std::move(kernel)) {
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        values_[i].store(kParameterTable[i].defaultValue);
    }
}

void ParameterStore::updateKernelParameters() noexcept {
    const float mix = value(ParamAddress::mix);
    const float feed = value(ParamAddress::feed);
    const float tone = value(ParamAddress::tone);
    const float orbit = value(ParamAddress::orbit);
    const float vexity = value(ParamAddress::vexity);
    const float doubt = value(ParamAddress::doubt);
    const float volume = value(ParamAddress::volume);
    const float bypass = value(ParamAddress::bypass);
    const float fail = value(ParamAddress::fail);
    const float filterMode = value(ParamAddress::filterMode);
    const std::int64_t mode = filterModeNumber(filterMode);

    ModulationInput& input = kernel_->modulation().input;
    input.orbit = static_cast<double>(orbit);
    input.vexity = static_cast<double>(vexity);
    input.confusion = static_cast<double>(doubt);
    input.mix = mix;
    input.feed = feed;
    input.tone = tone;
    input.broken = fail > 0.5f; // strict: 0.5 and NaN are off
    input.volume = volume;
    input.bypass = bypass > 0.5f;
    input.filterMode = mode;
}

} // namespace quorbel
