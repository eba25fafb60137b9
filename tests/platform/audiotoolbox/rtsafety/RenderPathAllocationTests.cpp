// Renders through the base class's render block with scheduled events whose internal block sets
// parameter values, so that the implementor observer and the tree's observers run on the render thread.
#include "audiotoolbox/AUAudioUnit.h"
#include "support/AllocationTrap.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace platform;

namespace {

class ParameterUnit : public AUAudioUnit {
public:
    ParameterUnit(const AudioComponentDescription& description, AudioComponentInstantiationOptions options,
                  NSError* outError)
        : AUAudioUnit(description, options, outError) {
        std::vector<std::shared_ptr<AUParameter>> parameters;
        for (AUParameterAddress a = 0; a < 4; ++a) {
            parameters.push_back(
                AUParameterTree::createParameter("p", "P", a, 0.0f, 1.0f, kAudioUnitParameterUnit_Generic,
                                                 std::nullopt, kAudioUnitParameterFlag_IsReadable));
        }
        tree_ = AUParameterTree::createTree(std::move(parameters));
        tree_->setImplementorValueObserver(
            [this](const AUParameter& p, AUValue v) { values_[p.address()] = v; });
        tree_->setImplementorValueProvider([this](const AUParameter& p) { return values_[p.address()]; });
    }

    std::shared_ptr<AUParameterTree> parameterTree() const override { return tree_; }

    AUInternalRenderBlock internalRenderBlock() override {
        return
            [tree = tree_](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount, NSInteger,
                           AudioBufferList*, const AURenderEvent* events, const AURenderPullInputBlock&) {
                for (const AURenderEvent* e = events; e != nullptr; e = e->head.next) {
                    if (AUParameter* p = tree->parameterWithAddress(e->parameter.parameterAddress)) {
                        p->setValue(e->parameter.value, nullptr);
                        (void)p->value();
                    }
                }
                return noErr;
            };
    }

    AUValue values_[4] = {};

private:
    std::shared_ptr<AUParameterTree> tree_;
};

} // namespace

// The counters must see what they are meant to see, or the zero below would prove nothing.
TEST(RenderPath, CountersSeeAllocations) {
    EXPECT_GE(quorbel::test::exerciseTrap().newDelete, 4);
}

TEST(RenderPath, RenderingWithEventsAndObserversNeitherAllocatesNorFrees) {
    auto unit = AUAudioUnit::instantiate<ParameterUnit>(
        AudioComponentDescription{kAudioUnitType_Effect, 1, 1, 0, 0}, 0, nullptr);
    ASSERT_NE(unit, nullptr);
    std::atomic<int> notified{0};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(unit->parameterTree()->tokenByAddingParameterObserver(
                      [&notified](AUParameterAddress, AUValue) { notified.fetch_add(1); }),
                  nullptr);
    }
    ASSERT_TRUE(unit->allocateRenderResources(nullptr));
    const AURenderBlock render = unit->renderBlock();
    const AUScheduleParameterBlock schedule = unit->scheduleParameterBlock();
    const AURenderPullInputBlock pull; // not used by this unit
    OwnedAudioBufferList buffers(2, 64);
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp timestamp{};

    long newDeleteCalls = 0;
    for (int slice = 0; slice < 100; ++slice) {
        for (AUParameterAddress a = 0; a < 5; ++a) { // address 4 does not exist
            schedule(0, slice % 2 == 0 ? 0 : 32, a, static_cast<AUValue>(slice));
        }
        AUAudioUnitStatus status = noErr;
        AUAudioUnitStatus refused = noErr;
        newDeleteCalls += quorbel::test::inRenderScope([&] {
                              status = render(&flags, &timestamp, 64, 0, buffers.list(), pull);
                              refused = render(&flags, &timestamp, 4096, 0, buffers.list(), pull);
                          }).newDelete;
        ASSERT_EQ(status, noErr);
        ASSERT_EQ(refused, kAudioUnitErr_TooManyFramesToProcess);
    }
    EXPECT_EQ(newDeleteCalls, 0);
    EXPECT_EQ(notified.load(), 100 * 4 * 3);
    EXPECT_EQ(unit->values_[3], 99.0f);
}
