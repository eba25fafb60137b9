#pragma once
#include "audiotoolbox/PropertyList.h"
#include "graphics/CGGeometry.h"
#include "ui/NSApplication.h"

#include <memory>
#include <string>

namespace platform {
class NSView;
class NSWindow;
} // namespace platform

namespace quorbel {

/// The container application's delegate: once launching has finished it builds the main menu (one item,
/// "Quit Quorbel" on Command-Q, which the back ends give as Ctrl+Q) and the about window (the knob cap as
/// logo, the version from the main bundle, a separator and the caption), and it ends the application
/// when that window closes. Main thread only.
class AppDelegate : public platform::NSApplicationDelegate {
public:
    /// No window until buildInterface has run.
    AppDelegate() = default;

    /// Builds the interface; the notification is not used.
    void applicationDidFinishLaunching(const platform::NSNotification& notification) override;
    /// True: closing the window ends the application.
    bool applicationShouldTerminateAfterLastWindowClosed(platform::NSApplication& application) override;

    /// Builds and shows the menu and the window: a titled, closable, miniaturisable, fixed-size 400 x 300
    /// window titled "Quorbel", centred on the screen, whose yellow content view holds a vertical stack,
    /// centred and at most 0.85 of the width, of the 100 x 100 logo, the version label, the separator and
    /// the caption. Allocates.
    virtual void buildInterface();
    /// A layer-backed view of `width` x 1 points in black at alpha 0.3, sized by constraints. Allocates.
    std::shared_ptr<platform::NSView> makeSeparator(platform::CGFloat width);

    /// The main window; null until buildInterface has run.
    std::shared_ptr<platform::NSWindow> window;
};

/// The version label's text: "v" + the short version + " (" + the build version + ")", each taken from
/// `info` under "CFBundleShortVersionString" and "CFBundleVersion" and replaced by "?" when `info` is null,
/// the key is absent or its value is not a text.
std::string versionLabelText(const platform::PropertyListDictionary* info);

} // namespace quorbel
