#include "UnitTestSupport.h"

#include "audiounit/ParameterTree.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace quorbel {
namespace {

using namespace platform;
using test::makeUnit;
using test::parameter;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

TEST(ParameterTree, HoldsTheTenParametersInAddressOrder) {
    const struct {
        const char* identifier;
        const char* name;
        float min, max;
        std::uint32_t unitCode;
        float defaultValue;
    } expected[] = {
        {"mix", "Mix", 0, 1, 0, 0.5f},        {"feed", "Feed", 1, 20, 0, 5},
        {"tone", "Tone", 200, 1000, 8, 500},  {"orbit", "Orbit", -1, 1, 0, 0},
        {"vexity", "Vexity", -1, 1, 0, 0},    {"doubt", "Doubt", -1, 1, 0, 0},
        {"volume", "Volume", 0, 1, 14, 0.7f}, {"bypass", "Bypass", 0, 1, 2, 0},
        {"fail", "Fail", 0, 1, 2, 0},         {"filterMode", "Filter Mode", 0, 2, 1, 0},
    };
    auto unit = makeUnit();
    const auto& children = unit->parameterTree()->children();
    ASSERT_EQ(children.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        const AUParameter& p = *children[i];
        SCOPED_TRACE(expected[i].identifier);
        EXPECT_EQ(p.address(), i);
        EXPECT_EQ(p.identifier(), expected[i].identifier);
        EXPECT_EQ(p.displayName(), expected[i].name);
        EXPECT_EQ(p.minValue(), expected[i].min);
        EXPECT_EQ(p.maxValue(), expected[i].max);
        EXPECT_EQ(static_cast<std::uint32_t>(p.unit()), expected[i].unitCode);
        EXPECT_EQ(p.value(), expected[i].defaultValue);
        EXPECT_FALSE(p.unitName().has_value());
        EXPECT_EQ(p.flags(), (1u << 30) | (1u << 31));
        EXPECT_TRUE(p.dependentParameters().empty());
        if (i == 9) {
            EXPECT_EQ(p.valueStrings(), (std::vector<std::string>{"Low Pass", "Band Pass", "High Pass"}));
        } else {
            EXPECT_TRUE(p.valueStrings().empty());
        }
    }
    EXPECT_EQ(paramAddressFromRawValue(9), ParamAddress::filterMode);
    EXPECT_EQ(paramAddressFromRawValue(10), std::nullopt);
}

struct TextCase {
    ParamAddress address;
    float value;
    const char* text;
};

const TextCase displayCases[] = {
    {ParamAddress::mix, 0.5f, "0.50"},
    {ParamAddress::tone, 500.0f, "500.00"},
    {ParamAddress::volume, 0.7f, "0.70"},
    {ParamAddress::orbit, -1.0f, "-1.00"},
    {ParamAddress::feed, 12.345f, "12.35"}, // 12.345f is 12.3450002…, which rounds up
    {ParamAddress::mix, 1234567.0f, "1234567.00"},
    {ParamAddress::mix, nan, "nan"},
    {ParamAddress::mix, -inf, "-inf"},
    {ParamAddress::bypass, 0.5f, "Off"},
    {ParamAddress::bypass, 0.6f, "On"},
    {ParamAddress::bypass, nan, "Off"},
    {ParamAddress::fail, 1.0f, "On"},
    {ParamAddress::filterMode, 0.0f, "Low Pass"},
    {ParamAddress::filterMode, 1.0f, "Band Pass"},
    {ParamAddress::filterMode, 1.9f, "Band Pass"},
    {ParamAddress::filterMode, 2.0f, "High Pass"},
    {ParamAddress::filterMode, -0.5f, "Low Pass"},
    {ParamAddress::filterMode, 3.0f, "3"},
    {ParamAddress::filterMode, -1.0f, "-1"},
    // Non-finite and huge values name the integer the kernel receives: NaN 0, others saturated.
    {ParamAddress::filterMode, nan, "Low Pass"},
    {ParamAddress::filterMode, inf, "9223372036854775807"},
    {ParamAddress::filterMode, -inf, "-9223372036854775808"},
    {ParamAddress::filterMode, 1e30f, "9223372036854775807"},
};

TEST(ParameterTree, DisplayTextsFollowTheParameterUnit) {
    auto unit = makeUnit();
    for (const TextCase& c : displayCases) {
        EXPECT_EQ(parameter(*unit, c.address).stringFromValue(&c.value), c.text)
            << kParameterTable[index(c.address)].identifier << " " << c.value;
    }
    // The largest float still fits: 39 digits and two decimals.
    const float largest = std::numeric_limits<float>::max();
    EXPECT_EQ(parameter(*unit, ParamAddress::mix).stringFromValue(&largest).size(), 42u);
    // No value given: the current one.
    parameter(*unit, ParamAddress::tone).setValue(750.5f);
    EXPECT_EQ(parameter(*unit, ParamAddress::tone).stringFromValue(nullptr), "750.50");
}

struct ParseCase {
    ParamAddress address;
    std::string text;
    float expected; // NaN: expects NaN
};

constexpr float kCurrent = 0.125f; // every parameter is set to this before its text is parsed

const ParseCase parseCases[] = {
    {ParamAddress::bypass, "ON", 1.0f},
    {ParamAddress::bypass, "On", 1.0f},
    {ParamAddress::fail, "on", 1.0f},
    {ParamAddress::bypass, "1", 0.0f},
    {ParamAddress::bypass, "yes", 0.0f},
    {ParamAddress::bypass, "", 0.0f},
    {ParamAddress::bypass, " on", 0.0f},
    {ParamAddress::filterMode, "HIGH PASS", 2.0f},
    {ParamAddress::filterMode, "band pass", 1.0f},
    {ParamAddress::filterMode, "Low Pass", 0.0f},
    {ParamAddress::filterMode, "2", 2.0f},
    {ParamAddress::filterMode, "2.5", 2.5f},
    {ParamAddress::filterMode, "-1", -1.0f},
    {ParamAddress::filterMode, "hp", kCurrent},
    {ParamAddress::filterMode, "highpass", kCurrent},
    {ParamAddress::mix, "0.3", 0.3f},
    {ParamAddress::mix, "1e-1", 0.1f},
    {ParamAddress::mix, "7", 7.0f},
    {ParamAddress::mix, "+0.25", 0.25f},
    {ParamAddress::mix, "-.5", -0.5f},
    {ParamAddress::mix, "0x1p-3", 0.125f},
    {ParamAddress::mix, "INF", inf},
    {ParamAddress::mix, "-infinity", -inf},
    {ParamAddress::mix, "nan", nan},
    {ParamAddress::mix, "1e-50", 0.0f},    // underflow gives the nearest float
    {ParamAddress::mix, "1e39", kCurrent}, // beyond the float range: refused
    {ParamAddress::mix, "-0x1p200", kCurrent},
    {ParamAddress::mix, " 0.3", kCurrent},
    {ParamAddress::mix, "0.3 ", kCurrent},
    {ParamAddress::mix, "\t0.3", kCurrent},
    {ParamAddress::mix, "\n0.3", kCurrent},
    {ParamAddress::mix, "\v0.3", kCurrent},
    {ParamAddress::mix, "\f0.3", kCurrent},
    {ParamAddress::mix, "\r0.3", kCurrent},
    {ParamAddress::mix, "", kCurrent},
    {ParamAddress::mix, "0,5", kCurrent},
    {ParamAddress::mix, "abc", kCurrent},
    {ParamAddress::mix, "on", kCurrent},
    {ParamAddress::mix,
     std::string("0.3\0"
                 "5",
                 5),
     kCurrent},
    {ParamAddress::tone, "1000.5", 1000.5f},
    {ParamAddress::volume, "0.70", 0.7f},
};

TEST(ParameterTree, TextsParseByUnitAndKeepTheCurrentValueOtherwise) {
    auto unit = makeUnit();
    for (const ParseCase& c : parseCases) {
        AUParameter& p = parameter(*unit, c.address);
        p.setValue(kCurrent);
        const float v = p.valueFromString(c.text);
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(v)) << c.text;
        } else {
            EXPECT_EQ(v, c.expected) << kParameterTable[index(c.address)].identifier << " \"" << c.text
                                     << "\"";
        }
    }
}

TEST(ParameterTree, TextsIgnoreTheProcessLocale) {
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"};
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed (locale -a)";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ","); // the process locale really uses a comma

    auto unit = makeUnit();
    AUParameter& mix = parameter(*unit, ParamAddress::mix);
    const float half = 0.5f;
    EXPECT_EQ(mix.stringFromValue(&half), "0.50") << chosen;
    EXPECT_EQ(mix.valueFromString("0.3"), 0.3f) << chosen;
    mix.setValue(kCurrent);
    EXPECT_EQ(mix.valueFromString("0,3"), kCurrent) << chosen;
    std::setlocale(LC_ALL, previous.c_str());
}

} // namespace
} // namespace quorbel
