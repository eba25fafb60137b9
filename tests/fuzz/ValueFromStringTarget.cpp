#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "FuzzUnits.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quorbel::fuzz {

using namespace platform;

namespace {

bool sameValue(float a, float b) noexcept {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

std::string asciiLower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

QuorbelAudioUnit& textUnit() {
    static const std::shared_ptr<QuorbelAudioUnit> unit = makeFuzzUnit();
    return *unit;
}

} // namespace

int valueFromStringTarget(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    AUParameter& p = *textUnit().parameterTree()->parameterWithAddress(in.below(kParameterCount));
    const bool isSwitch = p.unit() == kAudioUnitParameterUnit_Boolean;
    const bool isIndexed = p.unit() == kAudioUnitParameterUnit_Indexed;
    const AUValue current = in.interestingFloat();
    p.setValue(current);

    // Display texts of any float, the parameter's own value included, never stop the process.
    const AUValue shown = in.interestingFloat();
    (void)p.stringFromValue(&shown);
    (void)p.stringFromValue(nullptr);

    const std::string text = in.rest();
    const AUValue v = p.valueFromString(text);
    fuzzCheck(sameValue(p.value(), current), "reading a text changed the parameter's value");
    const std::string lower = asciiLower(text);
    if (isSwitch) {
        fuzzCheck(v == (lower == "on" ? 1.0f : 0.0f), "a switch reads \"on\" (any case) as 1, all else as 0");
        return 0;
    }
    if (isIndexed) {
        for (std::size_t mode = 0; mode < kFilterModeNames.size(); ++mode) {
            if (lower == asciiLower(std::string(kFilterModeNames[mode]))) {
                fuzzCheck(v == static_cast<float>(mode), "a filter-mode name reads as its mode");
                return 0;
            }
        }
    }

    // Otherwise a number: the whole text by the C library's rules, without leading white space.
    const bool leadingSpace =
        !text.empty() && text[0] != '\0' && std::strchr(" \t\n\v\f\r", text[0]) != nullptr;
    char* end = nullptr;
    errno = 0;
    const float parsed = std::strtof(text.c_str(), &end);
    const bool rangeError = errno == ERANGE;
    const bool whole = !text.empty() && !leadingSpace && end == text.c_str() + text.size();
    if (!whole) {
        fuzzCheck(sameValue(v, current), "an unreadable text gives the current value");
        return 0;
    }
    fuzzCheck(sameValue(v, parsed) || (rangeError && sameValue(v, current)),
              "a readable text gives its number");

    // The text of a value reads back as that value: to two decimals, or as the mode it shows.
    if (std::isfinite(v)) {
        const AUValue back = p.valueFromString(p.stringFromValue(&v));
        if (isIndexed) {
            if (std::fabs(v) < 9.2e18f) {
                fuzzCheck(back == std::trunc(v), "a filter mode's text reads back as the mode");
            }
        } else {
            fuzzCheck(std::fabs(static_cast<double>(back) - static_cast<double>(v)) <=
                          0.0051 + std::fabs(static_cast<double>(v)) * 1.2e-7,
                      "a value's text reads back as the value to two decimals");
        }
    }
    return 0;
}

} // namespace quorbel::fuzz
