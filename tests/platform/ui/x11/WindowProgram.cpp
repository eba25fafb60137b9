// A program with one window on the default (X11) back end, for the tests that drive a separate process as a
// user would: `x11_window_program TITLE`. A 200 x 100 titled, closable, miniaturisable window in blue; the
// menu's "Quit" on Ctrl+Q; closing the window ends the program. Exits 0 when it ends that way, 1 when there
// is no display.
#include "ui/CALayer.h"
#include "ui/NSApplication.h"
#include "ui/NSMenu.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

using namespace platform;

namespace {

class Delegate : public NSApplicationDelegate {
public:
    explicit Delegate(std::string title) : title_(std::move(title)) {}

    void applicationDidFinishLaunching(const NSNotification&) override {
        auto menu = std::make_shared<NSMenu>();
        auto item = std::make_shared<NSMenuItem>();
        menu->addItem(item);
        item->setSubmenu(std::make_shared<NSMenu>());
        item->submenu()->addItemWithTitle("Quit", "terminate:", "q");
        NSApplication::shared().setMainMenu(menu);

        window_ = std::make_shared<NSWindow>(CGRect(0, 0, 200, 100), NSWindowStyleMaskTitled |
                                                                         NSWindowStyleMaskClosable |
                                                                         NSWindowStyleMaskMiniaturizable);
        window_->setTitle(title_);
        auto content = std::make_shared<NSView>(CGRect(0, 0, 200, 100));
        content->setWantsLayer(true);
        content->layer()->setBackgroundColor(CGColor{0.1, 0.3, 0.9, 1});
        window_->setContentView(content);
        window_->center();
        window_->makeKeyAndOrderFront();
    }
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication&) override { return true; }

private:
    std::string title_;
    std::shared_ptr<NSWindow> window_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x11_window_program TITLE\n");
        return 2;
    }
    NSApplication& app = NSApplication::shared();
    auto delegate = std::make_shared<Delegate>(argv[1]);
    app.setDelegate(delegate);
    try {
        app.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "x11_window_program: %s\n", e.what());
        return 1;
    }
    return 0;
}
