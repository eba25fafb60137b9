#pragma once
/// Stand-in for the platform's parameter object, with the parameter unit codes and flags.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiotoolbox/AudioUnitTypes.h"

namespace platform {

/// Unit of a parameter's value, with the platform's codes.
enum AudioUnitParameterUnit : std::uint32_t {
    kAudioUnitParameterUnit_Generic = 0,
    kAudioUnitParameterUnit_Indexed = 1,
    kAudioUnitParameterUnit_Boolean = 2,
    kAudioUnitParameterUnit_Hertz = 8,
    kAudioUnitParameterUnit_LinearGain = 14,
};

/// Parameter flags (bits), as on the platform.
using AudioUnitParameterOptions = std::uint32_t;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsReadable = 1u << 30;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsWritable = 1u << 31;

class AUParameter;
class AUParameterTree;

/// Implementor callbacks, installed on a tree and serving all its parameters.
/// Value observer: runs on the setting thread for every value set, before the tree's observers.
using AUImplementorValueObserver = std::function<void(const AUParameter& parameter, AUValue value)>;
/// Value provider: gives the value whenever a parameter's value is read.
using AUImplementorValueProvider = std::function<AUValue(const AUParameter& parameter)>;
/// Text of a value; `value` may be null, meaning the parameter's current value.
using AUImplementorStringFromValueCallback =
    std::function<std::string(const AUParameter& parameter, const AUValue* value)>;
/// Value of a text typed by a user.
using AUImplementorValueFromStringCallback =
    std::function<AUValue(const AUParameter& parameter, const std::string& text)>;

/// One parameter: identity, range, unit and flags are fixed at creation; the value is read and set
/// through the tree's implementor callbacks once the parameter belongs to a tree, and kept in the
/// parameter itself before that. Created by AUParameterTree::createParameter, held by std::shared_ptr.
class AUParameter {
public:
    /// Use AUParameterTree::createParameter. Allocates.
    AUParameter(std::string identifier, std::string displayName, AUParameterAddress address, AUValue minValue,
                AUValue maxValue, AudioUnitParameterUnit unit, std::optional<std::string> unitName,
                AudioUnitParameterOptions flags, std::vector<std::string> valueStrings,
                std::vector<AUParameterAddress> dependentParameters);
    AUParameter(const AUParameter&) = delete;
    AUParameter& operator=(const AUParameter&) = delete;

    /// Identity, range, unit and flags, fixed at creation. Real-time safe.
    const std::string& identifier() const noexcept { return identifier_; }
    const std::string& displayName() const noexcept { return displayName_; }
    AUParameterAddress address() const noexcept { return address_; }
    AUValue minValue() const noexcept { return minValue_; }
    AUValue maxValue() const noexcept { return maxValue_; }
    AudioUnitParameterUnit unit() const noexcept { return unit_; }
    /// The unit's name, or none.
    const std::optional<std::string>& unitName() const noexcept { return unitName_; }
    AudioUnitParameterOptions flags() const noexcept { return flags_; }
    /// Texts of the values 0, 1, 2, … of an indexed parameter; empty when it has none.
    const std::vector<std::string>& valueStrings() const noexcept { return valueStrings_; }
    const std::vector<AUParameterAddress>& dependentParameters() const noexcept {
        return dependentParameters_;
    }

    /// The current value: the tree's value provider when there is one, else the value last set.
    /// Real-time safe when the provider is.
    AUValue value() const noexcept;
    /// Sets the value and notifies every observer (setValue: with no originator).
    void setValue(AUValue value) noexcept { setValue(value, nullptr); }
    /// Sets the value: stores it, runs the tree's implementor value observer, then notifies the tree's
    /// observers except the one whose token is `originator`, all on this thread. Real-time safe
    /// when the callbacks are: no lock, no allocation, no waiting.
    void setValue(AUValue value, AUParameterObserverToken originator) noexcept;

    /// Display text of `*value`, or of the current value when `value` is null: the tree's
    /// string-from-value callback, else the value string of an indexed value, else two decimals.
    /// Allocates.
    std::string stringFromValue(const AUValue* value) const;
    /// Value of a text: the tree's value-from-string callback, else a value string's index, else the
    /// number the whole text spells (C locale), else the current value. Allocates.
    AUValue valueFromString(const std::string& text) const;

private:
    friend class AUParameterTree;

    std::string identifier_;
    std::string displayName_;
    AUParameterAddress address_;
    AUValue minValue_;
    AUValue maxValue_;
    AudioUnitParameterUnit unit_;
    std::optional<std::string> unitName_;
    AudioUnitParameterOptions flags_;
    std::vector<std::string> valueStrings_;
    std::vector<AUParameterAddress> dependentParameters_;

    std::atomic<AUValue> value_;
    /// The tree that holds this parameter; set once when the tree is created, before it is shared.
    std::weak_ptr<AUParameterTree> tree_;

    static_assert(std::atomic<AUValue>::is_always_lock_free);
};

} // namespace platform
