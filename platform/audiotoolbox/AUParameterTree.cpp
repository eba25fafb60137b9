#include "audiotoolbox/AUParameterTree.h"

#include <utility>

namespace platform {

std::shared_ptr<AUParameter> AUParameterTree::createParameter(
    std::string identifier, std::string name, AUParameterAddress address, AUValue min, AUValue max,
    AudioUnitParameterUnit unit, std::optional<std::string> unitName, AudioUnitParameterOptions flags,
    std::vector<std::string> valueStrings, std::vector<AUParameterAddress> dependentParameters) {
    return std::make_shared<AUParameter>(std::move(identifier), std::move(name), address, min, max, unit,
                                         std::move(unitName), flags, std::move(valueStrings),
                                         std::move(dependentParameters));
}

std::shared_ptr<AUParameterTree>
AUParameterTree::createTree(std::vector<std::shared_ptr<AUParameter>> children) {
    auto tree = std::make_shared<AUParameterTree>(CreationKey{}, std::move(children));
    for (const std::shared_ptr<AUParameter>& parameter : tree->children_) {
        parameter->tree_ = tree;
    }
    return tree;
}

AUParameterTree::AUParameterTree(CreationKey, std::vector<std::shared_ptr<AUParameter>> children)
    : children_(std::move(children)) {
    std::erase(children_, nullptr);
}

AUParameter* AUParameterTree::parameterWithAddress(AUParameterAddress address) const noexcept {
    for (const std::shared_ptr<AUParameter>& parameter : children_) {
        if (parameter->address() == address) {
            return parameter.get();
        }
    }
    return nullptr;
}

void AUParameterTree::valueDidChange(const AUParameter& parameter, AUValue value,
                                     AUParameterObserverToken originator) const noexcept {
    if (valueObserver_) {
        valueObserver_(parameter, value);
    }
    observers_.notify(parameter.address(), value, originator);
}

} // namespace platform
