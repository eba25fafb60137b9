// The effect's extension bundle as a host meets it: found and described by its Info.plist, its library
// loaded through the component registry, its principal object both the unit factory and the editor's
// view controller, and nothing exported but the entry point.

#include "audiotoolbox/AudioComponentRegistry.h"
#include "audiotoolbox/NSPropertyListSerialization.h"
#include "ui/AUViewController.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

using namespace platform;

namespace {

/// True for a mangled name in namespace std: _ZSt…, _ZNSt…, _ZNKSt…, _ZZNSt… (a local static), and the
/// virtual table, type information, its name and guard variable of such (_ZTV, _ZTI, _ZTS, _ZGV).
bool inStandardNamespace(std::string_view name) {
    if (name.substr(0, 2) != "_Z") {
        return false;
    }
    name.remove_prefix(2);
    for (std::string_view special : {"TV", "TI", "TS", "GV"}) {
        if (name.substr(0, 2) == special) {
            name.remove_prefix(2);
            break;
        }
    }
    for (char nesting : {'Z', 'N', 'K'}) {
        if (!name.empty() && name.front() == nesting) {
            name.remove_prefix(1);
        }
    }
    return name.substr(0, 2) == "St";
}

} // namespace

TEST(Extension, LoadsThroughTheRegistryAndMakesTheEffect) {
    AudioComponentRegistry registry;
    NSError error;
    ASSERT_TRUE(registry.scan(QUORBEL_APPEX, &error)) << error.localizedDescription();
    ASSERT_TRUE(registry.problems().empty()) << registry.problems()[0].localizedDescription();
    ASSERT_EQ(registry.components().size(), 1u);
    const AudioComponentEntry entry = registry.components()[0];
    EXPECT_EQ(entry.description.componentType, kAudioUnitType_Effect);
    EXPECT_EQ(entry.principalClass, "QuorbelAUViewControllerMac");

    const auto unit = registry.instantiate({kAudioUnitType_Effect, 0, 0, 0, 0}, &error);
    ASSERT_NE(unit, nullptr) << error.localizedDescription();
    // The bundle describes the component its library makes.
    EXPECT_EQ(unit->componentDescription(), entry.description);
    EXPECT_EQ(unit->componentName(), entry.name);
    EXPECT_EQ(unit->componentVersion(), entry.version);
    ASSERT_NE(unit->parameterTree(), nullptr);
    EXPECT_EQ(unit->parameterTree()->children().size(), 10u);
    EXPECT_DOUBLE_EQ(unit->latency(), 0.37151927437641724);

    // One object, two faces, one ownership.
    const auto principal = registry.principalObject(entry, &error);
    ASSERT_TRUE(principal) << error.localizedDescription();
    ASSERT_NE(principal->viewController, nullptr);
    EXPECT_FALSE(principal->factory.owner_before(principal->viewController));
    EXPECT_FALSE(principal->viewController.owner_before(principal->factory));
    EXPECT_EQ(dynamic_cast<void*>(principal->factory.get()),
              dynamic_cast<void*>(principal->viewController.get()));
}

TEST(Extension, IsIdentifiedUnderTheApplicationThatCarriesIt) {
    const auto identifier = [](const std::string& bundle) {
        std::ifstream in(bundle + "/Contents/Info.plist", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        NSError error;
        const auto info = NSPropertyListSerialization::dictionaryWithData(text.str(), &error);
        EXPECT_TRUE(info) << bundle << ": " << error.localizedDescription();
        const PropertyList* value = info ? info->find("CFBundleIdentifier") : nullptr;
        return value != nullptr && value->string() != nullptr ? *value->string() : std::string();
    };
    const std::string app = identifier(QUORBEL_APP_BUNDLE);
    ASSERT_FALSE(app.empty());
    EXPECT_EQ(identifier(QUORBEL_APPEX), app + ".QuorbelAUMac");
}

TEST(Extension, ExportsOnlyItsEntryPoint) {
    const std::string library = std::string(QUORBEL_APPEX) + "/Contents/MacOS/QuorbelAUMac";
    FILE* nm = ::popen(("nm -D --defined-only --format=posix '" + library + "'").c_str(), "r");
    ASSERT_NE(nm, nullptr);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, nm)) > 0;) {
        text.append(buffer, n);
    }
    ASSERT_EQ(::pclose(nm), 0);
    bool entryPoint = false;
    std::istringstream lines(text);
    for (std::string name, rest; lines >> name && std::getline(lines, rest);) {
        if (name == AUExtensionEntryPointName) {
            entryPoint = true;
            continue;
        }
        // The linker's markers of the data segment, and the standard library's own weak and unique objects
        // (type information, virtual tables, static tags) keep the default visibility its headers give them;
        // nothing of ours may show.
        const bool linkerMarker = name == "__bss_start" || name == "_edata" || name == "_end";
        EXPECT_TRUE(inStandardNamespace(name) || linkerMarker) << "exported: " << name;
    }
    EXPECT_TRUE(entryPoint);
}
