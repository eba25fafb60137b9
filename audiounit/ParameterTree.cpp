#include "audiounit/ParameterTree.h"

#include "audiotoolbox/AUParameterTree.h"
#include "audiounit/ParameterStore.h"
#include "audiounit/QuorbelAudioUnit.h"
#include "support/NumberText.h"

#include <charconv>
#include <memory>
#include <utility>
#include <vector>

namespace quorbel {

using platform::AUParameter;
using platform::AUValue;
namespace support = platform::support;

namespace {

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
        const std::int64_t i = filterModeNumber(v);
        if (i >= 0 && i < static_cast<std::int64_t>(kFilterModeNames.size())) {
            return std::string(kFilterModeNames[static_cast<std::size_t>(i)]);
        }
        char digits[24];
        const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, i);
        return std::string(digits, r.ptr);
    }
    default:
        return support::fixedText(static_cast<double>(v), 2);
    }
}

AUValue parameterValueFromString(const AUParameter& parameter, const std::string& text) {
    switch (parameter.unit()) {
    case platform::kAudioUnitParameterUnit_Boolean:
        return lowerCased(text) == "on" ? 1.0f : 0.0f;
    case platform::kAudioUnitParameterUnit_Indexed: {
        const std::string lower = lowerCased(text);
        for (std::size_t i = 0; i < kFilterModeNames.size(); ++i) {
            if (lower == lowerCased(std::string(kFilterModeNames[i]))) {
                return static_cast<AUValue>(i);
            }
        }
        break;
    }
    default:
        break;
    }
    // A finite text beyond the float range is no number: it must not pass as some other value.
    if (const std::optional<AUValue> parsed = support::parseFloat(text, support::Overflow::refused)) {
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
