#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "FuzzUnits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace quorbel::fuzz {

using namespace platform;

namespace {

constexpr AUAudioFrameCount kMaxFrames = 1024;
constexpr std::uint32_t kMaxBuffers = 5;
constexpr std::size_t kMaxEvents = 12;

/// An allocated unit with its internal render block and host buffers.
struct RenderRig {
    RenderRig(std::uint32_t channelCount, double sampleRate) : unit(makeFuzzUnit()), channels(channelCount) {
        const AVAudioFormat format(sampleRate, channelCount);
        fuzzCheck((*unit->inputBusses())[0]->setFormat(format, nullptr), "input format");
        fuzzCheck(unit->setMaximumFramesToRender(kMaxFrames), "maximum frames");
        fuzzCheck(unit->allocateRenderResources(nullptr), "allocation");
        block = unit->internalRenderBlock();
    }

    std::shared_ptr<QuorbelAudioUnit> unit;
    std::uint32_t channels;
    AUInternalRenderBlock block;
    /// Per buffer: the input of the call, the host's output storage and the host's own input storage
    /// (where a pull points a null buffer).
    std::array<std::vector<float>, kMaxBuffers> input, output, hostInput;
};

/// Stereo at 44100 Hz, mono at 8000 Hz (the modulation ticks every 160 frames) and three channels at
/// 96000 Hz.
RenderRig& rig(std::uint64_t which) {
    static RenderRig rigs[] = {{2, 44100.0}, {1, 8000.0}, {3, 96000.0}};
    return rigs[which];
}

std::uint32_t nextNoise(std::uint32_t& state) noexcept {
    state = state * 1664525u + 1013904223u;
    return state;
}

} // namespace

int renderBlockTarget(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    RenderRig& r = rig(in.below(3));
    QuorbelAudioUnit& unit = *r.unit;
    unit.reset();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        unit.parameterTree()->parameterWithAddress(i)->setValue(in.interestingFloat());
    }
    std::uint32_t noise = static_cast<std::uint32_t>(in.word());
    // A long first call lets a modulation tick bring the values to the kernel and runs the transforms.
    const bool warmUp = in.flag();

    AudioTimeStamp timestamp{};
    const std::uint64_t calls = warmUp ? 9 + in.below(4) : 1 + in.below(8);
    for (std::uint64_t call = 0; call < calls; ++call) {
        AUAudioFrameCount frames = 0;
        if (warmUp && call < 9) {
            frames = kMaxFrames;
        } else {
            frames = static_cast<AUAudioFrameCount>(in.flag() ? in.below(65) : in.below(kMaxFrames + 2));
        }
        const auto buffers =
            static_cast<std::uint32_t>(in.below(8) == 0 ? in.below(kMaxBuffers + 1) : r.channels);
        std::array<AudioBuffer, kMaxBuffers> bufferArray{};
        AudioBufferList list{buffers, bufferArray.data()};
        const std::uint64_t inputKind = in.below(4);
        for (std::uint32_t b = 0; b < buffers; ++b) {
            r.input[b].assign(frames, 0.0f);
            r.output[b].assign(frames + 1, 0.0f); // never empty, so that data() is a real pointer
            r.hostInput[b].assign(frames + 1, 0.0f);
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                r.input[b][i] =
                    inputKind == 2 ? 0.0f : static_cast<float>(nextNoise(noise) >> 8) / 16777216.0f - 0.5f;
            }
            if (inputKind == 1 && frames > 0) { // a few spoilt samples
                for (std::uint64_t n = in.below(4); n > 0; --n) {
                    r.input[b][in.below(frames)] = in.interestingFloat();
                }
            }
            if (inputKind == 3) { // raw samples from the input
                for (AUAudioFrameCount i = 0; i < std::min<AUAudioFrameCount>(frames, 16); ++i) {
                    r.input[b][i] = in.rawFloat();
                }
            }
            bufferArray[b].mNumberChannels = 1;
            bufferArray[b].mDataByteSize = static_cast<std::uint32_t>(frames * sizeof(float));
            bufferArray[b].mData = in.below(10) == 0 ? nullptr : r.output[b].data();
        }

        // The slice's events: any type byte, mostly parameter addresses near the unit's, any values.
        std::array<AURenderEvent, kMaxEvents> events{};
        const std::size_t eventCount = static_cast<std::size_t>(in.below(kMaxEvents + 1));
        for (std::size_t e = 0; e < eventCount; ++e) {
            AURenderEvent& event = events[e];
            event.head.next = e + 1 < eventCount ? &events[e + 1] : nullptr;
            event.head.eventSampleTime = static_cast<AUEventSampleTime>(in.word());
            const std::uint8_t typeChoice = in.byte();
            if (typeChoice < 200) {
                event.parameter.eventType =
                    typeChoice % 2 == 0 ? AURenderEventParameter : AURenderEventParameterRamp;
                event.parameter.rampDurationSampleFrames = static_cast<AUAudioFrameCount>(in.below(8192));
                event.parameter.parameterAddress = in.flag() ? in.below(14) : in.word();
                event.parameter.value = in.interestingFloat();
            } else {
                event.MIDI.eventType = static_cast<AURenderEventType>(in.byte());
                event.MIDI.length = static_cast<std::uint16_t>(in.below(4));
                event.MIDI.data[0] = in.byte();
            }
        }
        // What the values must be afterwards: the last parameter event for each of the ten addresses wins.
        std::array<std::uint32_t, kParameterCount> expected{};
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            expected[i] = std::bit_cast<std::uint32_t>(unit.paramValue(static_cast<ParamAddress>(i)));
        }
        const AUAudioUnitStatus pullStatus =
            in.below(12) == 0 ? -1 - static_cast<AUAudioUnitStatus>(in.byte()) : noErr;
        if (pullStatus == noErr) {
            for (std::size_t e = 0; e < eventCount; ++e) {
                const AUParameterEvent& p = events[e].parameter;
                if ((p.eventType == AURenderEventParameter || p.eventType == AURenderEventParameterRamp) &&
                    p.parameterAddress < kParameterCount) {
                    expected[p.parameterAddress] = std::bit_cast<std::uint32_t>(p.value);
                }
            }
        }

        const AURenderPullInputBlock pull = [&](AudioUnitRenderActionFlags* flags, const AudioTimeStamp*,
                                                AUAudioFrameCount pulled, NSInteger bus,
                                                AudioBufferList* into) -> AUAudioUnitStatus {
            fuzzCheck(flags != nullptr && *flags == 0 && bus == 0 && pulled == frames && into == &list,
                      "the pull is asked for bus 0 with cleared flags, the call's frames and its buffers");
            if (pullStatus != noErr) {
                return pullStatus;
            }
            for (std::uint32_t b = 0; b < into->mNumberBuffers; ++b) {
                if (into->mBuffers[b].mData == nullptr) {
                    into->mBuffers[b].mData = r.hostInput[b].data();
                }
                if (pulled > 0) { // an empty input vector has no storage to copy from
                    std::memcpy(into->mBuffers[b].mData, r.input[b].data(), pulled * sizeof(float));
                }
            }
            return noErr;
        };
        const AUAudioUnitStatus status =
            r.block(nullptr, &timestamp, frames, 0, &list, eventCount > 0 ? &events[0] : nullptr, pull);
        fuzzCheck(status == pullStatus, "the call returns the pull's status");
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            fuzzCheck(std::bit_cast<std::uint32_t>(unit.paramValue(static_cast<ParamAddress>(i))) ==
                          expected[i],
                      "the last event for a parameter sets its value; nothing else does");
        }
        if (status != noErr) {
            continue;
        }
        const bool bypassed = unit.dspKernel()->params().bypass;
        const AUAudioFrameCount processed = std::min(frames, kMaxFrames);
        for (std::uint32_t b = 0; b < buffers; ++b) {
            const auto* out = static_cast<const float*>(list.mBuffers[b].mData);
            const bool untouched = bypassed || b >= r.channels;
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                if (untouched || i >= processed) {
                    fuzzCheck(std::bit_cast<std::uint32_t>(out[i]) ==
                                  std::bit_cast<std::uint32_t>(r.input[b][i]),
                              "bypassed audio, extra buffers and frames beyond the maximum keep the input");
                } else {
                    fuzzCheck(std::isfinite(out[i]), "processed output is finite");
                }
            }
        }
        timestamp.mSampleTime += frames;
    }
    return 0;
}

} // namespace quorbel::fuzz
