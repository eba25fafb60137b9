// The container application's window, menu and version label, built by its delegate on the offscreen
// back end.
#include "app/AppDelegate.h"

#include "foundation/NSBundle.h"
#include "graphics/CGImage.h"
#include "ui/NSApplication.h"
#include "ui/NSImageView.h"
#include "ui/NSMenu.h"
#include "ui/NSStackView.h"
#include "ui/NSTextField.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace platform;
using quorbel::AppDelegate;

namespace {

class CountingDelegate : public AppDelegate {
public:
    void applicationWillTerminate(const NSNotification&) override { ++terminations; }
    int terminations = 0;
};

/// The delegate of a started application (as the program starts it), its interface built and drawn.
std::shared_ptr<CountingDelegate> launch() {
    OffscreenBackend::install();
    auto delegate = std::make_shared<CountingDelegate>();
    NSApplication& app = NSApplication::shared();
    app.setDelegate(delegate);
    app.setActivationPolicy(NSApplicationActivationPolicyRegular);
    app.run();               // offscreen: launches, draws, and returns once idle
    if (!delegate->window) { // launched before in this process: the application launches once
        delegate->buildInterface();
        OffscreenBackend::install().runUntilIdle();
    }
    return delegate;
}

NSStackView& stackOf(const AppDelegate& delegate) {
    return dynamic_cast<NSStackView&>(*delegate.window->contentView()->subviews().at(0));
}

/// Expects the pixel at (x, y) of `image` to show the opaque colour (r, g, b), components 0 to 1.
void expectColour(const CGImage& image, double x, double y, double r, double g, double b, const char* what) {
    const CGImagePixel p = image.pixelAt(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
    EXPECT_NEAR(p.red, r * 255, 1.5) << what;
    EXPECT_NEAR(p.green, g * 255, 1.5) << what;
    EXPECT_NEAR(p.blue, b * 255, 1.5) << what;
    EXPECT_EQ(p.alpha, 255) << what;
}

bool hasDarkPixel(const CGImage& image, CGRect r) {
    for (auto y = static_cast<std::size_t>(r.minY()); y < static_cast<std::size_t>(r.maxY()); ++y) {
        for (auto x = static_cast<std::size_t>(r.minX()); x < static_cast<std::size_t>(r.maxX()); ++x) {
            if (image.pixelAt(x, y).red < 60) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(AppDelegate, StartUpBuildsTheMenuAndAFixedSizeWindowWithTheStackCentred) {
    const auto delegate = launch();
    NSApplication& app = NSApplication::shared();
    ASSERT_NE(delegate->window, nullptr);
    NSWindow& window = *delegate->window;
    EXPECT_EQ(window.title(), "Quorbel");
    EXPECT_EQ(window.styleMask(), 7u); // titled, closable, miniaturisable; not resizable
    EXPECT_TRUE(window.isVisible());
    // Centred on the offscreen back end's 1920 x 1080 screen.
    EXPECT_EQ(window.frame().size, CGSize(400, 300));
    EXPECT_EQ(window.frame().midX(), 960);

    const auto& menu = app.mainMenu();
    ASSERT_EQ(menu->numberOfItems(), 1);
    const auto& appItem = menu->itemArray()[0];
    EXPECT_EQ(appItem->title(), "");
    ASSERT_TRUE(appItem->hasSubmenu());
    ASSERT_EQ(appItem->submenu()->numberOfItems(), 1);
    const auto& quit = appItem->submenu()->itemArray()[0];
    EXPECT_EQ(quit->title(), "Quit Quorbel");
    EXPECT_EQ(quit->action(), "terminate:");
    EXPECT_EQ(quit->keyEquivalent(), "q");
    EXPECT_EQ(quit->keyEquivalentModifierMask(), NSEventModifierFlagCommand);

    NSView& content = *window.contentView();
    EXPECT_EQ(content.frame(), CGRect(0, 0, 400, 300));
    ASSERT_EQ(content.subviews().size(), 1u);
    NSStackView& stack = stackOf(*delegate);
    EXPECT_EQ(stack.orientation(), NSUserInterfaceLayoutOrientationVertical);
    EXPECT_EQ(stack.spacing(), 10);
    EXPECT_EQ(stack.frame().midX(), 200);
    EXPECT_EQ(stack.frame().midY(), 150);
    EXPECT_LE(stack.frame().width(), 340);

    const auto& views = stack.arrangedSubviews();
    ASSERT_EQ(views.size(), 4u);
    const auto* logo = dynamic_cast<NSImageView*>(views[0].get());
    const auto* version = dynamic_cast<NSTextField*>(views[1].get());
    const auto* caption = dynamic_cast<NSTextField*>(views[3].get());
    ASSERT_TRUE(logo && version && caption);
    EXPECT_EQ(logo->frame().size, CGSize(100, 100));
    EXPECT_EQ(logo->frame().midX(), stack.frame().width() / 2); // the arranged views centred in the stack
    EXPECT_EQ(logo->image()->size(), CGSize(100, 100));
    EXPECT_EQ(views[2]->frame().size, CGSize(180, 1));
    // Outside a bundle there is no information dictionary.
    EXPECT_EQ(version->stringValue(), "v? (?)");
    EXPECT_EQ(version->font().pointSize(), 12);
    EXPECT_EQ(version->alignment(), NSTextAlignmentNatural);
    EXPECT_EQ(caption->stringValue(), "Audio Unit Effect (AUv3)");
    EXPECT_EQ(caption->font().pointSize(), 13);
    EXPECT_EQ(caption->alignment(), NSTextAlignmentCenter);
    for (const auto* label : {version, caption}) {
        EXPECT_EQ(label->textColor(), NSColor::blackColor());
        EXPECT_FALSE(label->translatesAutoresizingMaskIntoConstraints());
    }
    // The width limit, 0.85 of the content's width, holds against the 180-point separator.
    window.setContentSize({200, 300});
    window.layoutIfNeeded();
    EXPECT_EQ(stack.frame().width(), 170);
    delegate->window->close();
}

TEST(AppDelegate, WindowShowsTheYellowTheCapTheSeparatorAndTheTexts) {
    const auto delegate = launch();
    const auto pixels = OffscreenBackend::install().windowPixels(*delegate->window);
    ASSERT_NE(pixels, nullptr);
    const NSStackView& stack = stackOf(*delegate);
    // Frames in the picture's coordinates (y down from the top-left corner).
    const auto seen = [](const NSView& v) {
        const CGRect r = v.convertRectToView(v.bounds(), nullptr);
        return CGRect(r.minX(), 300 - r.maxY(), r.width(), r.height());
    };
    const CGRect logo = seen(*stack.arrangedSubviews()[0]);
    const CGRect separator = seen(*stack.arrangedSubviews()[2]);

    expectColour(*pixels, 3, 3, 0.95, 0.85, 0.15, "window yellow in a corner");
    // The cap's group for a 100 x 100 frame: x 19.34, y 19.56, 61.32 x 60.49; the hole is centred at
    // (50, 50.30) with a radius of 17.1, the gear's body reaches 26 points from there.
    expectColour(*pixels, logo.minX() + 50, logo.minY() + 50, 0.95, 0.85, 0.15, "window yellow in the hole");
    expectColour(*pixels, logo.minX() + 72, logo.minY() + 50, 0.18, 0.082, 0.09, "maroon cap");
    expectColour(*pixels, logo.minX() + 50, logo.minY() + 28, 0.925, 0.863, 0.11, "yellow pointer");
    expectColour(*pixels, logo.minX() + 2, logo.minY() + 50, 0.95, 0.85, 0.15, "yellow beside the cap");
    // Black at alpha 0.3 over the yellow.
    expectColour(*pixels, separator.midX(), separator.minY(), 0.95 * 0.7, 0.85 * 0.7, 0.15 * 0.7,
                 "separator");
    EXPECT_TRUE(hasDarkPixel(*pixels, seen(*stack.arrangedSubviews()[1])));
    EXPECT_TRUE(hasDarkPixel(*pixels, seen(*stack.arrangedSubviews()[3])));
    delegate->window->close();
}

TEST(AppDelegate, CtrlQAndClosingTheWindowEachTerminate) {
    const auto delegate = launch();
    auto& backend = OffscreenBackend::install();
    NSApplication& app = NSApplication::shared();
    backend.keyDown(*delegate->window, "q", NSEventModifierFlagCommand);
    EXPECT_EQ(delegate->terminations, 1);
    app.run(); // returns at once after terminate:
    delegate->window->performClose();
    EXPECT_EQ(delegate->terminations, 2);
    EXPECT_TRUE(app.windows().empty());
}

TEST(AppDelegate, VersionLabelFallsBackToAQuestionMarkKeyByKey) {
    using quorbel::versionLabelText;
    const PropertyListDictionary both{{"CFBundleShortVersionString", "1.2"}, {"CFBundleVersion", "7"}};
    EXPECT_EQ(versionLabelText(&both), "v1.2 (7)");
    EXPECT_EQ(versionLabelText(nullptr), "v? (?)");
    const PropertyListDictionary buildOnly{{"CFBundleVersion", "12"}};
    EXPECT_EQ(versionLabelText(&buildOnly), "v? (12)");
    const PropertyListDictionary notTexts{{"CFBundleShortVersionString", 1.2}, {"CFBundleVersion", 7}};
    EXPECT_EQ(versionLabelText(&notTexts), "v? (?)");
    const PropertyListDictionary emptyText{{"CFBundleShortVersionString", ""}, {"CFBundleVersion", "1"}};
    EXPECT_EQ(versionLabelText(&emptyText), "v (1)"); // an empty text is still a text
}

TEST(AppBundle, HoldsTheProgramAndItsInformationAndNotThePanelColours) {
    const auto bundle = NSBundle::bundleWithPath(QUORBEL_APP_BUNDLE);
    ASSERT_NE(bundle, nullptr);
    ASSERT_NE(bundle->infoDictionary(), nullptr);
    const auto text = [&](const char* key) {
        const PropertyList* value = bundle->objectForInfoDictionaryKey(key);
        return value != nullptr && value->string() != nullptr ? *value->string() : std::string("(none)");
    };
    EXPECT_EQ(text("CFBundleName"), "Quorbel");
    EXPECT_EQ(text("CFBundleExecutable"), "Quorbel");
    EXPECT_EQ(text("CFBundleShortVersionString"), QUORBEL_VERSION);
    EXPECT_NE(text("CFBundleIdentifier"), "(none)");
    EXPECT_NE(text("CFBundleVersion"), "(none)");
    // It carries the extension bundle.
    const auto plugIn = NSBundle::bundleWithPath(QUORBEL_APP_BUNDLE "/Contents/PlugIns/QuorbelAUMac.appex");
    ASSERT_NE(plugIn, nullptr);
    EXPECT_NE(plugIn->infoDictionary(), nullptr);
    EXPECT_TRUE(std::filesystem::is_regular_file(plugIn->bundlePath() + "/Contents/MacOS/QuorbelAUMac"));

    std::ifstream program(QUORBEL_APP_BUNDLE "/Contents/MacOS/Quorbel", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(program), {}};
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.find("KnobsStyleKit"), std::string::npos);
    EXPECT_EQ(bytes.find("QuorStyleKit"), std::string::npos);
}
