#pragma once
/// Stand-in for the platform's parameter tree: a flat list of parameters, the four implementor
/// callbacks that serve them, and the observers of their values.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiotoolbox/AUParameter.h"
#include "audiotoolbox/ParameterObserverList.h"

namespace platform {

/// A flat parameter tree (no groups). Held by std::shared_ptr; install the implementor callbacks
/// before the tree is shared with other threads, and do not replace them while values are being set.
class AUParameterTree : public std::enable_shared_from_this<AUParameterTree> {
    struct CreationKey {
        explicit CreationKey() = default;
    };

public:
    /// A new parameter with its value at `minValue`
    /// (createParameterWithIdentifier:name:address:min:max:unit:unitName:flags:valueStrings:dependentParameters:).
    /// Allocates.
    static std::shared_ptr<AUParameter>
    createParameter(std::string identifier, std::string name, AUParameterAddress address, AUValue min,
                    AUValue max, AudioUnitParameterUnit unit, std::optional<std::string> unitName,
                    AudioUnitParameterOptions flags, std::vector<std::string> valueStrings = {},
                    std::vector<AUParameterAddress> dependentParameters = {});

    /// A tree of these parameters, in this order (createTreeWithChildren:). Each parameter is
    /// attached to the new tree (a parameter belongs to one tree). Allocates.
    static std::shared_ptr<AUParameterTree> createTree(std::vector<std::shared_ptr<AUParameter>> children);

    explicit AUParameterTree(CreationKey, std::vector<std::shared_ptr<AUParameter>> children);
    AUParameterTree(const AUParameterTree&) = delete;
    AUParameterTree& operator=(const AUParameterTree&) = delete;

    /// The parameters in creation order.
    const std::vector<std::shared_ptr<AUParameter>>& children() const noexcept { return children_; }
    /// Every parameter of the tree (the same list: the tree is flat).
    const std::vector<std::shared_ptr<AUParameter>>& allParameters() const noexcept { return children_; }

    /// The first parameter with this address, or null; valid while the tree lives.
    /// Real-time safe (a scan of the children).
    AUParameter* parameterWithAddress(AUParameterAddress address) const noexcept;

    /// Install (set…) and read the four implementor callbacks; an empty function removes one. Allocates.
    void setImplementorValueObserver(AUImplementorValueObserver observer) {
        valueObserver_ = std::move(observer);
    }
    void setImplementorValueProvider(AUImplementorValueProvider provider) {
        valueProvider_ = std::move(provider);
    }
    void setImplementorStringFromValueCallback(AUImplementorStringFromValueCallback callback) {
        stringFromValue_ = std::move(callback);
    }
    void setImplementorValueFromStringCallback(AUImplementorValueFromStringCallback callback) {
        valueFromString_ = std::move(callback);
    }
    const AUImplementorValueObserver& implementorValueObserver() const noexcept { return valueObserver_; }
    const AUImplementorValueProvider& implementorValueProvider() const noexcept { return valueProvider_; }
    const AUImplementorStringFromValueCallback& implementorStringFromValueCallback() const noexcept {
        return stringFromValue_;
    }
    const AUImplementorValueFromStringCallback& implementorValueFromStringCallback() const noexcept {
        return valueFromString_;
    }

    /// Adds an observer of every parameter's value changes and returns its token; null when the
    /// tree already holds ParameterObserverList::capacity observers. The observer runs on whichever
    /// thread sets a value, the render thread included. Allocates, takes a lock among control threads.
    AUParameterObserverToken tokenByAddingParameterObserver(AUParameterObserver observer) {
        return observers_.add(std::move(observer));
    }
    /// Removes an observer; see ParameterObserverList::remove for what happens to a call in progress.
    /// May wait for notifications on other threads; never makes a setting thread wait.
    void removeParameterObserver(AUParameterObserverToken token) { observers_.remove(token); }

private:
    friend class AUParameter;

    /// Runs the implementor value observer, then the observers except `originator`. Real-time safe.
    void valueDidChange(const AUParameter& parameter, AUValue value,
                        AUParameterObserverToken originator) const noexcept;

    std::vector<std::shared_ptr<AUParameter>> children_;
    AUImplementorValueObserver valueObserver_;
    AUImplementorValueProvider valueProvider_;
    AUImplementorStringFromValueCallback stringFromValue_;
    AUImplementorValueFromStringCallback valueFromString_;
    ParameterObserverList observers_;
};

} // namespace platform
