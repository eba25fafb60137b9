// The real program, started from its bundle on the test's own Xvfb server, seen and ended as a user and
// a window manager see and end it.
#include "app/AppDelegate.h"

#include "foundation/NSBundle.h"
#include "support/ChildProcess.h"
#include "support/ImageDifference.h"
#include "support/XClient.h"
#include "support/XvfbServer.h"
#include "ui/Compositor.h"
#include "ui/NSStackView.h"
#include "ui/NSTextField.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace platform;
using namespace quorbel::test;

namespace {

const std::string bundlePath = QUORBEL_APP_BUNDLE;

/// The window as the program shows it, drawn offscreen in this process: its interface with the version
/// that the bundle's dictionary gives (this test program has no bundle of its own).
std::shared_ptr<CGImage> expectedWindow(const std::string& version) {
    OffscreenBackend::install();
    quorbel::AppDelegate delegate;
    delegate.buildInterface();
    auto& stack = dynamic_cast<NSStackView&>(*delegate.window->contentView()->subviews().at(0));
    dynamic_cast<NSTextField&>(*stack.arrangedSubviews().at(1)).setStringValue(version);
    delegate.window->layoutIfNeeded();
    auto image = Compositor::renderWindow(*delegate.window, 1);
    delegate.window->close();
    return image;
}

std::string mappedFiles(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str();
}

} // namespace

TEST(QuorbelProgram, ShowsItsFixedWindowFromItsBundleWithoutLoadingTheEffectAndEndsByCtrlQOrCloseButton) {
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_NE(bundle, nullptr);
    const std::string version = quorbel::versionLabelText(bundle->infoDictionary());
    EXPECT_EQ(version.rfind("v" QUORBEL_VERSION " (", 0), 0u) << version;
    const auto expected = expectedWindow(version);

    for (const bool byKey : {true, false}) {
        ChildProcess program;
        ASSERT_TRUE(
            program.start({bundlePath + "/Contents/MacOS/Quorbel"}, {"DISPLAY=" + server.displayName()}));
        // Its own window: the previous program's may still be there, with the same title.
        const XWindowId id = user.findWindow("Quorbel", program.pid());
        ASSERT_NE(id, 0u) << program.output();
        EXPECT_EQ(user.netWmName(id), "Quorbel");
        const XClient::Geometry g = user.geometry(id);
        EXPECT_EQ(std::vector<int>({g.width, g.height}), std::vector<int>({400, 300}));
        EXPECT_EQ(g.x, (1280 - 400) / 2); // centred on the 1280-pixel-wide screen
        // A window manager may not resize it: its smallest and largest sizes are its size.
        const XClient::SizeHints hints = user.sizeHints(id);
        EXPECT_TRUE(hints.hasMinSize && hints.hasMaxSize);
        EXPECT_EQ(std::vector<int>({hints.minWidth, hints.minHeight, hints.maxWidth, hints.maxHeight}),
                  std::vector<int>({400, 300, 400, 300}));

        // The yellow, the cap, the bundle's version and the caption, as the offscreen drawing shows them.
        std::shared_ptr<CGImage> shot;
        EXPECT_TRUE(eventually([&] {
            shot = user.screenshot(id);
            return maxChannelDifference(*shot, *expected) <= 2;
        })) << "largest channel difference "
            << maxChannelDifference(*shot, *expected);
        if (const char* dir = std::getenv("QUORBEL_SCREENSHOT_DIR")) {
            shot->writePNG(std::string(dir) + "/quorbel-window.png");
        }

        const std::string maps = mappedFiles(program.pid());
        EXPECT_NE(maps.find("libquorbel_ui.so"), std::string::npos); // the map is read
        EXPECT_EQ(maps.find("QuorbelAUMac"), std::string::npos);

        if (byKey) {
            user.movePointer(id, 10, 10); // the keyboard follows the pointer
            user.key("q", XClient::control);
        } else {
            user.sendDeleteWindow(id);
        }
        EXPECT_EQ(program.wait(10), 0) << program.output();
    }
}

TEST(QuorbelProgram, ItsErrorsBearTheNameItsWarningsBear) {
    // The platform's warnings begin "Quorbel: warning:"; an error that ends the program (no display here,
    // a lost connection alike) begins with the same name, not with the path it was started by.
    ChildProcess program;
    ASSERT_TRUE(program.start({bundlePath + "/Contents/MacOS/Quorbel"}, {"DISPLAY="}));
    EXPECT_EQ(program.wait(10), 1) << program.output();
    EXPECT_EQ(program.output().rfind("Quorbel: no user-interface back end: ", 0), 0u) << program.output();
}
