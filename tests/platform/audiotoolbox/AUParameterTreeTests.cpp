#include "audiotoolbox/AUParameterTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

/// a + b, by appending (GCC 12 warns falsely about `"text" + std::string`).
std::string cat(std::string a, const std::string& b) {
    return a.append(b);
}

constexpr AudioUnitParameterOptions readWrite =
    kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;

std::shared_ptr<AUParameter> makeParameter(AUParameterAddress address,
                                           AudioUnitParameterUnit unit = kAudioUnitParameterUnit_Generic,
                                           std::vector<std::string> valueStrings = {}) {
    return AUParameterTree::createParameter(cat("p", std::to_string(address)), "P", address, 0.0f, 1.0f, unit,
                                            std::nullopt, readWrite, std::move(valueStrings));
}

/// A tree of parameters 0 and 1 whose implementor callbacks keep the values in `stored` and log calls.
struct ImplementedTree {
    std::vector<std::string> log;
    AUValue stored[2] = {0.25f, 0.75f};
    std::shared_ptr<AUParameterTree> tree = AUParameterTree::createTree({makeParameter(0), makeParameter(1)});

    ImplementedTree() {
        tree->setImplementorValueObserver([this](const AUParameter& p, AUValue v) {
            stored[p.address()] = v;
            log.push_back(cat("implementor ", std::to_string(p.address())));
        });
        tree->setImplementorValueProvider([this](const AUParameter& p) { return stored[p.address()]; });
        tree->setImplementorStringFromValueCallback([](const AUParameter& p, const AUValue* v) {
            return cat(p.identifier(), v != nullptr ? cat("=", std::to_string(*v)) : "=current");
        });
        tree->setImplementorValueFromStringCallback(
            [](const AUParameter&, const std::string& text) { return static_cast<AUValue>(text.size()); });
    }

    AUParameterObserverToken addLogging(const std::string& name) {
        return tree->tokenByAddingParameterObserver([this, name](AUParameterAddress a, AUValue) {
            log.push_back(cat(name + " ", std::to_string(a)));
        });
    }
};

} // namespace

TEST(AUParameterTree, ParametersKeepWhatTheyWereCreatedWith) {
    auto p = AUParameterTree::createParameter("filterMode", "Filter Mode", 9, 0.0f, 2.0f,
                                              kAudioUnitParameterUnit_Indexed, std::string("mode"), readWrite,
                                              {"Low Pass", "Band Pass", "High Pass"}, {3, 4});
    EXPECT_EQ(p->identifier(), "filterMode");
    EXPECT_EQ(p->displayName(), "Filter Mode");
    EXPECT_EQ(p->address(), 9u);
    EXPECT_EQ(p->minValue(), 0.0f);
    EXPECT_EQ(p->maxValue(), 2.0f);
    EXPECT_EQ(p->unit(), kAudioUnitParameterUnit_Indexed);
    EXPECT_EQ(p->unitName(), "mode");
    EXPECT_EQ(p->flags(), 0xC0000000u);
    EXPECT_EQ(p->valueStrings(), (std::vector<std::string>{"Low Pass", "Band Pass", "High Pass"}));
    EXPECT_EQ(p->dependentParameters(), (std::vector<AUParameterAddress>{3, 4}));

    // Before a tree exists the parameter keeps its own value and reaches no callback.
    p->setValue(1.5f);
    EXPECT_EQ(p->value(), 1.5f);

    auto tree = AUParameterTree::createTree({makeParameter(0), p});
    EXPECT_EQ(tree->parameterWithAddress(9), p.get());
    EXPECT_EQ(tree->parameterWithAddress(0)->identifier(), "p0");
    EXPECT_EQ(tree->parameterWithAddress(12), nullptr);
    EXPECT_EQ(tree->children().size(), 2u);
}

TEST(AUParameterTree, ValuesAndTextsGoThroughTheImplementorCallbacks) {
    ImplementedTree t;
    AUParameter& p1 = *t.tree->parameterWithAddress(1);
    EXPECT_EQ(p1.value(), 0.75f); // the provider, not the parameter's own value
    t.stored[1] = 0.125f;
    EXPECT_EQ(p1.value(), 0.125f);

    const AUValue v = 0.5f;
    EXPECT_EQ(p1.stringFromValue(&v), cat("p1=", std::to_string(0.5f)));
    EXPECT_EQ(p1.stringFromValue(nullptr), "p1=current");
    EXPECT_EQ(p1.valueFromString("abcd"), 4.0f);
}

TEST(AUParameterTree, TextsWithoutCallbacksUseValueStringsAndDecimals) {
    auto tree = AUParameterTree::createTree(
        {makeParameter(0), makeParameter(1, kAudioUnitParameterUnit_Indexed, {"Low", "High"})});
    AUParameter& generic = *tree->parameterWithAddress(0);
    AUParameter& indexed = *tree->parameterWithAddress(1);
    generic.setValue(0.5f);
    EXPECT_EQ(generic.stringFromValue(nullptr), "0.50");
    const AUValue values[] = {1.9f, 2.0f, -1.0f};
    EXPECT_EQ(indexed.stringFromValue(&values[0]), "High");
    EXPECT_EQ(indexed.stringFromValue(&values[1]), "2.00");
    EXPECT_EQ(indexed.stringFromValue(&values[2]), "-1.00");
    EXPECT_EQ(indexed.valueFromString("High"), 1.0f);
    EXPECT_EQ(generic.valueFromString("0.25"), 0.25f);
    EXPECT_EQ(generic.valueFromString("0.25x"), 0.5f); // unparsable: the current value
    EXPECT_EQ(generic.valueFromString(""), 0.5f);
}

TEST(AUParameterTree, SettingRunsTheImplementorObserverFirstThenEveryObserverButTheOriginator) {
    ImplementedTree t;
    const AUParameterObserverToken a = t.addLogging("a");
    const AUParameterObserverToken b = t.addLogging("b");
    const AUParameterObserverToken c = t.addLogging("c");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a, b);
    ASSERT_NE(b, c);

    t.tree->parameterWithAddress(1)->setValue(0.5f);
    EXPECT_EQ(t.log, (std::vector<std::string>{"implementor 1", "a 1", "b 1", "c 1"}));
    EXPECT_EQ(t.stored[1], 0.5f);

    t.log.clear();
    t.tree->parameterWithAddress(0)->setValue(0.1f, b);
    EXPECT_EQ(t.log, (std::vector<std::string>{"implementor 0", "a 0", "c 0"}));

    t.log.clear();
    t.tree->removeParameterObserver(a);
    t.tree->removeParameterObserver(a);       // twice: ignored
    t.tree->removeParameterObserver(nullptr); // ignored
    t.tree->parameterWithAddress(0)->setValue(0.2f);
    EXPECT_EQ(t.log, (std::vector<std::string>{"implementor 0", "b 0", "c 0"}));
}

TEST(AUParameterTree, AStaleTokenDoesNotRemoveTheObserverThatReusedItsSlot) {
    ImplementedTree t;
    const AUParameterObserverToken first = t.addLogging("first");
    t.tree->removeParameterObserver(first);
    const AUParameterObserverToken second = t.addLogging("second");
    EXPECT_NE(first, second);
    t.tree->removeParameterObserver(first);
    t.tree->parameterWithAddress(0)->setValue(0.3f);
    EXPECT_EQ(t.log, (std::vector<std::string>{"implementor 0", "second 0"}));
}

TEST(AUParameterTree, ObserverSlotsAreLimitedAndFreedByRemoval) {
    ImplementedTree t;
    std::vector<AUParameterObserverToken> tokens;
    for (std::size_t i = 0; i < ParameterObserverList::capacity; ++i) {
        tokens.push_back(t.tree->tokenByAddingParameterObserver([](AUParameterAddress, AUValue) {}));
        ASSERT_NE(tokens.back(), nullptr);
    }
    EXPECT_EQ(t.tree->tokenByAddingParameterObserver([](AUParameterAddress, AUValue) {}), nullptr);
    t.tree->removeParameterObserver(tokens[5]);
    EXPECT_NE(t.tree->tokenByAddingParameterObserver([](AUParameterAddress, AUValue) {}), nullptr);
    EXPECT_EQ(t.tree->tokenByAddingParameterObserver(AUParameterObserver{}), nullptr);
}

TEST(AUParameterTree, ObserversMayRemoveThemselvesAndOthersWhileBeingCalled) {
    ImplementedTree t;
    auto self = std::make_shared<AUParameterObserverToken>(nullptr);
    AUParameterObserverToken other = nullptr;
    int selfCalls = 0;
    *self = t.tree->tokenByAddingParameterObserver([&, self](AUParameterAddress, AUValue) {
        ++selfCalls;
        t.tree->removeParameterObserver(other);
        t.tree->removeParameterObserver(*self); // frees this very callable only later
    });
    other = t.addLogging("other");
    AUParameter& p = *t.tree->parameterWithAddress(0);
    p.setValue(0.5f);
    p.setValue(0.6f);
    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(t.log, (std::vector<std::string>{"implementor 0", "implementor 0"}));
    // The retired record is freed by the next control call; its slot serves again.
    EXPECT_NE(t.addLogging("again"), nullptr);
}

TEST(AUParameterTree, ObserversComeAndGoWhileAnotherThreadSetsValues) {
    // One thread sets values as fast as it can (as a render thread would) while this thread adds and
    // removes observers. Each observer owns a probe that it checks on every call: once removal has
    // returned, the observer must never run again, and its captured state must still be alive while it
    // runs (AddressSanitizer reports a use after free; ThreadSanitizer any data race).
    struct Probe {
        std::atomic<bool> removed{false};
        std::atomic<int> calls{0};
    };
    ImplementedTree t;
    t.tree->setImplementorValueObserver([](const AUParameter&, AUValue) {}); // no logging across threads
    std::atomic<bool> stop{false};
    std::atomic<int> callsAfterRemoval{0};
    std::atomic<long> sets{0};
    std::thread setter([&] {
        AUParameter& p = *t.tree->parameterWithAddress(1);
        AUParameterObserverToken originator = nullptr;
        while (!stop.load(std::memory_order_relaxed)) {
            p.setValue(static_cast<AUValue>(sets.load() % 7), originator);
            sets.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::vector<std::shared_ptr<Probe>> probes;
    for (int round = 0; round < 2000; ++round) {
        auto probe = std::make_shared<Probe>();
        const AUParameterObserverToken token = t.tree->tokenByAddingParameterObserver(
            [probe, &callsAfterRemoval](AUParameterAddress a, AUValue) {
                if (probe->removed.load() || a != 1) {
                    ++callsAfterRemoval;
                }
                probe->calls.fetch_add(1, std::memory_order_relaxed);
            });
        ASSERT_NE(token, nullptr);
        // Let some notifications reach it, then remove it.
        const long target = sets.load() + 3;
        while (sets.load() < target && round % 4 != 0) {
            std::this_thread::yield();
        }
        t.tree->removeParameterObserver(token);
        probe->removed.store(true);
        if (round % 100 == 1) { // a round that waited for notifications, so its probe was reached
            probes.push_back(probe);
        }
    }
    stop.store(true);
    setter.join();
    EXPECT_EQ(callsAfterRemoval.load(), 0);
    EXPECT_GT(sets.load(), 0);
    int reached = 0;
    for (const auto& probe : probes) {
        reached += probe->calls.load() > 0 ? 1 : 0;
    }
    EXPECT_GT(reached, 0);
}
