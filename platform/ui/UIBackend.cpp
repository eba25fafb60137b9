#include "ui/UIBackend.h"

#include <cstdlib>
#include <map>

namespace platform {

namespace {
std::map<std::string, NSApplicationBackendFactory>& registry() {
    static std::map<std::string, NSApplicationBackendFactory> factories;
    return factories;
}
} // namespace

bool registerApplicationBackend(const std::string& name, NSApplicationBackendFactory factory) {
    registry()[name] = std::move(factory);
    return true;
}

std::unique_ptr<NSApplicationBackend> makeApplicationBackend(const std::string& name, std::string& error) {
    const auto it = registry().find(name);
    if (it == registry().end() || !it->second) {
        error = "this build has no \"" + name + "\" back end";
        return nullptr;
    }
    auto backend = it->second(error);
    if (!backend && error.empty()) {
        error = "the \"" + name + "\" back end could not start";
    }
    return backend;
}

CGFloat pixelDensityFromEnvironment() {
    const char* text = std::getenv("QUORBEL_UI_SCALE");
    if (text == nullptr || *text == '\0') {
        return 1;
    }
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= 1 && value <= 4)) {
        return 1;
    }
    return value;
}

} // namespace platform
