#include "ui/UIBackend.h"

#include "support/NumberText.h"

#include <cerrno>
#include <cstdio>
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
    const auto value = support::parseDouble(text, support::Overflow::refused);
    if (!value || !(*value >= 1 && *value <= 4)) {
        std::fprintf(
            stderr,
            "%s: warning: QUORBEL_UI_SCALE is '%s', not a number from 1 to 4; drawing at 1 pixel per point\n",
            program_invocation_short_name, text);
        return 1;
    }
    return *value;
}

} // namespace platform
