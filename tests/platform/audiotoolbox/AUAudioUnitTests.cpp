#include "audiotoolbox/AUAudioUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

using namespace platform;

namespace {

constexpr AudioComponentDescription testDescription{kAudioUnitType_Effect, fourCharCode("tsub"),
                                                    fourCharCode("Test"), 0, 0};

/// One event as the internal block saw it.
struct SeenEvent {
    AURenderEventType type;
    AUEventSampleTime time;
    AUAudioFrameCount ramp;
    AUParameterAddress address;
    AUValue value;
};

/// A unit with one input and one output bus whose internal block records what it receives and
/// writes 1.0 into every output sample.
class RecordingUnit : public AUAudioUnit {
public:
    RecordingUnit(const AudioComponentDescription& description, AudioComponentInstantiationOptions options,
                  NSError* outError)
        : AUAudioUnit(description, options, outError) {
        if (initializationError()) {
            return;
        }
        const AVAudioFormat format(44100.0, 2);
        input_ = AUAudioUnitBusArray::create(*this, AUAudioUnitBusTypeInput,
                                             {AUAudioUnitBus::create(format, nullptr)});
        output_ = AUAudioUnitBusArray::create(*this, AUAudioUnitBusTypeOutput,
                                              {AUAudioUnitBus::create(format, nullptr)});
        if (description.componentFlags == 1) { // lets a test make the subclass's own step fail
            failInitialization(NSError::withOSStatus(-1, "subclass step failed"), outError);
        }
    }

    std::shared_ptr<AUAudioUnitBusArray> inputBusses() const override { return input_; }
    std::shared_ptr<AUAudioUnitBusArray> outputBusses() const override { return output_; }

    AUInternalRenderBlock internalRenderBlock() override {
        return [this](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount frameCount,
                      NSInteger, AudioBufferList* outputData, const AURenderEvent* events,
                      const AURenderPullInputBlock&) -> AUAudioUnitStatus {
            ++calls;
            lastFrameCount = frameCount;
            lastEvents.clear();
            for (const AURenderEvent* e = events; e != nullptr; e = e->head.next) {
                lastEvents.push_back(SeenEvent{e->head.eventType, e->head.eventSampleTime,
                                               e->parameter.rampDurationSampleFrames,
                                               e->parameter.parameterAddress, e->parameter.value});
            }
            for (std::uint32_t b = 0; b < outputData->mNumberBuffers; ++b) {
                std::fill_n(static_cast<float*>(outputData->mBuffers[b].mData), frameCount, 1.0f);
            }
            return noErr;
        };
    }

    int calls = 0;
    AUAudioFrameCount lastFrameCount = 0;
    std::vector<SeenEvent> lastEvents;

private:
    std::shared_ptr<AUAudioUnitBusArray> input_;
    std::shared_ptr<AUAudioUnitBusArray> output_;
};

std::shared_ptr<RecordingUnit> makeUnit() {
    NSError error;
    auto unit = AUAudioUnit::instantiate<RecordingUnit>(testDescription, 0, &error);
    EXPECT_NE(unit, nullptr) << error.localizedDescription();
    return unit;
}

/// Buffers filled with a value that no render writes.
struct SentinelBuffers {
    static constexpr float sentinel = -7.25f;
    OwnedAudioBufferList buffers{2, 1024};
    SentinelBuffers() {
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            std::fill_n(buffers.channel(ch), 1024, sentinel);
        }
    }
    bool untouched() const {
        for (std::uint32_t ch = 0; ch < 2; ++ch) {
            const float* c = buffers.channel(ch);
            if (!std::all_of(c, c + 1024, [](float v) { return v == sentinel; })) {
                return false;
            }
        }
        return true;
    }
};

AUAudioUnitStatus render(const AURenderBlock& block, SentinelBuffers& b, AUAudioFrameCount frames) {
    AudioUnitRenderActionFlags flags = 0;
    AudioTimeStamp timestamp{};
    b.buffers.prepare(frames);
    return block(&flags, &timestamp, frames, 0, b.buffers.list(), AURenderPullInputBlock{});
}

} // namespace

TEST(AUAudioUnit, InstantiationFailsWithTheErrorOfTheBaseOrTheSubclass) {
    NSError error;
    AudioComponentDescription noType = testDescription;
    noType.componentType = 0;
    EXPECT_EQ(AUAudioUnit::instantiate<RecordingUnit>(noType, 0, &error), nullptr);
    EXPECT_EQ(error.domain(), NSOSStatusErrorDomain);
    EXPECT_EQ(error.code(), kAudioUnitErr_FailedInitialization);

    AudioComponentDescription subclassFails = testDescription;
    subclassFails.componentFlags = 1;
    EXPECT_EQ(AUAudioUnit::instantiate<RecordingUnit>(subclassFails, 0, &error), nullptr);
    EXPECT_EQ(error.code(), -1);
    EXPECT_EQ(error.localizedDescription(), "subclass step failed");
}

TEST(AUAudioUnit, RenderRefusesWhileNotAllocatedWithoutTouchingBuffers) {
    auto unit = makeUnit();
    const AURenderBlock block = unit->renderBlock();
    SentinelBuffers b;
    EXPECT_EQ(render(block, b, 64), kAudioUnitErr_Uninitialized);
    EXPECT_TRUE(b.untouched());

    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    SentinelBuffers ok;
    EXPECT_EQ(render(block, ok, 64), noErr);
    EXPECT_FALSE(ok.untouched());

    unit->deallocateRenderResources();
    SentinelBuffers after;
    EXPECT_EQ(render(block, after, 64), kAudioUnitErr_Uninitialized);
    EXPECT_TRUE(after.untouched());
    EXPECT_EQ(unit->calls, 1);
}

TEST(AUAudioUnit, RenderRefusesFrameCountsAboveTheMaximumWithoutTouchingBuffersOrEvents) {
    auto unit = makeUnit();
    EXPECT_EQ(unit->maximumFramesToRender(), 512u);
    ASSERT_TRUE(unit->setMaximumFramesToRender(256));
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    const AURenderBlock block = unit->renderBlock();
    unit->scheduleParameterBlock()(AUEventSampleTimeImmediate, 0, 3, 0.25f);

    SentinelBuffers b;
    EXPECT_EQ(render(block, b, 257), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_TRUE(b.untouched());
    EXPECT_EQ(unit->calls, 0);

    // The event waits for the next accepted slice; the maximum itself is accepted.
    EXPECT_EQ(render(block, b, 256), noErr);
    EXPECT_EQ(unit->lastFrameCount, 256u);
    ASSERT_EQ(unit->lastEvents.size(), 1u);
    EXPECT_EQ(unit->lastEvents[0].value, 0.25f);
}

TEST(AUAudioUnit, MaximumFramesToRenderChangesOnlyWhileNotAllocated) {
    auto unit = makeUnit();
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    EXPECT_FALSE(unit->setMaximumFramesToRender(4096));
    EXPECT_EQ(unit->maximumFramesToRender(), 512u);
    unit->deallocateRenderResources();
    EXPECT_TRUE(unit->setMaximumFramesToRender(4096));
    EXPECT_EQ(unit->maximumFramesToRender(), 4096u);
}

TEST(AUAudioUnit, ScheduledEventsBecomeTheNextSlicesEventListInOrder) {
    auto unit = makeUnit();
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    const AURenderBlock block = unit->renderBlock();
    const AUScheduleParameterBlock schedule = unit->scheduleParameterBlock();
    schedule(100, 0, 7, 0.5f);
    schedule(AUEventSampleTimeImmediate, 512, 2, 1.0f);
    schedule(-3, 0, 7, -2.0f);

    SentinelBuffers b;
    ASSERT_EQ(render(block, b, 64), noErr);
    ASSERT_EQ(unit->lastEvents.size(), 3u);
    const SeenEvent expected[] = {{AURenderEventParameter, 100, 0, 7, 0.5f},
                                  {AURenderEventParameterRamp, AUEventSampleTimeImmediate, 512, 2, 1.0f},
                                  {AURenderEventParameter, -3, 0, 7, -2.0f}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(unit->lastEvents[i].type, expected[i].type) << i;
        EXPECT_EQ(unit->lastEvents[i].time, expected[i].time) << i;
        EXPECT_EQ(unit->lastEvents[i].ramp, expected[i].ramp) << i;
        EXPECT_EQ(unit->lastEvents[i].address, expected[i].address) << i;
        EXPECT_EQ(unit->lastEvents[i].value, expected[i].value) << i;
    }
    ASSERT_EQ(render(block, b, 64), noErr);
    EXPECT_TRUE(unit->lastEvents.empty());
}

TEST(AUAudioUnit, EventsBeyondTheQueueCapacityAreDroppedAndDeallocationDiscardsTheRest) {
    auto unit = makeUnit();
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    const AURenderBlock block = unit->renderBlock();
    const AUScheduleParameterBlock schedule = unit->scheduleParameterBlock();
    const std::size_t capacity = ScheduledEventQueue::capacity;
    for (std::size_t i = 0; i < capacity + 10; ++i) {
        schedule(0, 0, 1, static_cast<AUValue>(i));
    }
    SentinelBuffers b;
    ASSERT_EQ(render(block, b, 16), noErr);
    ASSERT_EQ(unit->lastEvents.size(), capacity);
    EXPECT_EQ(unit->lastEvents.back().value, static_cast<AUValue>(capacity - 1));

    schedule(0, 0, 1, 9.0f);
    unit->deallocateRenderResources();
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    ASSERT_EQ(render(block, b, 16), noErr);
    EXPECT_TRUE(unit->lastEvents.empty());
}

TEST(AUAudioUnit, EventsScheduledFromSeveralThreadsArriveOnceAndInEachThreadsOrder) {
    auto unit = makeUnit();
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    const AURenderBlock block = unit->renderBlock();
    constexpr int producers = 4;
    constexpr int perProducer = 2000;
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&, p, schedule = unit->scheduleParameterBlock()] {
            for (int i = 0; i < perProducer; ++i) {
                schedule(0, 0, static_cast<AUParameterAddress>(p), static_cast<AUValue>(i));
            }
            ++finished;
        });
    }
    std::vector<std::vector<AUValue>> received(producers);
    SentinelBuffers b;
    auto collect = [&] {
        ASSERT_EQ(render(block, b, 32), noErr);
        for (const SeenEvent& e : unit->lastEvents) {
            ASSERT_LT(e.address, static_cast<AUParameterAddress>(producers));
            received[e.address].push_back(e.value);
        }
    };
    while (finished.load() < producers) {
        collect();
    }
    for (std::thread& t : threads) {
        t.join();
    }
    collect();
    for (const auto& got : received) {
        EXPECT_LE(got.size(), static_cast<std::size_t>(perProducer));
        EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
        EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end());
    }
}

TEST(AUAudioUnit, AllocationFailsWithoutAnInternalRenderBlock) {
    NSError error;
    auto unit = AUAudioUnit::instantiate<AUAudioUnit>(testDescription, 0, &error);
    ASSERT_NE(unit, nullptr);
    EXPECT_FALSE(unit->allocateRenderResources(&error));
    EXPECT_EQ(error.code(), kAudioUnitErr_FailedInitialization);
    EXPECT_FALSE(unit->renderResourcesAllocated());
    SentinelBuffers b;
    EXPECT_EQ(render(unit->renderBlock(), b, 16), kAudioUnitErr_Uninitialized);
}

TEST(AUAudioUnit, BaseFullStateHoldsTheRegisteredIdentityAndSettingItChangesNothing) {
    const AudioComponentDescription description{kAudioUnitType_Effect, fourCharCode("idnt"),
                                                fourCharCode("Test"), 0, 0};
    AudioComponentRegister(description, "Test: Identity", 0x00010203);
    auto unit = AUAudioUnit::instantiate<AUAudioUnit>(description, 0, nullptr);
    ASSERT_NE(unit, nullptr);
    const std::optional<PropertyListDictionary> state = unit->fullState();
    ASSERT_TRUE(state.has_value());
    const PropertyListDictionary expected{{"type", PropertyList(0x61756678)}, // 'aufx'
                                          {"subtype", PropertyList(fourCharCode("idnt"))},
                                          {"manufacturer", PropertyList(fourCharCode("Test"))},
                                          {"version", PropertyList(0x00010203)},
                                          {"name", PropertyList("Test: Identity")}};
    EXPECT_EQ(*state, expected);

    PropertyListDictionary changed = *state;
    changed.set("type", PropertyList(1));
    changed.set("extra", PropertyList(true));
    unit->setFullState(changed);
    unit->setFullState(std::nullopt);
    EXPECT_EQ(unit->fullState(), state);

    // An unregistered component has an empty name and version 0.
    auto unnamed = AUAudioUnit::instantiate<AUAudioUnit>(testDescription, 0, nullptr);
    EXPECT_EQ(*unnamed->fullState()->find("name"), PropertyList(""));
    EXPECT_EQ(*unnamed->fullState()->find("version"), PropertyList(0));
}

TEST(AUAudioUnitBus, SetFormatRefusesWhatUnitsCannotRenderAndKeepsTheFormat) {
    struct Case {
        const char* what;
        AVAudioFormat format;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case refused[] = {
        {"16-bit integer", AVAudioFormat(AVAudioPCMFormatInt16, 48000.0, 2, false)},
        {"64-bit float", AVAudioFormat(AVAudioPCMFormatFloat64, 48000.0, 2, false)},
        {"interleaved", AVAudioFormat(AVAudioPCMFormatFloat32, 48000.0, 2, true)},
        {"no channels", AVAudioFormat(48000.0, 0)},
        {"zero rate", AVAudioFormat(0.0, 2)},
        {"negative rate", AVAudioFormat(-44100.0, 2)},
        {"NaN rate", AVAudioFormat(nan, 2)},
        {"infinite rate", AVAudioFormat(inf, 2)},
    };
    auto bus = AUAudioUnitBus::create(AVAudioFormat(44100.0, 2), nullptr);
    ASSERT_NE(bus, nullptr);
    for (const Case& c : refused) {
        NSError error;
        EXPECT_FALSE(bus->setFormat(c.format, &error)) << c.what;
        EXPECT_EQ(error.domain(), NSOSStatusErrorDomain) << c.what;
        EXPECT_EQ(error.code(), kAudioUnitErr_FormatNotSupported) << c.what;
        EXPECT_EQ(bus->format(), AVAudioFormat(44100.0, 2)) << c.what;
        EXPECT_EQ(AUAudioUnitBus::create(c.format, &error), nullptr) << c.what;
    }
    EXPECT_TRUE(bus->setFormat(AVAudioFormat(48000.0, 1), nullptr));
    EXPECT_EQ(bus->format().sampleRate(), 48000.0);
    EXPECT_EQ(bus->format().channelCount(), 1u);
}

TEST(AUAudioUnitBus, FormatChangesAreRefusedWhileTheOwnerIsAllocated) {
    auto unit = makeUnit();
    const std::shared_ptr<AUAudioUnitBus> bus = (*unit->inputBusses())[0];
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    NSError error;
    EXPECT_FALSE(bus->setFormat(AVAudioFormat(48000.0, 2), &error));
    EXPECT_EQ(error.code(), kAudioUnitErr_CannotDoInCurrentContext);
    EXPECT_TRUE(bus->setFormat(AVAudioFormat(44100.0, 2), nullptr)); // no change
    unit->deallocateRenderResources();
    EXPECT_TRUE(bus->setFormat(AVAudioFormat(48000.0, 2), nullptr));

    // A bus outliving its unit takes changes again.
    unit.reset();
    EXPECT_TRUE(bus->setFormat(AVAudioFormat(96000.0, 2), nullptr));
}

TEST(AVAudioFormat, EqualityComparesSampleTypeLayoutRateAndChannels) {
    const AVAudioFormat standard(48000.0, 2);
    EXPECT_TRUE(standard.isStandard());
    EXPECT_EQ(standard, AVAudioFormat(AVAudioPCMFormatFloat32, 48000.0, 2, false));
    EXPECT_NE(standard, AVAudioFormat(44100.0, 2));
    EXPECT_NE(standard, AVAudioFormat(48000.0, 1));
    EXPECT_NE(standard, AVAudioFormat(AVAudioPCMFormatFloat32, 48000.0, 2, true));
    EXPECT_NE(standard, AVAudioFormat(AVAudioPCMFormatInt32, 48000.0, 2, false));
}
