#include "app/AppDelegate.h"

#include "foundation/NSBundle.h"
#include "graphics/NSColor.h"
#include "graphics/NSFont.h"
#include "stylekit/KnobsStyleKit.h"
#include "ui/NSImageView.h"
#include "ui/NSLayoutConstraint.h"
#include "ui/NSMenu.h"
#include "ui/NSStackView.h"
#include "ui/NSTextField.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"

namespace quorbel {

using namespace platform;

namespace {

/// The text under `key`, or "?" when there is no dictionary, no such key or the value is not a text.
std::string infoText(const PropertyListDictionary* info, std::string_view key) {
    const PropertyList* value = info != nullptr ? info->find(key) : nullptr;
    const std::string* text = value != nullptr ? value->string() : nullptr;
    return text != nullptr ? *text : "?";
}

} // namespace

std::string versionLabelText(const PropertyListDictionary* info) {
    return "v" + infoText(info, "CFBundleShortVersionString") + " (" + infoText(info, "CFBundleVersion") +
           ")";
}

void AppDelegate::applicationDidFinishLaunching(const NSNotification&) {
    buildInterface();
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed(NSApplication&) {
    return true;
}

void AppDelegate::buildInterface() {
    // Main menu: one untitled item whose submenu holds the quit command.
    auto mainMenu = std::make_shared<NSMenu>();
    auto appMenuItem = std::make_shared<NSMenuItem>();
    mainMenu->addItem(appMenuItem);
    auto appMenu = std::make_shared<NSMenu>();
    appMenu->addItemWithTitle("Quit Quorbel", "terminate:", "q");
    appMenuItem->setSubmenu(appMenu);
    NSApplication::shared().setMainMenu(mainMenu);

    window = std::make_shared<NSWindow>(CGRect(0, 0, 400, 300),
                                        NSWindowStyleMaskTitled | NSWindowStyleMaskClosable |
                                            NSWindowStyleMaskMiniaturizable,
                                        NSBackingStoreBuffered, false);
    window->setTitle("Quorbel");
    window->center();

    // The window's own yellow, not the editor's panel yellow.
    auto content = std::make_shared<NSView>(CGRect(0, 0, 400, 300));
    content->setWantsLayer(true);
    content->layer()->setBackgroundColor(NSColor(0.95, 0.85, 0.15, 1).cgColor());
    window->setContentView(content);

    auto stack = std::make_shared<NSStackView>();
    stack->setOrientation(NSUserInterfaceLayoutOrientationVertical);
    stack->setAlignment(NSLayoutAttributeCenterX);
    stack->setSpacing(10);
    stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    content->addSubview(stack);
    NSLayoutConstraint::activateConstraints({
        stack->centerXAnchor().constraintEqualToAnchor(content->centerXAnchor()),
        stack->centerYAnchor().constraintEqualToAnchor(content->centerYAnchor()),
        stack->widthAnchor().constraintLessThanOrEqualToAnchor(content->widthAnchor(), 0.85),
    });

    // The logo: the knob cap, drawn by the image's handler each time the view renders it.
    auto logo = NSImageView::imageViewWithImage(KnobsStyleKit::imageOfNeoOverlay(CGRect(0, 0, 100, 100)));
    logo->setTranslatesAutoresizingMaskIntoConstraints(false);
    logo->widthAnchor().constraintEqualToConstant(100)->setActive(true);
    logo->heightAnchor().constraintEqualToConstant(100)->setActive(true);
    stack->addArrangedSubview(logo);

    auto version = NSTextField::labelWithString(versionLabelText(NSBundle::mainBundle().infoDictionary()));
    version->setFont(NSFont::systemFontOfSize(12));
    version->setTextColor(NSColor::blackColor());
    version->setTranslatesAutoresizingMaskIntoConstraints(false);
    stack->addArrangedSubview(version);

    stack->addArrangedSubview(makeSeparator(180));

    auto caption = NSTextField::labelWithString("Audio Unit Effect (AUv3)");
    caption->setFont(NSFont::systemFontOfSize(13));
    caption->setTextColor(NSColor::blackColor());
    caption->setTranslatesAutoresizingMaskIntoConstraints(false);
    caption->setAlignment(NSTextAlignmentCenter);
    stack->addArrangedSubview(caption);

    window->makeKeyAndOrderFront(nullptr);
}

std::shared_ptr<NSView> AppDelegate::makeSeparator(CGFloat width) {
    auto separator = std::make_shared<NSView>();
    separator->setWantsLayer(true);
    separator->layer()->setBackgroundColor(NSColor::blackColor().colorWithAlphaComponent(0.3).cgColor());
    separator->setTranslatesAutoresizingMaskIntoConstraints(false);
    separator->heightAnchor().constraintEqualToConstant(1)->setActive(true);
    separator->widthAnchor().constraintEqualToConstant(width)->setActive(true);
    return separator;
}

} // namespace quorbel
