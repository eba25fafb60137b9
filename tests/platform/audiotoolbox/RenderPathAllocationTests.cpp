// Counts every operator new and delete that a thread makes while its "in render" flag is set, then
// renders through the base class's render block with scheduled events whose internal block sets
// parameter values, so that the implementor observer and the tree's observers run on the render thread.
#include "audiotoolbox/AUAudioUnit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool inRender = false;
std::atomic<long> newDeleteCalls{0};

void note() noexcept {
    if (inRender) {
        newDeleteCalls.fetch_add(1, std::memory_order_relaxed);
    }
}

void* allocate(std::size_t size) {
    note();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    note();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    note();
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept {
    note();
    std::free(p);
}
void operator delete[](void* p) noexcept {
    note();
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    note();
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    note();
    std::free(p);
}

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

    newDeleteCalls.store(0);
    for (int slice = 0; slice < 100; ++slice) {
        for (AUParameterAddress a = 0; a < 5; ++a) { // address 4 does not exist
            schedule(0, slice % 2 == 0 ? 0 : 32, a, static_cast<AUValue>(slice));
        }
        inRender = true;
        const AUAudioUnitStatus status = render(&flags, &timestamp, 64, 0, buffers.list(), pull);
        const AUAudioUnitStatus refused = render(&flags, &timestamp, 4096, 0, buffers.list(), pull);
        inRender = false;
        ASSERT_EQ(status, noErr);
        ASSERT_EQ(refused, kAudioUnitErr_TooManyFramesToProcess);
    }
    EXPECT_EQ(newDeleteCalls.load(), 0);
    EXPECT_EQ(notified.load(), 100 * 4 * 3);
    EXPECT_EQ(unit->values_[3], 99.0f);
}
