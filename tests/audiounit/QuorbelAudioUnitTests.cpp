#include "UnitTestSupport.h"

#include "audiounit/ParameterTree.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quorbel {
namespace {

using namespace platform;
using test::makeUnit;
using test::parameter;

const ModulationInput& kernelInput(const QuorbelAudioUnit& unit) {
    return unit.dspKernel()->modulation().input;
}

TEST(QuorbelAudioUnit, FreshUnitHasItsDefaultsInTreeAndKernelAndIsNotAllocated) {
    auto unit = makeUnit();
    ASSERT_NE(unit, nullptr);
    const float defaults[kParameterCount] = {0.5f, 5.0f, 500.0f, 0.0f, 0.0f, 0.0f, 0.7f, 0.0f, 0.0f, 0.0f};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        EXPECT_EQ(parameter(*unit, static_cast<ParamAddress>(i)).value(), defaults[i]) << i;
    }
    // The constructor does not write the kernel's record; it holds the same defaults on its own.
    const ModulationInput& in = kernelInput(*unit);
    EXPECT_EQ(in.mix.load(), 0.5f);
    EXPECT_EQ(in.feed.load(), 5.0f);
    EXPECT_EQ(in.tone.load(), 500.0f);
    EXPECT_EQ(in.volume.load(), 0.7f);
    EXPECT_EQ(in.orbit.load(), 0.0);
    EXPECT_FALSE(in.bypass.load());
    EXPECT_FALSE(in.broken.load());
    EXPECT_EQ(in.filterMode.load(), 0);
    EXPECT_FALSE(unit->dspKernel()->isAllocated());

    ASSERT_EQ(unit->inputBusses()->count(), 1u);
    ASSERT_EQ(unit->outputBusses()->count(), 1u);
    EXPECT_EQ(unit->inputBusses()->busType(), 1); // the platform's input and output bus types
    EXPECT_EQ(unit->outputBusses()->busType(), 2);
    EXPECT_EQ((*unit->inputBusses())[0]->format(), AVAudioFormat(44100.0, 2));
    EXPECT_EQ((*unit->outputBusses())[0]->format(), AVAudioFormat(44100.0, 2));
    EXPECT_EQ(unit->tailTime(), 1.0);
    EXPECT_EQ(unit->channelCapabilities(), (std::vector<NSInteger>{-1, -1}));
    EXPECT_EQ(unit->componentName(), "Quorbel");
}

TEST(QuorbelAudioUnit, FailedBaseInitialiserGivesNoUnitAndItsError) {
    NSError error;
    AudioComponentDescription bad = kQuorbelComponentDescription;
    bad.componentType = 0;
    EXPECT_EQ(AUAudioUnit::instantiate<QuorbelAudioUnit>(bad, 0, &error), nullptr);
    EXPECT_EQ(error.code(), kAudioUnitErr_FailedInitialization);
    EXPECT_EQ(error.domain(), NSOSStatusErrorDomain);
}

TEST(QuorbelAudioUnit, LatencyIs16384SamplesAtTheInputRate) {
    auto unit = makeUnit();
    AUAudioUnitBus& input = *(*unit->inputBusses())[0];
    EXPECT_DOUBLE_EQ(unit->latency(), 0.37151927437641724);
    ASSERT_TRUE(input.setFormat(AVAudioFormat(48000.0, 2), nullptr));
    EXPECT_EQ(unit->latency(), 0.3413333333333333);
    ASSERT_TRUE(input.setFormat(AVAudioFormat(44100.0, 2), nullptr));
    EXPECT_EQ(unit->latency(), 0.37151927437641724);
    // A rate of 0 never reaches the bus (it refuses it), so the latency stays that of the current rate.
    EXPECT_FALSE(input.setFormat(AVAudioFormat(0.0, 2), nullptr));
    EXPECT_EQ(unit->latency(), 0.37151927437641724);
}

TEST(QuorbelAudioUnit, BypassIsOnStrictlyAboveOneHalf) {
    auto unit = makeUnit();
    unit->setParamValue(ParamAddress::bypass, 0.5f);
    EXPECT_FALSE(unit->shouldBypassEffect());
    unit->setParamValue(ParamAddress::bypass, 0.51f);
    EXPECT_TRUE(unit->shouldBypassEffect());
    unit->setParamValue(ParamAddress::bypass, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(unit->shouldBypassEffect());
}

TEST(QuorbelAudioUnit, BypassSetterGoesThroughTheTreeAndUpdatesTheKernel) {
    auto unit = makeUnit();
    test::NotificationLog log(unit->parameterTree());
    unit->setShouldBypassEffect(true);
    EXPECT_EQ(parameter(*unit, ParamAddress::bypass).value(), 1.0f);
    EXPECT_TRUE(kernelInput(*unit).bypass.load());
    EXPECT_TRUE(unit->shouldBypassEffect());
    unit->setShouldBypassEffect(false);
    EXPECT_EQ(parameter(*unit, ParamAddress::bypass).value(), 0.0f);
    EXPECT_FALSE(kernelInput(*unit).bypass.load());
    using Seen = std::vector<std::pair<AUParameterAddress, AUValue>>;
    EXPECT_EQ(log.seen, (Seen{{7, 1.0f}, {7, 0.0f}}));
}

TEST(QuorbelAudioUnit, WithoutATreeTheBypassSetterAndRestoredStateStillReachStoreAndKernel) {
    auto unit = makeUnit();
    unit->setParameterTree(nullptr);
    unit->setShouldBypassEffect(true);
    EXPECT_EQ(unit->paramValue(ParamAddress::bypass), 1.0f);
    EXPECT_TRUE(kernelInput(*unit).bypass.load());

    unit->setFullState(PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"tone", 800.0}}}});
    EXPECT_EQ(unit->paramValue(ParamAddress::tone), 800.0f);
    EXPECT_EQ(kernelInput(*unit).tone.load(), 800.0f);
}

TEST(QuorbelAudioUnit, AllocationAdoptsTheInputFormatAndHandsOverTheValues) {
    auto unit = makeUnit();
    ASSERT_TRUE((*unit->inputBusses())[0]->setFormat(AVAudioFormat(48000.0, 1), nullptr));
    ASSERT_TRUE(unit->setMaximumFramesToRender(256));
    unit->setParamValue(ParamAddress::mix, 0.9f); // stored only: reaches the kernel at allocation
    EXPECT_EQ(kernelInput(*unit).mix.load(), 0.5f);

    NSError error;
    ASSERT_TRUE(unit->allocateRenderResources(&error)) << error.localizedDescription();
    EXPECT_EQ((*unit->outputBusses())[0]->format(), AVAudioFormat(48000.0, 1));
    const QuorbelDSPKernel& kernel = *unit->dspKernel();
    EXPECT_TRUE(kernel.isAllocated());
    EXPECT_EQ(kernel.channelCount(), 1);
    EXPECT_EQ(kernel.sampleRate(), 48000.0);
    EXPECT_EQ(kernel.maxFrames(), 256);
    EXPECT_EQ(kernelInput(*unit).mix.load(), 0.9f);
    EXPECT_TRUE(unit->renderResourcesAllocated());

    unit->deallocateRenderResources();
    EXPECT_FALSE(kernel.isAllocated());
    EXPECT_FALSE(unit->renderResourcesAllocated());
}

TEST(QuorbelAudioUnit, AllocationFailsCleanlyWhenTheOutputBusRefusesTheFormat) {
    auto unit = makeUnit();
    auto holder = makeUnit();
    ASSERT_TRUE(holder->allocateRenderResources(nullptr));
    // The output bus now also belongs to a unit with allocated resources, so it refuses every change.
    AUAudioUnitBusArray::create(*holder, AUAudioUnitBusTypeOutput, {(*unit->outputBusses())[0]});
    ASSERT_TRUE((*unit->inputBusses())[0]->setFormat(AVAudioFormat(48000.0, 1), nullptr));
    unit->setParamValue(ParamAddress::mix, 0.9f);

    NSError error;
    EXPECT_FALSE(unit->allocateRenderResources(&error));
    EXPECT_EQ(error.code(), kAudioUnitErr_CannotDoInCurrentContext);
    EXPECT_EQ((*unit->outputBusses())[0]->format(), AVAudioFormat(44100.0, 2));
    EXPECT_FALSE(unit->renderResourcesAllocated());
    EXPECT_FALSE(unit->dspKernel()->isAllocated());
    EXPECT_EQ(unit->dspKernel()->sampleRate(), 44100.0); // the kernel was not touched
    EXPECT_EQ(kernelInput(*unit).mix.load(), 0.5f);      // nor were the values handed over
}

TEST(QuorbelAudioUnit, KernelUpdateTruncatesFilterModeAndComparesSwitchesStrictly) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr std::int64_t maxI = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t minI = std::numeric_limits<std::int64_t>::min();
    const struct {
        float filterMode;
        std::int64_t expected;
    } modes[] = {{2.9f, 2}, {-0.7f, 0},  {7.0f, 7},    {1.9f, 1},
                 {nan, 0},  {inf, maxI}, {-inf, minI}, {1e30f, maxI}};
    const struct {
        float value;
        bool on;
    } switches[] = {{0.5f, false}, {0.51f, true}, {1.0f, true}, {nan, false}, {-1.0f, false}, {inf, true}};

    auto unit = makeUnit();
    for (const auto& m : modes) {
        unit->setParamValue(ParamAddress::filterMode, m.filterMode);
        unit->updateKernelParameters();
        EXPECT_EQ(kernelInput(*unit).filterMode.load(), m.expected) << m.filterMode;
    }
    for (const auto& s : switches) {
        unit->setParamValue(ParamAddress::fail, s.value);
        unit->setParamValue(ParamAddress::bypass, s.value);
        unit->updateKernelParameters();
        EXPECT_EQ(kernelInput(*unit).broken.load(), s.on) << s.value;
        EXPECT_EQ(kernelInput(*unit).bypass.load(), s.on) << s.value;
    }

    // Nothing is clamped, and the three 64-bit fields receive the float values widened exactly.
    const float values[] = {1.7f, 40.0f, 5000.0f, 0.3f, -0.7f, 3.5f, 2.5f};
    const ParamAddress addresses[] = {ParamAddress::mix,   ParamAddress::feed,   ParamAddress::tone,
                                      ParamAddress::orbit, ParamAddress::vexity, ParamAddress::doubt,
                                      ParamAddress::volume};
    for (std::size_t i = 0; i < 7; ++i) {
        unit->setParamValue(addresses[i], values[i]);
    }
    unit->updateKernelParameters();
    const ModulationInput& in = kernelInput(*unit);
    EXPECT_EQ(in.mix.load(), 1.7f);
    EXPECT_EQ(in.feed.load(), 40.0f);
    EXPECT_EQ(in.tone.load(), 5000.0f);
    EXPECT_EQ(in.orbit.load(), static_cast<double>(0.3f));
    EXPECT_EQ(in.vexity.load(), static_cast<double>(-0.7f));
    EXPECT_EQ(in.confusion.load(), 3.5);
    EXPECT_EQ(in.volume.load(), 2.5f);
}

TEST(QuorbelAudioUnit, ValueForAnUnknownAddressStoresNothingYetRewritesTheKernelRecord) {
    auto unit = makeUnit();
    // Only a tree changed from outside could hold such a parameter: call the unit's callbacks with one.
    auto stranger = AUParameterTree::createParameter(
        "x", "X", 12, 0.0f, 1.0f, kAudioUnitParameterUnit_Generic, std::nullopt, kParameterFlags);
    unit->setParamValue(ParamAddress::mix, 0.9f); // stored, not yet handed over
    unit->parameterTree()->implementorValueObserver()(*stranger, 0.25f);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (i != index(ParamAddress::mix)) {
            EXPECT_EQ(unit->paramValue(static_cast<ParamAddress>(i)), kParameterTable[i].defaultValue);
        }
    }
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 0.9f);
    EXPECT_EQ(kernelInput(*unit).mix.load(), 0.9f);
    EXPECT_EQ(unit->parameterTree()->implementorValueProvider()(*stranger), 0.0f);
}

TEST(QuorbelAudioUnit, TreeOutlivingTheUnitNeitherStoresNorReportsValues) {
    auto unit = makeUnit();
    std::shared_ptr<AUParameterTree> tree = unit->parameterTree();
    std::shared_ptr<QuorbelDSPKernel> kernel = unit->dspKernel();
    parameter(*unit, ParamAddress::tone).setValue(800.0f);
    unit.reset();
    AUParameter* tone = tree->parameterWithAddress(index(ParamAddress::tone));
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ(tone->value(), 0.0f);
    tone->setValue(300.0f);
    EXPECT_EQ(tone->value(), 0.0f);
    EXPECT_EQ(kernel->modulation().input.tone.load(), 800.0f); // no longer written
}

TEST(QuorbelAudioUnit, ResetAfterRenderingRestartsTheModulationClock) {
    auto unit = makeUnit();
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    AUInternalRenderBlock block = unit->internalRenderBlock();
    OwnedAudioBufferList buffers(2, 512);
    const AURenderPullInputBlock pull = [](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                           AUAudioFrameCount, NSInteger,
                                           AudioBufferList*) -> AUAudioUnitStatus { return noErr; };
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(block(nullptr, nullptr, 512, 0, buffers.list(), nullptr, pull), noErr);
    }
    EXPECT_GT(unit->dspKernel()->modulation().time(), 0.0);
    unit->reset();
    EXPECT_EQ(unit->dspKernel()->modulation().time(), 0.0);
    EXPECT_EQ(unit->dspKernel()->modulationAccumulator(), 0.0);
    EXPECT_TRUE(unit->renderResourcesAllocated());
}

} // namespace
} // namespace quorbel
