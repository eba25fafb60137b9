#include "audiotoolbox/AUParameter.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

#include "audiotoolbox/AUParameterTree.h"
#include "support/NumberText.h"

namespace platform {

AUParameter::AUParameter(std::string identifier, std::string displayName, AUParameterAddress address,
                         AUValue minValue, AUValue maxValue, AudioUnitParameterUnit unit,
                         std::optional<std::string> unitName, AudioUnitParameterOptions flags,
                         std::vector<std::string> valueStrings,
                         std::vector<AUParameterAddress> dependentParameters)
    : identifier_(std::move(identifier)), displayName_(std::move(displayName)), address_(address),
      minValue_(minValue), maxValue_(maxValue), unit_(unit), unitName_(std::move(unitName)), flags_(flags),
      valueStrings_(std::move(valueStrings)), dependentParameters_(std::move(dependentParameters)),
      value_(minValue) {}

AUValue AUParameter::value() const noexcept {
    if (const std::shared_ptr<AUParameterTree> tree = tree_.lock()) {
        if (const AUImplementorValueProvider& provider = tree->implementorValueProvider()) {
            return provider(*this);
        }
    }
    return value_.load(std::memory_order_relaxed);
}

void AUParameter::setValue(AUValue value, AUParameterObserverToken originator) noexcept {
    value_.store(value, std::memory_order_relaxed);
    if (const std::shared_ptr<AUParameterTree> tree = tree_.lock()) {
        tree->valueDidChange(*this, value, originator);
    }
}

std::string AUParameter::stringFromValue(const AUValue* value) const {
    if (const std::shared_ptr<AUParameterTree> tree = tree_.lock()) {
        if (const AUImplementorStringFromValueCallback& callback =
                tree->implementorStringFromValueCallback()) {
            return callback(*this, value);
        }
    }
    const AUValue v = value != nullptr ? *value : this->value();
    if (unit_ == kAudioUnitParameterUnit_Indexed && std::isfinite(v) && v >= 0.0f &&
        v < static_cast<AUValue>(valueStrings_.size())) {
        return valueStrings_[static_cast<std::size_t>(v)];
    }
    return support::fixedText(static_cast<double>(v), 2);
}

AUValue AUParameter::valueFromString(const std::string& text) const {
    if (const std::shared_ptr<AUParameterTree> tree = tree_.lock()) {
        if (const AUImplementorValueFromStringCallback& callback =
                tree->implementorValueFromStringCallback()) {
            return callback(*this, text);
        }
    }
    for (std::size_t i = 0; i < valueStrings_.size(); ++i) {
        if (valueStrings_[i] == text) {
            return static_cast<AUValue>(i);
        }
    }
    AUValue parsed = 0.0f;
    const char* end = text.data() + text.size();
    const std::from_chars_result r = std::from_chars(text.data(), end, parsed);
    if (!text.empty() && r.ec == std::errc{} && r.ptr == end) {
        return parsed;
    }
    return value();
}

} // namespace platform
