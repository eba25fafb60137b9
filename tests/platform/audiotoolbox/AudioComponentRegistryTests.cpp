// The component registry on fixture bundles made in a temporary folder around a trivial extension
// library (fixture/TestExtension.cpp): scanning, the process register, instantiation through the factory,
// and each failure a host can meet.

#include "audiotoolbox/AudioComponentRegistry.h"
#include "audiotoolbox/NSPropertyListSerialization.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct Offer {
    std::string type, subtype, manufacturer, name;
    std::int64_t version;
};

std::string infoPlist(const std::string& principalClass, const std::vector<Offer>& offers) {
    PropertyList::Array components;
    for (const Offer& o : offers) {
        components.emplace_back(PropertyListDictionary{{"type", o.type},
                                                       {"subtype", o.subtype},
                                                       {"manufacturer", o.manufacturer},
                                                       {"name", o.name},
                                                       {"version", o.version}});
    }
    const PropertyListDictionary extension{
        {"NSExtensionPrincipalClass", principalClass},
        {"NSExtensionAttributes", PropertyListDictionary{{"AudioComponents", components}}}};
    return *NSPropertyListSerialization::dataWithPropertyList(
        PropertyListDictionary{{"CFBundleExecutable", "Library"}, {"NSExtension", extension}}, nullptr);
}

class AudioComponentRegistryTest : public ::testing::Test {
protected:
    /// A bundle at `relative` with `plist` as its Info.plist (none when empty) and `library` as its
    /// library (linked in; none when empty).
    fs::path bundle(const std::string& relative, const std::string& plist,
                    const std::string& library = TEST_EXTENSION_LIBRARY) const {
        const fs::path at = dir_ / relative;
        fs::create_directories(at / "Contents" / "MacOS");
        if (!plist.empty()) {
            std::ofstream(at / "Contents" / "Info.plist") << plist;
        }
        if (!library.empty()) {
            fs::create_symlink(library, at / "Contents" / "MacOS" / "Library");
        }
        return at;
    }

    quorbel::test::TestFolder folder_{"registry"};
    const fs::path& dir_ = folder_.path();
};

AudioComponentDescription describe(const std::string& subtype) {
    return {kAudioUnitType_Effect, *fourCharCodeFromString(subtype), fourCharCode("Test"), 0, 0};
}

} // namespace

TEST_F(AudioComponentRegistryTest, FindsExtensionsAndMakesUnitsThroughTheirPrincipalObject) {
    bundle("Fx.appex", infoPlist("TestFactory", {{"aufx", "tst1", "Test", "One", 0x10203},
                                                 {"aufx", "tst3", "Test", "Three", 3}}));
    bundle("Host.app/Contents/PlugIns/Gx.appex",
           infoPlist("TestFactory", {{"aumu", "tst2", "Test", "Two", 2}}));
    fs::create_directories(dir_ / "Other");
    std::ofstream(dir_ / "notes.txt") << "not a bundle";

    AudioComponentRegistry registry;
    ASSERT_TRUE(registry.scan(dir_.string(), nullptr));
    ASSERT_TRUE(registry.scan(dir_.string(), nullptr)); // a second scan adds nothing
    EXPECT_TRUE(registry.problems().empty());
    ASSERT_EQ(registry.components().size(), 3u);
    EXPECT_EQ(registry.components()[0].name, "One");
    EXPECT_EQ(registry.components()[1].name, "Three");
    EXPECT_EQ(registry.components()[2].name, "Two");
    EXPECT_EQ(fs::path(registry.components()[2].bundlePath).filename(), "Gx.appex");
    EXPECT_EQ(registry.components()[2].principalClass, "TestFactory");
    EXPECT_EQ(registry.components()[2].description.componentType, fourCharCode("aumu"));
    ASSERT_NE(registry.find({0, fourCharCode("tst2"), 0, 0, 0}), nullptr);
    EXPECT_EQ(registry.find({0, fourCharCode("tst2"), 0, 0, 0})->name, "Two");

    // A unit asked for with a partial description gets the component's full one, and the name and
    // version that the scan registered for it.
    NSError error;
    const auto unit = registry.instantiate({0, fourCharCode("tst1"), 0, 0, 0}, &error);
    ASSERT_NE(unit, nullptr) << error.localizedDescription();
    EXPECT_EQ(unit->componentDescription(), describe("tst1"));
    EXPECT_EQ(unit->componentName(), "One");
    EXPECT_EQ(unit->componentVersion(), 0x10203u);

    // One principal object per extension, made once, shared by the units of its components.
    const auto first = registry.principalObject(registry.components()[0], nullptr);
    const auto again = registry.principalObject(registry.components()[1], nullptr);
    ASSERT_TRUE(first && again);
    EXPECT_EQ(first->factory, again->factory);
    EXPECT_EQ(first->viewController, nullptr);
    ASSERT_NE(registry.instantiate(describe("tst3"), nullptr), nullptr);

    // A bundle or an application named directly.
    AudioComponentRegistry direct;
    ASSERT_TRUE(direct.scan((dir_ / "Fx.appex").string(), nullptr));
    ASSERT_TRUE(direct.scan((dir_ / "Host.app").string(), nullptr));
    EXPECT_EQ(direct.components().size(), 3u);
}

TEST_F(AudioComponentRegistryTest, ReportsEachFailureWithItsReason) {
    AudioComponentRegistry registry;
    NSError error;
    EXPECT_FALSE(registry.scan((dir_ / "missing").string(), &error));
    EXPECT_EQ(error.code(), NSFileReadNoSuchFileError);
    EXPECT_NE(error.localizedDescription().find("missing' does not exist"), std::string::npos);
    std::ofstream(dir_ / "file.appex") << "x";
    EXPECT_FALSE(registry.scan((dir_ / "file.appex").string(), &error));
    EXPECT_NE(error.localizedDescription().find("is not a folder"), std::string::npos);

    // Bundles whose Info.plist cannot be used are skipped, each with its reason.
    bundle("A1.appex", "");
    bundle("A2.appex", "<plist><dict><key>x</key>");
    bundle("A3.appex", infoPlist("", {{"aufx", "tst1", "Test", "One", 1}}));
    bundle("A4.appex", infoPlist("TestFactory", {{"aufxx", "tst1", "Test", "One", 1}}));
    bundle("A5.appex", infoPlist("TestFactory", {{"aufx", "tst1", "Test", "One", -1}}));
    bundle("A6.appex", infoPlist("TestFactory", {}));
    // Bundles that scan well and fail when used.
    const fs::path garbage = dir_ / "garbage.so";
    std::ofstream(garbage) << "not a library";
    bundle("B1.appex", infoPlist("TestFactory", {{"aufx", "load", "Test", "Unloadable", 1}}),
           garbage.string());
    bundle("B2.appex", infoPlist("TestFactory", {{"aufx", "link", "Test", "Entryless", 1}}),
           LIBRARY_WITHOUT_ENTRY_POINT);
    bundle("B3.appex", infoPlist("Nobody", {{"aufx", "clas", "Test", "Classless", 1}}));
    bundle("B4.appex", infoPlist("TestFactory", {{"aufx", "fail", "Test", "Refuser", 1}}));
    ASSERT_TRUE(registry.scan(dir_.string(), &error));

    const std::vector<std::pair<std::string, std::string>> skipped = {
        {"A1.appex", "no readable Contents/Info.plist"},
        {"A2.appex", "not a readable property list"},
        {"A3.appex", "NSExtensionPrincipalClass"},
        {"A4.appex", "AudioComponents item 0: \"type\" must be a text of four printable characters"},
        {"A5.appex", "\"version\" must be an integer"},
        {"A6.appex", "no \"AudioComponents\" array"}};
    ASSERT_EQ(registry.problems().size(), skipped.size());
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        const std::string& message = registry.problems()[i].localizedDescription();
        EXPECT_EQ(registry.problems()[i].code(), NSFileReadCorruptFileError);
        EXPECT_NE(message.find(skipped[i].first + "': it cannot be used: "), std::string::npos) << message;
        EXPECT_NE(message.find(skipped[i].second), std::string::npos) << message;
    }
    ASSERT_EQ(registry.components().size(), 4u);

    struct Failure {
        const char* subtype;
        NSInteger code;
        std::string says;
    };
    const Failure failures[] = {
        {"load", NSExecutableLoadError, "B1.appex': its library does not load: "},
        {"link", NSExecutableLinkError,
         "B2.appex/Contents/MacOS/Library' exports no AUExtensionCreatePrincipalObject"},
        {"clas", 1, "B3.appex' could not make its principal object 'Nobody': no class named Nobody"},
        {"fail", kAudioUnitErr_FailedInitialization,
         "'Refuser' (aufx fail Test) in '" + (dir_ / "B4.appex").string() +
             "' could not be created: refused on purpose"},
        {"none", NSFileNoSuchFileError, "no extension offers the component aufx none Test"}};
    for (const Failure& f : failures) {
        error = NSError();
        EXPECT_EQ(registry.instantiate(describe(f.subtype), &error), nullptr) << f.subtype;
        EXPECT_EQ(error.code(), f.code) << f.subtype;
        EXPECT_NE(error.localizedDescription().find(f.says), std::string::npos)
            << error.localizedDescription();
    }
}
