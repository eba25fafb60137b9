// Real windows of this process on an Xvfb server of its own, driven with real pointer and key events
// (XTEST) from a second connection that plays the user and the window manager.
#include "editor/AURotaryControl.h"
#include "support/XClient.h"
#include "support/XvfbServer.h"
#include "ui/Compositor.h"
#include "ui/DispatchQueue.h"
#include "ui/NSApplication.h"
#include "ui/NSWindow.h"
#include "ui/x11/X11Backend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <numbers>
#include <thread>

using namespace platform;
using namespace quorbel::test;
using quorbel::AURotaryControl;

namespace {

/// The largest difference of one colour channel between two images; 256 when their sizes differ.
int maxChannelDifference(const CGImage& a, const CGImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) {
        return 256;
    }
    int worst = 0;
    for (std::size_t y = 0; y < a.height(); ++y) {
        for (std::size_t x = 0; x < a.width(); ++x) {
            const CGImagePixel p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            worst = std::max(
                {worst, std::abs(p.red - q.red), std::abs(p.green - q.green), std::abs(p.blue - q.blue)});
        }
    }
    return worst;
}

/// Pixels that differ between two images of one size.
long changedPixels(const CGImage& a, const CGImage& b) {
    long changed = 0;
    for (std::size_t y = 0; y < a.height(); ++y) {
        for (std::size_t x = 0; x < a.width(); ++x) {
            const CGImagePixel p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            changed += p.red != q.red || p.green != q.green || p.blue != q.blue;
        }
    }
    return changed;
}

/// `view` rendered offscreen at `density` over the window background, as a window shows it.
std::shared_ptr<CGImage> offscreen(NSView& view, double density) {
    const auto rendered = Compositor::renderView(view, density);
    auto image = std::make_shared<CGImage>(rendered->width(), rendered->height());
    cairo_t* cr = cairo_create(image->cairoSurface());
    const double grey = Compositor::windowBackgroundGrey;
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_paint(cr);
    cairo_set_source_surface(cr, rendered->cairoSurface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image->cairoSurface());
    return image;
}

/// Writes `image` to $QUORBEL_SCREENSHOT_DIR/`name`.png when that variable is set, for a person to look at.
void keep(const CGImage& image, const std::string& name) {
    if (const char* dir = std::getenv("QUORBEL_SCREENSHOT_DIR")) {
        image.writePNG(std::string(dir) + "/" + name + ".png");
    }
}

/// The cap's rotation in degrees, read back from its transform.
double capDegrees(const AURotaryControl& knob) {
    const CATransform3D& t = knob.overlayLayer->transform();
    return std::atan2(t.m12, t.m11) * 180 / std::numbers::pi;
}

class QuitDelegate : public NSApplicationDelegate {
public:
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication&) override { return quit; }
    void applicationWillTerminate(const NSNotification&) override { ++terminations; }
    bool quit = false;
    int terminations = 0;
};

/// The process's Xvfb server, the user's connection to it, and the X11 back end, which the application
/// chose by itself.
class X11Window : public ::testing::Test {
protected:
    void SetUp() override {
        XvfbServer& server = XvfbServer::shared();
        ASSERT_TRUE(server.running()) << server.error();
        user = std::make_unique<XClient>(server.displayName());
        ASSERT_TRUE(user->ok()) << "no connection to " << server.displayName() << ", or no XTEST there";
        x11 = dynamic_cast<X11Backend*>(&NSApplication::shared().backend());
        ASSERT_NE(x11, nullptr) << "the application chose the " << NSApplication::shared().backend().name()
                                << " back end";
        x11->setPixelDensity(1);
    }
    void TearDown() override {
        for (const auto& window : windows) {
            window->close();
        }
        if (x11 != nullptr) {
            x11->runUntilIdle();
        }
        NSApplication::shared().setDelegate({});
    }

    /// Shows a new window with `content` and finds it by its title, as a user sees it.
    XWindowId show(const std::string& title, std::shared_ptr<NSView> content, NSWindowStyleMask style) {
        const CGRect frame = content->frame();
        auto window = std::make_shared<NSWindow>(CGRect(0, 0, frame.width(), frame.height()), style);
        window->setTitle(title);
        window->setContentView(std::move(content));
        window->center(); // wholly on the screen, also when the window manager makes it larger
        window->makeKeyAndOrderFront();
        windows.push_back(window);
        x11->runUntilIdle();
        const XWindowId id = user->findWindow(title);
        x11->runUntilIdle(); // the expose of the mapped window
        return id;
    }

    /// Runs the application's loop. A watchdog ends it after `limit` seconds (a queued terminate:, and an X
    /// event to `id` in case the queue cannot wake the loop), so a loop that does not end fails the test
    /// instead of hanging it. Returns the seconds run() took.
    double runWithWatchdog(XWindowId id, double limit = 5) {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            if (!ended.wait_for(lock, std::chrono::duration<double>(limit), [&] { return done; })) {
                DispatchQueue::main().async([] { NSApplication::shared().terminate(); });
                XClient(XvfbServer::shared().displayName()).poke(id);
            }
        });
        const auto start = std::chrono::steady_clock::now();
        NSApplication::shared().run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_one();
        watchdog.join();
        return took.count();
    }

    std::unique_ptr<XClient> user;
    X11Backend* x11 = nullptr;
    std::vector<std::shared_ptr<NSWindow>> windows;
};

} // namespace

TEST_F(X11Window, TitleClassPlaceAndSizeHintsFollowTheWindow) {
    const std::string title = "Quorbel \u2013 r\u00e9glage \u2713"; // a dash, an accent, a check mark
    const auto mask = NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskMiniaturizable;
    auto window = std::make_shared<NSWindow>(CGRect(0, 0, 400, 300), mask);
    windows.push_back(window);
    window->setTitle(title);
    window->center();
    window->makeKeyAndOrderFront();
    x11->runUntilIdle();
    const XWindowId id = user->findWindow(title);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(id, x11->nativeWindow(*window));
    EXPECT_EQ(user->wmName(id), title);
    EXPECT_EQ(user->wmClass(id), (std::vector<std::string>{"x11_tests", "X11_tests"}));
    // Centred across the 1280 x 1024 screen, a third of the spare height above.
    const XClient::Geometry placed = user->geometry(id);
    EXPECT_EQ(placed.x, 440);
    EXPECT_EQ(placed.y, 242);
    EXPECT_EQ(placed.width, 400);
    EXPECT_EQ(placed.height, 300);
    auto hints = user->sizeHints(id);
    EXPECT_TRUE(hints.hasMinSize && hints.hasMaxSize);
    EXPECT_EQ(std::vector<int>({hints.minWidth, hints.minHeight, hints.maxWidth, hints.maxHeight}),
              std::vector<int>({400, 300, 400, 300}));
    // Motif functions: move 4, minimise 8, close 32; no resize 2, no maximise 16.
    EXPECT_EQ(user->property32(id, "_MOTIF_WM_HINTS").at(1), 4 | 8 | 32);

    // A new size keeps the top-left corner and stays fixed; the resizable style frees it.
    window->setContentSize({320, 240});
    x11->runUntilIdle();
    const XClient::Geometry resized = user->geometry(id);
    EXPECT_EQ(std::vector<int>({resized.x, resized.y, resized.width, resized.height}),
              std::vector<int>({440, 242, 320, 240}));
    hints = user->sizeHints(id);
    EXPECT_EQ(std::vector<int>({hints.minWidth, hints.minHeight, hints.maxWidth, hints.maxHeight}),
              std::vector<int>({320, 240, 320, 240}));
    window->setStyleMask(mask | NSWindowStyleMaskResizable);
    window->setTitle("r\u00e9glage"); // Latin-1: WM_NAME as STRING
    x11->runUntilIdle();
    EXPECT_FALSE(user->sizeHints(id).hasMaxSize);
    EXPECT_EQ(user->property32(id, "_MOTIF_WM_HINTS").at(1), 2 | 4 | 8 | 16 | 32);
    EXPECT_EQ(user->netWmName(id), "r\u00e9glage");
    EXPECT_EQ(user->wmName(id), "r\u00e9glage");
}

class X11Knob : public X11Window, public ::testing::WithParamInterface<double> {};

// The knob of 100 points: a 50-point drag up (or to the right) turns the cap to 81.02847 degrees and sets
// 0.75321400; a double-click sets the reset value; Escape or a keyboard grab by another client mid-drag
// puts it back where the drag began. The window shows what the offscreen renderer draws.
TEST_P(X11Knob, RealPointerTurnsAndResetsItAndTheWindowShowsTheOffscreenPixels) {
    const double density = GetParam();
    x11->setPixelDensity(density);
    const auto px = [density](double points) { return static_cast<int>(std::lround(points * density)); };
    auto knob = std::make_shared<AURotaryControl>(CGRect(0, 0, 100, 100));
    knob->label = "mix";
    knob->resetValue = 0.25f;
    knob->setValue(0.5f);
    const XWindowId id = show("knob", knob, NSWindowStyleMaskTitled);
    ASSERT_NE(id, 0u);
    const std::string name = "x11-knob-" + std::to_string(px(1)) + "x-";

    const auto before = user->screenshot(id);
    keep(*before, name + "0.5");
    EXPECT_EQ(before->width(), static_cast<std::size_t>(px(100)));
    EXPECT_LE(maxChannelDifference(*before, *offscreen(*knob, density)), 2);

    user->drag(id, px(50), px(50), px(50), px(0));
    x11->runUntilIdle();
    EXPECT_EQ(knob->value(), 0.75321400f);
    EXPECT_NEAR(capDegrees(*knob), 81.02847, 5e-5);
    const auto turned = user->screenshot(id);
    keep(*turned, name + "0.753214");
    EXPECT_LE(maxChannelDifference(*turned, *offscreen(*knob, density)), 2);
    EXPECT_GT(changedPixels(*before, *turned), px(10) * px(10)); // the cap turned on screen

    user->click(id, px(30), px(30), 2);
    x11->runUntilIdle();
    EXPECT_EQ(knob->value(), 0.25f);

    for (int way = 0; way < 2; ++way) {
        const int from = px(50 - 10 * way); // apart from the last press: no double-click
        user->drag(id, from, px(50), from + px(50), px(50), 10, false);
        x11->runUntilIdle();
        EXPECT_NEAR(capDegrees(*knob), -80 + 81.02847, 1e-4);
        if (way == 0) {
            user->key("Escape");
        } else {
            ASSERT_TRUE(user->grabKeyboard());
        }
        x11->runUntilIdle();
        EXPECT_EQ(knob->value(), 0.25f) << (way == 0 ? "Escape" : "lost grab");
        EXPECT_NEAR(capDegrees(*knob), -80, 1e-4);
        user->ungrabKeyboard();
        user->releaseButton();
        x11->runUntilIdle();
    }
}

INSTANTIATE_TEST_SUITE_P(PixelsPerPoint, X11Knob, ::testing::Values(1.0, 2.0));

TEST_F(X11Window, ExposeCopiesTheLastFrameAndAResizeLaysOutAndDrawsOnce) {
    auto knob = std::make_shared<AURotaryControl>(CGRect(0, 0, 120, 80));
    knob->setValue(0.7f);
    const XWindowId id = show("resizable", knob, NSWindowStyleMaskTitled | NSWindowStyleMaskResizable);
    ASSERT_NE(id, 0u);
    NSWindow& window = *windows.back();
    const auto before = user->screenshot(id);
    const long drawn = window.displayCount();

    user->damage(id, 10, 10, 50, 40, 0xff0000);
    EXPECT_GT(maxChannelDifference(*before, *user->screenshot(id)), 200); // the damage shows
    x11->runUntilIdle();
    EXPECT_EQ(maxChannelDifference(*before, *user->screenshot(id)), 0);
    EXPECT_EQ(window.displayCount(), drawn); // copied from the buffer, not composited again

    user->resize(id, 200, 150);
    x11->runUntilIdle();
    EXPECT_EQ(window.contentSize(), CGSize(200, 150));
    EXPECT_EQ(knob->frame(), CGRect(0, 0, 200, 150));
    EXPECT_EQ(window.displayCount(), drawn + 1);
    const auto after = user->screenshot(id);
    keep(*after, "x11-resized");
    EXPECT_LE(maxChannelDifference(*after, *offscreen(*knob, 1)), 2);
}

TEST_F(X11Window, CloseButtonClosesTheWindowAndEndsTheLoopWhenTheApplicationSaysSo) {
    auto delegate = std::make_shared<QuitDelegate>();
    NSApplication::shared().setDelegate(delegate);
    for (const bool quit : {false, true}) {
        delegate->quit = quit;
        const std::string title = quit ? "closing, quitting" : "closing";
        const XWindowId id =
            show(title, std::make_shared<NSView>(CGRect(0, 0, 80, 60)), NSWindowStyleMaskTitled);
        ASSERT_NE(id, 0u);
        user->sendDeleteWindow(id);
        if (quit) {
            EXPECT_LT(runWithWatchdog(id), 2.0);
            EXPECT_EQ(delegate->terminations, 1);
        } else {
            x11->runUntilIdle();
            EXPECT_EQ(delegate->terminations, 0);
        }
        EXPECT_FALSE(windows.back()->isVisible());
        EXPECT_TRUE(user->waitUntilGone(id, 2)) << title;
    }
}

TEST_F(X11Window, APostFromAnotherThreadWakesTheSleepingLoop) {
    const XWindowId id =
        show("sleeping", std::make_shared<NSView>(CGRect(0, 0, 80, 60)), NSWindowStyleMaskTitled);
    ASSERT_NE(id, 0u);
    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the loop sleeps by then
        EXPECT_TRUE(DispatchQueue::main().async([] { NSApplication::shared().terminate(); }));
    });
    const double took = runWithWatchdog(id);
    poster.join();
    EXPECT_GE(took, 0.25);
    EXPECT_LT(took, 2.0);
}

TEST(X11Backend, NoDisplayIsAClearErrorNotACrash) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    std::string error;
    unsetenv("DISPLAY");
    EXPECT_EQ(makeApplicationBackend("x11", error), nullptr);
    EXPECT_EQ(error, "cannot open an X display: DISPLAY is not set");
    setenv("DISPLAY", ":32000", 1);
    error.clear();
    EXPECT_EQ(makeApplicationBackend("x11", error), nullptr);
    EXPECT_EQ(error, "cannot open the X display \":32000\"");
    if (display != nullptr) {
        setenv("DISPLAY", saved.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}
