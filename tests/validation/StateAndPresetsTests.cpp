// State and presets: the full state restores exactly and survives hostile dictionaries; every factory
// preset applies its row, also after wandering through other presets, values and states.
#include "ValidationHost.h"

#include "audiounit/FactoryPresets.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace quorbel::validation {
namespace {

using namespace platform;

using Values = std::array<std::uint32_t, kParameterCount>; // the ten values' bits, NaN included

Values valueBits(const QuorbelAudioUnit& unit) {
    Values bits{};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        bits[i] = std::bit_cast<std::uint32_t>(unit.parameterTree()->parameterWithAddress(i)->value());
    }
    return bits;
}

Values rowBits(const FactoryPresetRow& row) {
    Values bits{};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        bits[i] = std::bit_cast<std::uint32_t>(row[i]);
    }
    return bits;
}

/// Any float a host might store: inside the range, far outside it, huge, tiny, infinite or NaN.
AUValue anyValue(std::mt19937_64& rng, const AUParameter& p) {
    switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
    case 0:
        return std::numeric_limits<float>::quiet_NaN();
    case 1:
        return std::numeric_limits<float>::infinity() * (rng() % 2 ? 1.0f : -1.0f);
    case 2:
        return std::numeric_limits<float>::max() * (rng() % 2 ? 1.0f : -1.0f);
    case 3:
        return std::numeric_limits<float>::denorm_min();
    case 4:
        return std::uniform_real_distribution<float>(-1e6f, 1e6f)(rng);
    default:
        return std::uniform_real_distribution<float>(p.minValue(), p.maxValue())(rng);
    }
}

/// A property-list value of a random kind, nested at most `depth` levels.
PropertyList anyPropertyList(std::mt19937_64& rng, int depth) {
    switch (std::uniform_int_distribution<int>(0, depth > 0 ? 8 : 6)(rng)) {
    case 0:
        return PropertyList(rng() % 2 == 0);
    case 1:
        return PropertyList(static_cast<std::int64_t>(rng()));
    case 2:
        return PropertyList(std::uniform_real_distribution<double>(-2000.0, 2000.0)(rng));
    case 3:
        return PropertyList(std::pow(10.0, std::uniform_real_distribution<double>(30.0, 300.0)(rng)) *
                            (rng() % 2 ? 1.0 : -1.0)); // mostly beyond the 32-bit float range
    case 4:
        return PropertyList(std::numeric_limits<double>::quiet_NaN());
    case 5:
        return PropertyList(std::string("0.5"));
    case 6:
        return PropertyList(PropertyList::Data{1, 2, 3});
    case 7: {
        PropertyList::Array array;
        for (int i = 0; i < 3; ++i) {
            array.push_back(anyPropertyList(rng, depth - 1));
        }
        return PropertyList(std::move(array));
    }
    default: {
        PropertyListDictionary dictionary;
        dictionary.set("mix", anyPropertyList(rng, depth - 1));
        dictionary.set("x", anyPropertyList(rng, depth - 1));
        return PropertyList(std::move(dictionary));
    }
    }
}

/// What setting `state` must leave: the values of a usable "QuorbelParams" entry (a dictionary whose every
/// value is a number that a 32-bit float holds, NaN and infinities included) over `before`, or `before`.
Values expectedAfter(const PropertyListDictionary& state, const Values& before) {
    const PropertyList* entry = state.find("QuorbelParams");
    if (entry == nullptr || entry->dictionary() == nullptr) {
        return before;
    }
    Values after = before;
    for (const auto& [key, value] : *entry->dictionary()) {
        const std::optional<double> number = value.number();
        if (!number || (std::isfinite(*number) && std::fabs(*number) > std::numeric_limits<float>::max())) {
            return before;
        }
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (key == kParameterTable[i].identifier) {
                after[i] = std::bit_cast<std::uint32_t>(static_cast<float>(*number));
            }
        }
    }
    return after;
}

/// The factory preset number to check.
class StateAndPresets : public ValidationFixture<NSInteger> {
protected:
    std::shared_ptr<AUAudioUnitPreset> preset() const {
        return host.unit().factoryPresets()[static_cast<std::size_t>(GetParam())];
    }
    void randomiseValues(std::mt19937_64& rng) {
        for (const auto& parameter : host.unit().parameterTree()->allParameters()) {
            parameter->setValue(anyValue(rng, *parameter));
        }
    }

    ValidationHost host;
};

TEST_P(StateAndPresets, FactoryPresetAppliesItsRow) {
    // Proves: choosing this factory preset, whatever the values were before, sets all ten parameters to
    // its row exactly (as hosts and the saved state see them) and makes it the current preset.
    std::mt19937_64 rng = seededRng(50 + static_cast<std::uint64_t>(GetParam()));
    randomiseValues(rng);
    const auto p = preset();
    EXPECT_EQ(p->number(), GetParam());
    host.unit().setCurrentPreset(p);
    const FactoryPresetRow& row = factoryPresetValues[static_cast<std::size_t>(GetParam())];
    EXPECT_EQ(valueBits(host.unit()), rowBits(row));
    EXPECT_EQ(host.unit().currentPreset(), p);
    const std::optional<PropertyListDictionary> state = host.unit().fullState();
    const PropertyListDictionary* saved = state->find("QuorbelParams")->dictionary();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        EXPECT_EQ(*saved->find(kParameterTable[i].identifier)->number(), static_cast<double>(row[i]));
    }
}

TEST_P(StateAndPresets, SwitchingPresetsAtRandomAndBackRestoresTheRow) {
    // Proves: after any walk through other factory presets, user presets, hand-set values and restored
    // states, choosing this preset again brings back its row exactly; user presets (negative numbers) and
    // nil only become current and change no value.
    std::mt19937_64 rng = seededRng(60 + static_cast<std::uint64_t>(GetParam()));
    const auto presets = host.unit().factoryPresets();
    QuorbelAudioUnit& unit = host.unit();
    for (int walk = 0; walk < 20; ++walk) {
        unit.setCurrentPreset(preset());
        ASSERT_EQ(valueBits(unit), rowBits(factoryPresetValues[static_cast<std::size_t>(GetParam())]));
        const int steps = std::uniform_int_distribution<int>(1, 12)(rng);
        for (int step = 0; step < steps; ++step) {
            const Values before = valueBits(unit);
            switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
            case 0:
                unit.setCurrentPreset(presets[rng() % presets.size()]);
                break;
            case 1: {
                auto user = makePreset(-1 - static_cast<NSInteger>(rng() % 5), "Mine");
                unit.setCurrentPreset(user);
                EXPECT_EQ(valueBits(unit), before);
                EXPECT_EQ(unit.currentPreset(), user);
                break;
            }
            case 2:
                unit.setCurrentPreset(nullptr);
                EXPECT_EQ(valueBits(unit), before);
                EXPECT_EQ(unit.currentPreset(), nullptr);
                break;
            case 3:
                randomiseValues(rng);
                break;
            default: {
                ValidationHost other;
                other.unit().setCurrentPreset(presets[rng() % presets.size()]);
                unit.setFullState(other.unit().fullState());
                EXPECT_EQ(valueBits(unit), valueBits(other.unit()));
                break;
            }
            }
        }
    }
    unit.setCurrentPreset(preset());
    EXPECT_EQ(valueBits(unit), rowBits(factoryPresetValues[static_cast<std::size_t>(GetParam())]));
}

TEST_P(StateAndPresets, SavedStateRestoresExactlyIntoAFreshUnit) {
    // Proves: a state saved from a unit holding this preset with random values on top (in and out of range,
    // huge, tiny, infinite, NaN) restores every value to the bit in a fresh unit, and the fresh unit then
    // saves a dictionary equal to the one it was given (identity entries included).
    std::mt19937_64 rng = seededRng(70 + static_cast<std::uint64_t>(GetParam()));
    for (int round = 0; round < 20; ++round) {
        host.unit().setCurrentPreset(preset());
        for (const auto& parameter : host.unit().parameterTree()->allParameters()) {
            if (rng() % 2 == 0) {
                parameter->setValue(anyValue(rng, *parameter));
            }
        }
        const std::optional<PropertyListDictionary> saved = host.unit().fullState();
        ASSERT_TRUE(saved.has_value());
        ValidationHost fresh;
        fresh.unit().setFullState(saved);
        EXPECT_EQ(valueBits(fresh.unit()), valueBits(host.unit()));
        EXPECT_EQ(fresh.unit().fullState(), saved);
    }
}

TEST_P(StateAndPresets, HostileDictionariesNeverCrashAndChangeOnlyWhatTheyMay) {
    // Proves: empty, partial, wrong-typed and random dictionaries never crash the unit; a usable
    // "QuorbelParams" entry sets exactly the parameters it names (matched exactly, unclamped) and nothing
    // else, and an entry with one unusable value — or no entry, or nil — changes nothing. The unit renders
    // finite audio afterwards.
    std::mt19937_64 rng = seededRng(80 + static_cast<std::uint64_t>(GetParam()));
    QuorbelAudioUnit& unit = host.unit();
    unit.setCurrentPreset(preset());
    const std::vector<std::string> keys = {
        "mix",  "feed",       "tone", "orbit", "vexity", "doubt",         "volume",     "bypass",
        "fail", "filterMode", "Tone", "mix ",  "",       "QuorbelParams", "filtermode", "\xc3\xa9"};
    std::vector<PropertyListDictionary> states = {
        PropertyListDictionary{},
        PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{}}},
        PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"tone", 800.0}}}},
        PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"feed", 40}, {"mix", -3.5}}}},
        PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"tone", 800.0}, {"mix", "0.3"}}}},
        PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"tone", 800.0}, {"mix", true}}}},
        PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"tone", 1e300}}}},
        PropertyListDictionary{{"QuorbelParams", "mix"}},
        PropertyListDictionary{{"QuorbelParams", PropertyList::Array{0.5, 5.0}}},
        PropertyListDictionary{{"quorbelparams", PropertyListDictionary{{"tone", 800.0}}}},
        PropertyListDictionary{{"type", "aufx"}, {"version", -1}, {"name", PropertyList::Data{0}}},
    };
    for (int i = 0; i < 300; ++i) {
        PropertyListDictionary params;
        const int count = std::uniform_int_distribution<int>(0, 12)(rng);
        const bool typed = rng() % 3 != 0; // most entries hold plain numbers, so that many are usable
        for (int k = 0; k < count; ++k) {
            const std::string& key = keys[rng() % (rng() % 4 == 0 ? keys.size() : kParameterCount)];
            params.set(key, typed ? PropertyList(std::uniform_real_distribution<double>(-50.0, 1200.0)(rng))
                                  : anyPropertyList(rng, 2));
        }
        PropertyListDictionary state;
        if (rng() % 8 != 0) {
            state.set("QuorbelParams",
                      rng() % 10 != 0 ? PropertyList(std::move(params)) : anyPropertyList(rng, 2));
        }
        if (rng() % 2 == 0) {
            state.set(keys[rng() % keys.size()], anyPropertyList(rng, 2));
        }
        states.push_back(std::move(state));
    }
    int usable = 0;
    for (const PropertyListDictionary& state : states) {
        const Values before = valueBits(unit);
        const Values expected = expectedAfter(state, before);
        unit.setFullState(state);
        ASSERT_EQ(valueBits(unit), expected);
        usable += expected != before;
    }
    unit.setFullState(std::nullopt);
    EXPECT_GT(usable, 50) << "too few usable entries to show that they are applied";

    unit.setFullState(PropertyListDictionary{{"QuorbelParams", PropertyListDictionary{{"bypass", 0.0}}}});
    ASSERT_TRUE(host.configure(44100, 2, 512));
    ASSERT_TRUE(host.allocate());
    for (int call = 0; call < 8; ++call) {
        host.fillInputNoise(rng, 512);
        ASSERT_EQ(host.render(512), noErr);
        ASSERT_TRUE(host.outputFinite(512));
    }
}

// Named by number: the preset objects are made at their first use, which the Threads fixture checks.
INSTANTIATE_TEST_SUITE_P(Validation, StateAndPresets, ::testing::Range<NSInteger>(0, 8),
                         [](const ::testing::TestParamInfo<NSInteger>& tested) {
                             return "Preset" + std::to_string(tested.param);
                         });

} // namespace
} // namespace quorbel::validation
