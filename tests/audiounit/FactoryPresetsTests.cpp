#include "UnitTestSupport.h"

#include "audiounit/FactoryPresets.h"

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
    auto unit = makeUnit();
    for (NSInteger number = 1; number <= 7; ++number) {
        unit->setCurrentPreset(unit->factoryPresets()[static_cast<std::size_t>(number)]);
        EXPECT_EQ(storedValues(*unit), factoryPresetValues[static_cast<std::size_t>(number)]) << number;
    }
    EXPECT_EQ(factoryPresetValues[5][2], 667.5038f);

    // Only the number counts: a foreign object numbered 9 gets the default row and becomes current.
    const auto nine = makePreset(9, "Chaos Engine");
    unit->setCurrentPreset(nine);
    EXPECT_EQ(storedValues(*unit), factoryPresetValues[0]);
    EXPECT_EQ(unit->currentPreset(), nine);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        EXPECT_EQ(factoryPresetValues[0][i], kParameterTable[i].defaultValue);
    }

    unit->setCurrentPreset(unit->factoryPresets()[4]);
    unit->setCurrentPreset(unit->factoryPresets()[0]);
    EXPECT_EQ(storedValues(*unit), factoryPresetValues[0]);
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
