#include "UnitTestSupport.h"

#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace quorbel {
namespace {

using namespace platform;
using test::makeUnit;
using test::parameter;
using test::storedValues;

PropertyListDictionary withParams(PropertyList params) {
    return PropertyListDictionary{{"QuorbelParams", std::move(params)}};
}

TEST(FullState, FreshUnitSavesItsIdentityAndTheTenDefaults) {
    auto unit = makeUnit();
    const std::optional<PropertyListDictionary> state = unit->fullState();
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->size(), 6u);
    EXPECT_EQ(*state->find("type"), PropertyList(kQuorbelComponentDescription.componentType));
    EXPECT_EQ(*state->find("subtype"), PropertyList(kQuorbelComponentDescription.componentSubType));
    EXPECT_EQ(*state->find("manufacturer"), PropertyList(kQuorbelComponentDescription.componentManufacturer));
    EXPECT_EQ(*state->find("version"), PropertyList(kQuorbelComponentVersion));
    EXPECT_EQ(*state->find("name"), PropertyList("Quorbel"));
    const PropertyListDictionary expected{{"mix", 0.5},
                                          {"feed", 5.0},
                                          {"tone", 500.0},
                                          {"orbit", 0.0},
                                          {"vexity", 0.0},
                                          {"doubt", 0.0},
                                          {"volume", static_cast<double>(0.7f)},
                                          {"bypass", 0.0},
                                          {"fail", 0.0},
                                          {"filterMode", 0.0}};
    ASSERT_NE(state->find("QuorbelParams"), nullptr);
    EXPECT_EQ(*state->find("QuorbelParams"), PropertyList(expected));
}

TEST(FullState, PartialEntryChangesOnlyItsKeysAndUpdatesTheKernel) {
    auto unit = makeUnit();
    unit->setParamValue(ParamAddress::mix, 0.9f); // stored only: reaches the kernel with the next update
    test::NotificationLog log(unit->parameterTree());
    unit->setFullState(withParams(PropertyListDictionary{{"tone", 800.0}}));
    EXPECT_EQ(unit->paramValue(ParamAddress::tone), 800.0f);
    EXPECT_EQ(parameter(*unit, ParamAddress::tone).value(), 800.0f);
    EXPECT_EQ(unit->paramValue(ParamAddress::feed), 5.0f);
    EXPECT_EQ(unit->dspKernel()->modulation().input.tone.load(), 800.0f);
    EXPECT_EQ(unit->dspKernel()->modulation().input.mix.load(), 0.9f);
    using Seen = std::vector<std::pair<AUParameterAddress, AUValue>>;
    EXPECT_EQ(log.seen, (Seen{{2, 800.0f}})); // the tree's observers hear of the restored value
}

TEST(FullState, UsableEntriesRestoreUnclampedValues) {
    const struct {
        const char* what;
        PropertyListDictionary params;
        ParamAddress address;
        float expected;
    } cases[] = {
        {"eleventh key ignored", {{"tone", 800.0}, {"wobble", 3.0}}, ParamAddress::tone, 800.0f},
        {"out of range kept", {{"feed", 40.0}}, ParamAddress::feed, 40.0f},
        {"negative mode kept", {{"filterMode", -3.5}}, ParamAddress::filterMode, -3.5f},
        {"integer number", {{"feed", 12}}, ParamAddress::feed, 12.0f},
        {"nearest float", {{"mix", 0.1}}, ParamAddress::mix, 0.1f},
        {"underflow to zero", {{"orbit", 1e-50}}, ParamAddress::orbit, 0.0f},
        {"infinity",
         {{"volume", std::numeric_limits<double>::infinity()}},
         ParamAddress::volume,
         std::numeric_limits<float>::infinity()},
    };
    for (const auto& c : cases) {
        auto unit = makeUnit();
        unit->setFullState(withParams(c.params));
        EXPECT_EQ(unit->paramValue(c.address), c.expected) << c.what;
    }
}

TEST(FullState, UnusableOrMissingEntryChangesNothingAndLeavesTheKernelAlone) {
    const struct {
        const char* what;
        std::optional<PropertyListDictionary> state;
    } cases[] = {
        {"nil", std::nullopt},
        {"no entry", PropertyListDictionary{{"name", "other"}}},
        {"entry not a dictionary", withParams(PropertyList(PropertyList::Array{PropertyList(1.0)}))},
        {"a text value", withParams(PropertyListDictionary{{"mix", "0.3"}, {"tone", 800.0}})},
        {"a boolean value", withParams(PropertyListDictionary{{"bypass", true}, {"tone", 800.0}})},
        {"beyond float range", withParams(PropertyListDictionary{{"tone", 800.0}, {"feed", 1e39}})},
        {"an extra key with a text", withParams(PropertyListDictionary{{"tone", 800.0}, {"note", "hi"}})},
    };
    for (const auto& c : cases) {
        auto unit = makeUnit();
        unit->setParamValue(ParamAddress::mix, 0.9f); // stored only
        const auto before = storedValues(*unit);
        unit->setFullState(c.state);
        EXPECT_EQ(storedValues(*unit), before) << c.what;
        EXPECT_EQ(unit->dspKernel()->modulation().input.mix.load(), 0.5f) << c.what << ": kernel updated";
    }
}

TEST(FullState, KeysMatchExactly) {
    auto unit = makeUnit();
    unit->setFullState(withParams(PropertyListDictionary{{"Tone", 800.0}, {"MIX", 0.1}}));
    EXPECT_EQ(unit->paramValue(ParamAddress::tone), 500.0f);
    EXPECT_EQ(unit->paramValue(ParamAddress::mix), 0.5f);
}

TEST(FullState, RoundTripRestoresEveryValueExactly) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> wide(-50.0f, 2000.0f);
    auto source = makeUnit();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        parameter(*source, static_cast<ParamAddress>(i)).setValue(wide(rng));
    }
    source->setParamValue(ParamAddress::doubt, std::numeric_limits<float>::denorm_min());
    source->setParamValue(ParamAddress::fail, std::numeric_limits<float>::quiet_NaN());
    const std::optional<PropertyListDictionary> saved = source->fullState();
    ASSERT_TRUE(saved.has_value());

    auto restored = makeUnit();
    restored->setFullState(saved);
    const auto a = storedValues(*source);
    const auto b = storedValues(*restored);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(a[i]), std::bit_cast<std::uint32_t>(b[i])) << i;
    }
    EXPECT_EQ(restored->fullState(), saved);
    EXPECT_EQ(restored->dspKernel()->modulation().input.mix.load(), b[0]);
}

} // namespace
} // namespace quorbel
