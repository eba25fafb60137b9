#include "ui/UIBackend.h"

#include "support/NumberText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

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
    // Decimal digits with at most one point: the C library would also read "0x2" (hexadecimal two), "2e0"
    // or "+2".
    const std::string_view digits(text);
    const bool decimal = digits.find_first_not_of("0123456789.") == std::string_view::npos &&
                         digits.find_first_of("0123456789") != std::string_view::npos &&
                         digits.find('.') == digits.rfind('.');
    const auto value = decimal ? support::parseDouble(text, support::Overflow::refused) : std::nullopt;
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
