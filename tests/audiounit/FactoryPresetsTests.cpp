#include "UnitTestSupport.h"

#include "audiounit/FactoryPresets.h"

#include <array>

namespace quorbel {
namespace {

using namespace platform;
using test::makeUnit;
using test::storedValues;

TEST(FactoryPresets, EveryReadHandsOutTheSameEightObjectsInNumberOrder) {
    const char* names[] = {"Default",    "Subtle Shimmer", "Chaos Engine",        "Deep Sea",
                           "Deeper Sea", "Midlife Crisis", "Misplaced Nostalgia", "Communication Failure"};
    auto unit = makeUnit();
    const auto first = unit->factoryPresets();
    const auto second = makeUnit()->factoryPresets();
    ASSERT_EQ(first.size(), 8u);
    EXPECT_EQ(first, second); // the same objects, not equal copies
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(first[i]->number(), static_cast<NSInteger>(i));
        EXPECT_EQ(first[i]->name(), names[i]);
    }
    EXPECT_EQ(unit->currentPreset(), first[0]);
    EXPECT_TRUE(unit->supportsUserPresets());
}

TEST(FactoryPresets, ChaosEngineSetsItsRowInAddressOrderThroughTheTree) {
    auto unit = makeUnit();
    test::NotificationLog log(unit->parameterTree());
    const auto preset = unit->factoryPresets()[2];
    unit->setCurrentPreset(preset);
    using Seen = std::vector<std::pair<AUParameterAddress, AUValue>>;
    EXPECT_EQ(log.seen, (Seen{{0, 0.7f},
                              {1, 12.0f},
                              {2, 400.0f},
                              {3, 0.8f},
                              {4, 0.6f},
                              {5, 0.9f},
                              {6, 0.6f},
                              {7, 0.0f},
                              {8, 1.0f},
                              {9, 1.0f}}));
    EXPECT_EQ(unit->currentPreset(), preset);
    EXPECT_TRUE(unit->dspKernel()->modulation().input.broken.load());
    EXPECT_EQ(unit->dspKernel()->modulation().input.filterMode.load(), 1);
}

TEST(FactoryPresets, EachNumberSelectsItsRowAndLargerNumbersTheDefaults) {
    // mix, feed, tone, orbit, vexity, doubt, volume, bypass, fail, filterMode: the nearest floats to these.
    using Row = std::array<float, kParameterCount>;
    const Row rows[8] = {
        {0.5f, 5.0f, 500.0f, 0.0f, 0.0f, 0.0f, 0.7f, 0.0f, 0.0f, 0.0f},
        {0.3f, 3.0f, 600.0f, 0.15f, 0.1f, 0.05f, 0.7f, 0.0f, 0.0f, 0.0f},
        {0.7f, 12.0f, 400.0f, 0.8f, 0.6f, 0.9f, 0.6f, 0.0f, 1.0f, 1.0f},
        {0.6f, 8.0f, 300.0f, 0.3f, -0.4f, 0.2f, 0.7f, 0.0f, 0.0f, 0.0f},
        {0.7924f, 12.2235f, 470.2327f, 0.5567f, 0.3091f, 0.2f, 0.7f, 0.0f, 0.0f, 0.0f},
        {0.7915f, 15.2393f, 667.5038f, -0.7314f, -0.2818f, 0.2511f, 0.7506f, 0.0f, 0.0f, 1.0f},
        {0.6734f, 3.66f, 738.7451f, 0.5945f, 0.5443f, -0.423f, 0.6556f, 0.0f, 0.0f, 2.0f},
        {0.8322f, 17.5212f, 540.9067f, 0.787f, -0.2888f, 0.5072f, 0.6556f, 0.0f, 1.0f, 1.0f},
    };
    auto unit = makeUnit();
    for (NSInteger number : {1, 2, 3, 4, 5, 6, 7, 0}) {
        unit->setCurrentPreset(unit->factoryPresets()[static_cast<std::size_t>(number)]);
        EXPECT_EQ(storedValues(*unit), rows[number]) << number;
    }

    // Only the number counts: a foreign object numbered 9 gets the default row and becomes current.
    unit->setCurrentPreset(unit->factoryPresets()[4]);
    const auto nine = makePreset(9, "Chaos Engine");
    unit->setCurrentPreset(nine);
    EXPECT_EQ(storedValues(*unit), rows[0]);
    EXPECT_EQ(unit->currentPreset(), nine);
}

TEST(FactoryPresets, UserPresetsAndNilOnlyBecomeCurrent) {
    auto unit = makeUnit();
    unit->setCurrentPreset(unit->factoryPresets()[3]);
    const auto before = storedValues(*unit);
    test::NotificationLog log(unit->parameterTree());

    const auto user = makePreset(-1, "My Sound");
    unit->setCurrentPreset(user);
    EXPECT_EQ(storedValues(*unit), before);
    EXPECT_EQ(unit->currentPreset(), user);

    unit->setCurrentPreset(nullptr);
    EXPECT_EQ(storedValues(*unit), before);
    EXPECT_EQ(unit->currentPreset(), nullptr);
    EXPECT_TRUE(log.seen.empty());
}

} // namespace
} // namespace quorbel
