// Windows, controls, the menu and the application object through the offscreen back end.
#include "ui/NSApplication.h"
#include "ui/NSButton.h"
#include "ui/NSMenu.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"
#include "ui/UIBackend.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

using namespace platform;

namespace {

class Controller {
public:
    void clicked(NSButton* sender) { states.push_back(sender->state()); }
    std::vector<NSControlStateValue> states;
};

class QuitWithLastWindow : public NSApplicationDelegate {
public:
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication&) override { return true; }
    void applicationWillTerminate(const NSNotification&) override { ++terminations; }
    int terminations = 0;
};

} // namespace

TEST(NSButton, ToggleClickFlipsTheStateThenSendsTheActionAndSettingTheStateSendsNothing) {
    auto& backend = OffscreenBackend::install();
    auto window = std::make_shared<NSWindow>(CGRect(0, 0, 100, 100), NSWindowStyleMaskTitled);
    auto button = std::make_shared<NSButton>(CGRect(10, 10, 30, 30));
    button->setButtonType(NSButtonTypeToggle);
    auto controller = std::make_shared<Controller>();
    button->setAction(NSControl::Action(std::weak_ptr<Controller>(controller), &Controller::clicked));
    window->contentView()->addSubview(button);

    backend.click(*button, {15, 15});
    button->setState(NSControlStateValueOff);
    backend.mouseDown(*button, {15, 15});
    backend.mouseUp(*button, {50, 50}); // released outside: no click
    backend.click(*button, {15, 15});
    EXPECT_EQ(controller->states,
              (std::vector<NSControlStateValue>{NSControlStateValueOn, NSControlStateValueOn}));
    controller.reset();
    backend.click(*button, {15, 15}); // the target is gone: nothing is sent, nothing fails
    EXPECT_EQ(button->state(), NSControlStateValueOff);
}

TEST(NSApplication, CtrlQAndClosingTheLastWindowEndTheRunLoop) {
    auto& backend = OffscreenBackend::install();
    NSApplication& app = NSApplication::shared();
    auto delegate = std::make_shared<QuitWithLastWindow>();
    app.setDelegate(delegate);
    auto menu = std::make_shared<NSMenu>();
    auto appItem = std::make_shared<NSMenuItem>();
    menu->addItem(appItem);
    appItem->setSubmenu(std::make_shared<NSMenu>());
    appItem->submenu()->addItemWithTitle("Quit", "terminate:", "q");
    app.setMainMenu(menu);

    auto window = std::make_shared<NSWindow>(CGRect(0, 0, 100, 100), NSWindowStyleMaskTitled);
    window->makeKeyAndOrderFront();
    backend.keyDown(*window, "q"); // without Ctrl: not the quit key
    EXPECT_EQ(delegate->terminations, 0);
    backend.keyDown(*window, "q", NSEventModifierFlagCommand);
    EXPECT_EQ(delegate->terminations, 1);
    app.run(); // terminate: before run: run returns at once
    window->close();
    EXPECT_EQ(delegate->terminations, 2);
    EXPECT_TRUE(app.windows().empty());
    app.run();
    app.setMainMenu(nullptr);
    app.setDelegate({});
}

TEST(NSWindow, ChangesAreDrawnOncePerTurn) {
    auto& backend = OffscreenBackend::install();
    auto window = std::make_shared<NSWindow>(CGRect(0, 0, 50, 50), NSWindowStyleMaskTitled);
    window->makeKeyAndOrderFront();
    backend.runUntilIdle();
    const long drawn = window->displayCount();
    window->contentView()->setWantsLayer(true);
    for (int i = 0; i < 10; ++i) {
        window->contentView()->layer()->setBackgroundColor(CGColor{0, 0, i / 10.0, 1});
    }
    EXPECT_EQ(window->displayCount(), drawn); // nothing is drawn from inside a change
    backend.runUntilIdle();
    EXPECT_EQ(window->displayCount(), drawn + 1);
    EXPECT_EQ(backend.windowPixels(*window)->pixelAt(25, 25).blue, 230);
    window->close();
}

TEST(UIBackend, ScaleFromTheEnvironmentReadsPointDecimalsAndWarnsOutsideOneToFour) {
    // In a locale whose decimal point is a comma, when one is installed (scripts/install-deps.sh makes one).
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            break;
        }
    }
    struct Case {
        const char* text;
        CGFloat scale;
        bool warns;
    };
    for (const Case& c :
         {Case{"2.5", 2.5, false}, Case{"4", 4, false}, Case{"abc", 1, true}, Case{"2,5", 1, true},
          Case{"0.5", 1, true}, Case{"9", 1, true}, Case{"nan", 1, true}, Case{"0x2", 1, true}}) {
        setenv("QUORBEL_UI_SCALE", c.text, 1);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(pixelDensityFromEnvironment(), c.scale)
            << c.text << " in " << std::setlocale(LC_NUMERIC, nullptr);
        const std::string warning = ::testing::internal::GetCapturedStderr();
        if (c.warns) {
            EXPECT_NE(warning.find(std::string("warning: QUORBEL_UI_SCALE is '") + c.text +
                                   "', not a number from 1 to 4"),
                      std::string::npos)
                << warning;
        } else {
            EXPECT_EQ(warning, "") << c.text;
        }
    }
    unsetenv("QUORBEL_UI_SCALE");
    std::setlocale(LC_ALL, previous.c_str());
}
