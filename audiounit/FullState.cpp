#include "audiounit/ParameterStore.h"
#include "audiounit/QuorbelAudioUnit.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace quorbel {

using platform::AUValue;
using platform::PropertyList;
using platform::PropertyListDictionary;

namespace {

/// Key of the entry that holds the ten parameter values.
constexpr const char* kParamsKey = "QuorbelParams";

/// A property-list number as the nearest 32-bit float; none for other kinds and for finite numbers
/// beyond the float range (NaN and the infinities convert as themselves).
std::optional<AUValue> floatOf(const PropertyList& value) noexcept {
    const std::optional<double> number = value.number();
    if (!number) {
        return std::nullopt;
    }
    if (std::isfinite(*number) &&
        std::fabs(*number) > static_cast<double>(std::numeric_limits<float>::max())) {
        return std::nullopt;
    }
    return static_cast<AUValue>(*number);
}

/// The address of a state key: one of the ten identifiers, matched exactly.
std::optional<ParamAddress> addressOfKey(const std::string& key) noexcept {
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (kParameterTable[i].identifier == key) {
            return static_cast<ParamAddress>(i);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<PropertyListDictionary> QuorbelAudioUnit::fullState() const {
    PropertyListDictionary state = AUAudioUnit::fullState().value_or(PropertyListDictionary{});
    PropertyListDictionary params;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        params.set(std::string(kParameterTable[i].identifier),
                   PropertyList(static_cast<double>(paramValue(static_cast<ParamAddress>(i)))));
    }
    state.set(kParamsKey, PropertyList(std::move(params)));
    return state;
}

void QuorbelAudioUnit::setFullState(const std::optional<PropertyListDictionary>& state) {
    AUAudioUnit::setFullState(state);
    if (!state) {
        return;
    }
    const PropertyList* entry = state->find(kParamsKey);
    if (entry == nullptr) {
        return;
    }
    const PropertyListDictionary* params = entry->dictionary();
    if (params == nullptr) {
        return;
    }

    // The entry counts as a whole: one value that is not a usable number makes it count as absent.
    struct Pair {
        const std::string* key;
        AUValue value;
    };
    std::vector<Pair> pairs;
    pairs.reserve(params->size());
    for (const auto& [key, value] : *params) {
        const std::optional<AUValue> converted = floatOf(value);
        if (!converted) {
            return;
        }
        pairs.push_back(Pair{&key, *converted});
    }

    // First pass, in address order: store directly, notifying nobody.
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        for (const Pair& pair : pairs) {
            if (*pair.key == kParameterTable[i].identifier) {
                setParamValue(static_cast<ParamAddress>(i), pair.value);
            }
        }
    }
    // Second pass, in the entry's order: set through the tree, so that its observers hear of each value.
    for (const Pair& pair : pairs) {
        const std::optional<ParamAddress> address = addressOfKey(*pair.key);
        if (!address) {
            continue;
        }
        if (const std::shared_ptr<platform::AUParameterTree> tree = parameterTree()) {
            if (platform::AUParameter* parameter = tree->parameterWithAddress(index(*address))) {
                parameter->setValue(pair.value);
            }
        }
    }
    updateKernelParameters();
}

} // namespace quorbel
