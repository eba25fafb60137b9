// Parameters: every parameter's default, range, read-back, unclamped values, texts and the texts that
// cannot be read, checked through the tree as hosts reach them.
#include "ValidationHost.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

namespace quorbel::validation {
namespace {

using namespace platform;

class Parameters : public ValidationFixture<std::size_t> {
protected:
    void SetUp() override {
        p = host.unit().parameterTree()->parameterWithAddress(GetParam());
        ASSERT_NE(p, nullptr);
    }

    const ParameterInfo& info() const { return kParameterTable[GetParam()]; }
    bool isSwitch() const { return p->unit() == kAudioUnitParameterUnit_Boolean; }
    bool isIndexed() const { return p->unit() == kAudioUnitParameterUnit_Indexed; }

    /// The value the saved state holds for this parameter.
    double savedValue() const {
        const auto state = host.unit().fullState();
        const PropertyList* params = state->find("QuorbelParams");
        return *params->dictionary()->find(info().identifier)->number();
    }

    ValidationHost host;
    AUParameter* p = nullptr;
};

TEST_P(Parameters, DefaultIsInsideTheRangeAndReadBackAtConstruction) {
    // Proves: a host reading the parameter right after creating the unit sees a sane range with the default
    // inside it, the default as the value, a readable and writable parameter, and the same default in the
    // saved state.
    EXPECT_LT(p->minValue(), p->maxValue());
    EXPECT_GE(info().defaultValue, p->minValue());
    EXPECT_LE(info().defaultValue, p->maxValue());
    EXPECT_EQ(p->value(), info().defaultValue);
    EXPECT_EQ(p->identifier(), info().identifier);
    EXPECT_NE(p->flags() & kAudioUnitParameterFlag_IsReadable, 0u);
    EXPECT_NE(p->flags() & kAudioUnitParameterFlag_IsWritable, 0u);
    EXPECT_EQ(savedValue(), static_cast<double>(info().defaultValue));
}

TEST_P(Parameters, MinDefaultMaxAndBeyondReadBackExactlyUnclamped) {
    // Proves: the minimum, the default and the maximum are set and read back to the bit, through the tree
    // and in the saved state; values outside the range are kept as set (the unit never clamps: only the
    // editor's knobs do).
    const AUValue span = p->maxValue() - p->minValue();
    for (const AUValue v : {p->minValue(), info().defaultValue, p->maxValue(), p->minValue() - span,
                            p->maxValue() + 10.0f * span, -1e6f}) {
        p->setValue(v);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(p->value()), std::bit_cast<std::uint32_t>(v)) << v;
        EXPECT_EQ(host.unit().paramValue(static_cast<ParamAddress>(GetParam())), v);
        EXPECT_EQ(savedValue(), static_cast<double>(v));
    }
}

TEST_P(Parameters, ValueToTextToValueRoundTrips) {
    // Proves: the text a host displays for a value reads back as that value — to the two decimals the
    // text carries for continuous parameters, exactly for switches (0, 1) and filter modes (0, 1, 2) —
    // and the text of the read-back value is the same text (a host that re-reads the text sees no change).
    std::mt19937_64 rng = seededRng(30 + GetParam());
    std::vector<AUValue> values;
    if (isSwitch()) {
        values = {0.0f, 1.0f};
    } else if (isIndexed()) {
        values = {0.0f, 1.0f, 2.0f};
    } else {
        const AUValue span = p->maxValue() - p->minValue();
        for (int i = 0; i <= 200; ++i) { // the range and half of it on either side
            values.push_back(p->minValue() - 0.5f * span + 2.0f * span * static_cast<float>(i) / 200.0f);
        }
        std::uniform_real_distribution<float> inRange(p->minValue(), p->maxValue());
        for (int i = 0; i < 300; ++i) {
            values.push_back(inRange(rng));
        }
    }
    for (const AUValue v : values) {
        const std::string text = p->stringFromValue(&v);
        const AUValue back = p->valueFromString(text);
        if (isSwitch() || isIndexed()) {
            EXPECT_EQ(back, v) << "'" << text << "'";
        } else {
            // Two decimals: half a hundredth, plus the float rounding of numbers up to 1500.
            EXPECT_NEAR(back, v, 0.005 + 1.5e-4) << "'" << text << "'";
        }
        EXPECT_EQ(p->stringFromValue(&back), text);
    }
    if (isSwitch()) {
        // Any value's text reads back as the switch state that value means (on strictly above 0.5).
        for (const AUValue v : {-1.0f, 0.25f, 0.5f, 0.51f, 0.99f, 7.0f, std::nanf("")}) {
            EXPECT_EQ(p->valueFromString(p->stringFromValue(&v)), v > 0.5f ? 1.0f : 0.0f) << v;
        }
    }
    if (isIndexed()) {
        // Fractions read back as the mode they show; other integers show as digits and read back exactly.
        for (const auto& [v, mode] : {std::pair{0.4f, 0.0f},
                                      {1.9f, 1.0f},
                                      {2.2f, 2.0f},
                                      {-0.7f, 0.0f},
                                      {3.0f, 3.0f},
                                      {-1.0f, -1.0f},
                                      {7.0f, 7.0f}}) {
            EXPECT_EQ(p->valueFromString(p->stringFromValue(&v)), mode) << v;
        }
    }
}

TEST_P(Parameters, GarbageTextsKeepTheCurrentValue) {
    // Proves: texts that do not spell a value (empty, blank, padded, partly numeric, other words) give the
    // parameter's current value, so a host that applies the result changes nothing — except for switches,
    // whose rule is that every text but "on" means off. Reading a text never sets the value.
    const AUValue current = isSwitch()    ? 1.0f
                            : isIndexed() ? 2.0f
                                          : p->minValue() + 0.37f * (p->maxValue() - p->minValue());
    p->setValue(current);
    const std::vector<std::string> garbage = {"",
                                              " ",
                                              "\t",
                                              "abc",
                                              "0.5x",
                                              " 0.5",
                                              "0.5 ",
                                              "1,5",
                                              "--1",
                                              "1e",
                                              "0x",
                                              "nan(",
                                              "\n1",
                                              "lowpass",
                                              "hp",
                                              "Low Pass!",
                                              "o n",
                                              "1.0.0",
                                              std::string("0.5\0x", 5),
                                              "\xff\xfe",
                                              "+-0",
                                              "0.5\n"};
    for (const std::string& text : garbage) {
        EXPECT_EQ(p->valueFromString(text), isSwitch() ? 0.0f : current) << "'" << text << "'";
        EXPECT_EQ(p->value(), current);
    }
}

INSTANTIATE_TEST_SUITE_P(Validation, Parameters, ::testing::Range<std::size_t>(0, kParameterCount),
                         [](const ::testing::TestParamInfo<std::size_t>& tested) {
                             return std::string(kParameterTable[tested.param].identifier);
                         });

} // namespace
} // namespace quorbel::validation
