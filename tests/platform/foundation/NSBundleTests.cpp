// The bundle stand-in: where a program's bundle is, and its information dictionary.
#include "foundation/NSBundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using platform::NSBundle;
namespace fs = std::filesystem;

TEST(NSBundle, AProgramInContentsMacOSBelongsToTheFolderAboveContents) {
    EXPECT_EQ(NSBundle::bundlePathForExecutable("/opt/q/Quorbel.app/Contents/MacOS/Quorbel"),
              "/opt/q/Quorbel.app");
    EXPECT_EQ(NSBundle::bundlePathForExecutable("/usr/bin/tool"), "/usr/bin");
    EXPECT_EQ(NSBundle::bundlePathForExecutable("/opt/MacOS/tool"), "/opt/MacOS");
    // This test program is no bundle's: it has no information dictionary.
    EXPECT_EQ(NSBundle::mainBundle().infoDictionary(), nullptr);
    EXPECT_EQ(NSBundle::mainBundle().bundlePath(), fs::canonical("/proc/self/exe").parent_path().string());
}

TEST(NSBundle, ReadsTheDictionaryAndHasNoneWhenItIsMissingOrBroken) {
    const fs::path root = fs::temp_directory_path() / ("nsbundle-test-" + std::to_string(::getpid()));
    fs::create_directories(root / "Contents");
    const auto write = [&](const std::string& text) {
        std::ofstream(root / "Contents" / "Info.plist") << text;
    };

    EXPECT_EQ(NSBundle::bundleWithPath((root / "missing").string()), nullptr);
    EXPECT_EQ(NSBundle::bundleWithPath(root.string())->infoDictionary(), nullptr); // no Info.plist yet

    write("<plist version=\"1.0\"><dict><key>CFBundleVersion</key><string>12</string></dict></plist>");
    const auto bundle = NSBundle::bundleWithPath(root.string());
    ASSERT_NE(bundle->infoDictionary(), nullptr);
    EXPECT_EQ(*bundle->objectForInfoDictionaryKey("CFBundleVersion")->string(), "12");
    EXPECT_EQ(bundle->objectForInfoDictionaryKey("CFBundleShortVersionString"), nullptr);

    for (const char* broken :
         {"<plist version=\"1.0\"><dict><key>CFBundleVersion</key>", "not a property list",
          "<plist version=\"1.0\"><array><string>12</string></array></plist>"}) {
        write(broken);
        EXPECT_EQ(NSBundle::bundleWithPath(root.string())->infoDictionary(), nullptr) << broken;
    }
    fs::remove_all(root);
}
