#include "audiounit/ParameterTree.h"

#include "audiotoolbox/AUParameterTree.h"
#include "audiounit/ParameterStore.h"
#include "audiounit/QuorbelAudioUnit.h"
#include "dsp/Conversions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <memory>
#include <utility>
#include <vector>

namespace quorbel {

using platform::AUParameter;
using platform::AUValue;

namespace {

/// The C locale as an object, made once: number texts never follow the process locale.
locale_t cLocale() noexcept {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

/// "%.2f" of `value` in the C locale: two digits after a point, no grouping.
std::string twoDecimals(double value) {
    // 64 characters hold every float: at most 39 integer digits, sign, point and two decimals.
    char text[64];
    const locale_t locale = cLocale();
    const locale_t previous = locale != nullptr ? uselocale(locale) : nullptr;
    const int length = std::snprintf(text, sizeof text, "%.2f", value);
    if (locale != nullptr) {
        uselocale(previous);
    }
    if (length < 0) {
        return {};
    }
    return std::string(text, std::min(static_cast<std::size_t>(length), sizeof text - 1));
}

/// The whole of `text` as a 32-bit float by the C library's rules (sign, decimal or hexadecimal, exponent,
/// infinity and NaN forms) in the C locale; none when the text is empty, starts with white space, has
/// anything left over, or spells a finite number beyond the float range.
std::optional<AUValue> parseFloat(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    switch (text.front()) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return std::nullopt;
    default:
        break;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    const int savedErrno = errno;
    errno = 0;
    const locale_t locale = cLocale();
    const float parsed = locale != nullptr ? strtof_l(begin, &end, locale) : std::strtof(begin, &end);
    const bool outOfRange = errno == ERANGE && std::isinf(parsed);
    errno = savedErrno;
    // An embedded NUL stops the parse early, so it fails here too.
    if (end != begin + text.size() || outOfRange) {
        return std::nullopt;
    }
    return parsed;
}

/// ASCII lower case: the words compared here are ASCII, and no other letter lowers onto one of theirs.
std::string lowerCased(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

} // namespace

std::string parameterStringFromValue(const AUParameter& parameter, const AUValue* value) {
    const AUValue v = value != nullptr ? *value : parameter.value();
    switch (parameter.unit()) {
    case platform::kAudioUnitParameterUnit_Boolean:
        return v > 0.5f ? "On" : "Off";
    case platform::kAudioUnitParameterUnit_Indexed: {
        // The same integer the kernel gets: NaN reads as 0, values beyond the 64-bit range saturate.
        const std::int64_t i = saturatingInt64(static_cast<double>(v));
        if (i >= 0 && i < static_cast<std::int64_t>(kFilterModeNames.size())) {
            return std::string(kFilterModeNames[static_cast<std::size_t>(i)]);
        }
        char digits[24];
        const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, i);
        return std::string(digits, r.ptr);
    }
    default:
        return twoDecimals(static_cast<double>(v));
    }
}

AUValue parameterValueFromString(const AUParameter& parameter, const std::string& text) {
    switch (parameter.unit()) {
    case platform::kAudioUnitParameterUnit_Boolean:
        return lowerCased(text) == "on" ? 1.0f : 0.0f;
    case platform::kAudioUnitParameterUnit_Indexed: {
        const std::string lower = lowerCased(text);
        if (lower == "low pass") {
            return 0.0f;
        }
        if (lower == "band pass") {
            return 1.0f;
        }
        if (lower == "high pass") {
            return 2.0f;
        }
        break;
    }
    default:
        break;
    }
    if (const std::optional<AUValue> parsed = parseFloat(text)) {
        return *parsed;
    }
    return parameter.value();
}

void QuorbelAudioUnit::setupParameterTree() {
    std::vector<std::shared_ptr<AUParameter>> parameters;
    parameters.reserve(kParameterCount);
    for (std::size_t address = 0; address < kParameterCount; ++address) {
        const ParameterInfo& info = kParameterTable[address];
        std::vector<std::string> valueStrings;
        if (info.unit == platform::kAudioUnitParameterUnit_Indexed) {
            valueStrings.assign(kFilterModeNames.begin(), kFilterModeNames.end());
        }
        std::shared_ptr<AUParameter> parameter = platform::AUParameterTree::createParameter(
            std::string(info.identifier), std::string(info.name), address, info.minValue, info.maxValue,
            info.unit, std::nullopt, kParameterFlags, std::move(valueStrings), {});
        // No tree yet: this reaches no observer and leaves the stored values (already the defaults) alone.
        parameter->setValue(info.defaultValue);
        parameters.push_back(std::move(parameter));
    }
    std::shared_ptr<platform::AUParameterTree> tree =
        platform::AUParameterTree::createTree(std::move(parameters));
    parameterTree_ = tree;

    // The value callbacks hold the stored values weakly: the tree never keeps them (or the unit) alive.
    const std::weak_ptr<ParameterStore> weakStore = parameters_;
    tree->setImplementorValueObserver([weakStore](const AUParameter& parameter, AUValue value) {
        const std::shared_ptr<ParameterStore> store = weakStore.lock();
        if (!store) {
            return;
        }
        if (const std::optional<ParamAddress> address = paramAddressFromRawValue(parameter.address())) {
            store->store(*address, value);
        }
        store->updateKernelParameters();
    });
    tree->setImplementorValueProvider([weakStore](const AUParameter& parameter) -> AUValue {
        const std::shared_ptr<ParameterStore> store = weakStore.lock();
        const std::optional<ParamAddress> address = paramAddressFromRawValue(parameter.address());
        return store && address ? store->value(*address) : 0.0f;
    });
    tree->setImplementorStringFromValueCallback(parameterStringFromValue);
    tree->setImplementorValueFromStringCallback(parameterValueFromString);
}

} // namespace quorbel
