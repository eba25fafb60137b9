// `auhost edit` in a real window on the test's own Xvfb server, driven with real pointer events; the state
// it saves when the window closes holds what the gestures did, by the knob's own arithmetic. Then every
// other way a session ends: what it saves, its status, and that it leaves nothing else behind.

#include "audiotoolbox/NSPropertyListSerialization.h"
#include "support/ChildProcess.h"
#include "support/TestFolder.h"
#include "support/XClient.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace quorbel::test;
namespace fs = std::filesystem;

namespace {

/// The value a knob spanning 0 to 1 (angles -160 to 160) takes after a drag that moves `dx` points right
/// and `dy` points down from where it showed `start`, on a knob `width` points wide: the drag's projection
/// on the up-right diagonal over a quarter of the width, in radians, added to the start angle.
float valueAfterDrag(float start, double dx, double dy, double width) {
    const float home = -160.0f + (start * 320.0f) / 1.0f;
    const double d = (dx - dy) * 0.7071067811865476 / (width * 0.25);
    float a = home + static_cast<float>(d) * 180.0f / 3.1415925f;
    a = a < 160.0f ? (a >= -160.0f ? a : -160.0f) : 160.0f;
    return 0.0f + ((a - -160.0f) * 1.0f) / 320.0f;
}

/// Waits until the panel shows in `window` (the yellow 0.925, 0.863, 0.11 in a corner, within a step of
/// rounding): before its first drawing the program has not laid the panel out yet.
::testing::AssertionResult panelShows(XClient& user, XWindowId window) {
    platform::CGImagePixel corner;
    if (eventually([&] {
            corner = user.screenshot(window)->pixelAt(2, 2);
            return std::abs(corner.red - 235.9) < 1 && std::abs(corner.green - 220.1) < 1 &&
                   std::abs(corner.blue - 28.1) < 1;
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "the corner shows " << int(corner.red) << " " << int(corner.green) << " " << int(corner.blue);
}

/// The parameters of a saved state ("QuorbelParams"), by identifier; none when the file cannot be read.
std::optional<std::map<std::string, float>> savedParameters(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    platform::NSError error;
    const auto saved = platform::NSPropertyListSerialization::dictionaryWithData(text.str(), &error);
    const platform::PropertyList* params = saved ? saved->find("QuorbelParams") : nullptr;
    if (params == nullptr || params->dictionary() == nullptr) {
        return std::nullopt;
    }
    std::map<std::string, float> values;
    for (const char* id : {"mix", "feed", "tone", "orbit", "vexity", "doubt", "volume"}) {
        const platform::PropertyList* v = params->dictionary()->find(id);
        values[id] = v != nullptr && v->number() ? static_cast<float>(*v->number()) : -999.0f;
    }
    return values;
}

} // namespace

TEST(AuhostEdit, GesturesInTheWindowReachTheSavedState) {
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    const TestFolder dir("auhost-edit");
    const fs::path state = dir.path() / "state.plist";

    ChildProcess auhost;
    ASSERT_TRUE(auhost.start({AUHOST_PATH, "edit", "--save-state", state.string()},
                             {"DISPLAY=" + server.displayName(), "QUORBEL_UI_SCALE=1"}));
    const XWindowId window = user.findWindow("Quorbel", auhost.pid());
    ASSERT_NE(window, 0u) << auhost.output();
    const XClient::Geometry g = user.geometry(window);
    ASSERT_EQ(std::vector<int>({g.width, g.height}), std::vector<int>({480, 320})) << "the preferred size";
    EXPECT_FALSE(user.sizeHints(window).hasMaxSize) << "resizable";
    ASSERT_TRUE(panelShows(user, window)); // the gestures once the panel is laid out

    // At 480 x 320 the knobs are 115 points: mix at (125.5, 23), feed at (11.5, 23); band-pass, 23 points,
    // at (445.5, 34.5). One pixel per point.
    user.drag(window, 183, 80, 233, 80); // 50 to the right on the mix knob
    user.click(window, 69, 80, 2);       // double-click on the feed knob
    user.click(window, 457, 46);         // band-pass
    if (const char* shots = std::getenv("QUORBEL_SCREENSHOT_DIR")) {
        EXPECT_TRUE(
            eventually([&] { return user.screenshot(window)->pixelAt(457, 46).red < 128; })); // the dot
        user.screenshot(window)->writePNG(std::string(shots) + "/auhost-edit-window.png");
    }
    user.sendDeleteWindow(window);
    ASSERT_EQ(auhost.wait(20), 0) << auhost.output();

    std::ifstream in(state);
    std::stringstream text;
    text << in.rdbuf();
    platform::NSError error;
    const auto saved = platform::NSPropertyListSerialization::dictionaryWithData(text.str(), &error);
    ASSERT_TRUE(saved) << error.localizedDescription();
    const platform::PropertyList* params = saved->find("QuorbelParams");
    ASSERT_TRUE(params != nullptr && params->dictionary() != nullptr);
    const auto value = [&](const char* id) {
        const platform::PropertyList* v = params->dictionary()->find(id);
        return v != nullptr && v->number() ? static_cast<float>(*v->number()) : -999.0f;
    };
    EXPECT_EQ(value("mix"), valueAfterDrag(0.5f, 50, 0, 115));
    EXPECT_NEAR(value("mix"), 0.72, 0.01); // 70.5 degrees
    EXPECT_EQ(value("feed"), 3.66f);       // the feed knob's reset value
    EXPECT_EQ(value("filterMode"), 1.0f);  // band-pass
    EXPECT_EQ(value("tone"), 500.0f);      // untouched
    EXPECT_EQ(value("bypass"), 0.0f);
}

TEST(AuhostEdit, SizeIsBoundedAtTheDisplaysPixelsPerPoint) {
    // 8192 pixels a side, as panel allows: 4096 points at two pixels per point, 8192 at one. A size beyond
    // that is a command-line error, found before the effect's state is loaded or any window opens.
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    const TestFolder dir("auhost-edit-size");
    const fs::path state = dir.path() / "state.plist";
    struct Case {
        const char* size;
        const char* scale;
        const char* bound;
    };
    for (const auto& [size, scale, bound] :
         {Case{"4100x320", "2", "at most 4096 at the display's 2 pixels per point"},
          Case{"10000x10000", "1", "at most 8192 at the display's 1 pixel per point"}}) {
        ChildProcess auhost;
        ASSERT_TRUE(
            auhost.start({AUHOST_PATH, "edit", "--size", size, "--load-state",
                          (dir.path() / "missing.plist").string(), "--save-state", state.string()},
                         {"DISPLAY=" + server.displayName(), std::string("QUORBEL_UI_SCALE=") + scale}));
        EXPECT_EQ(auhost.wait(20), 2) << auhost.output();
        EXPECT_NE(auhost.output().find(std::string("auhost: error: --size takes WIDTHxHEIGHT in points, each "
                                                   "above 0 and ") +
                                       bound + " (QUORBEL_UI_SCALE), not '" + size + "'"),
                  std::string::npos)
            << auhost.output();
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

/// `auhost edit --save-state F` in a folder of its own, ended in one of the ways other than the close button.
class AuhostEditEnding : public ::testing::Test {
protected:
    /// Starts `auhost edit ARGS` on `display` and waits until its panel shows; its window, 0 when none came.
    XWindowId start(const std::vector<std::string>& args, const std::string& display, XClient& user) {
        std::vector<std::string> argv{AUHOST_PATH, "edit"};
        argv.insert(argv.end(), args.begin(), args.end());
        if (!auhost.start(argv, {"DISPLAY=" + display, "QUORBEL_UI_SCALE=1"})) {
            return 0;
        }
        const XWindowId window = user.findWindow("Quorbel", auhost.pid());
        return window != 0 && panelShows(user, window) ? window : 0;
    }
    /// The names in the folder.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    float saved(const char* id) const {
        const auto values = savedParameters(state);
        return values ? values->at(id) : -999.0f;
    }

    const TestFolder dir{"auhost-edit-ending"};
    const fs::path state = dir.path() / "state.plist";
    ChildProcess auhost;
};

TEST_F(AuhostEditEnding, SigtermAndSighupSaveAsACloseDoesAndCtrlCSavesNothing) {
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    const std::string f = state.string();

    ASSERT_NE(start({"--set", "mix=0.25", "--save-state", f}, server.displayName(), user), 0u)
        << auhost.output();
    EXPECT_EQ(files(), std::vector<std::string>{}) << "no temporary file before the save";
    ASSERT_TRUE(auhost.signal(SIGTERM));
    EXPECT_EQ(auhost.wait(20), 128 + SIGTERM) << auhost.output();
    EXPECT_EQ(saved("mix"), 0.25f) << auhost.output();
    EXPECT_EQ(files(), std::vector<std::string>{"state.plist"});

    // Editing the saved state in place: read whole at the start, replaced at the end.
    ASSERT_NE(start({"--load-state", f, "--set", "tone=350", "--save-state", f}, server.displayName(), user),
              0u)
        << auhost.output();
    ASSERT_TRUE(auhost.signal(SIGHUP));
    EXPECT_EQ(auhost.wait(20), 128 + SIGHUP) << auhost.output();
    EXPECT_EQ(saved("mix"), 0.25f) << auhost.output();
    EXPECT_EQ(saved("tone"), 350.0f);
    EXPECT_EQ(files(), std::vector<std::string>{"state.plist"});

    ASSERT_NE(start({"--load-state", f, "--set", "feed=7", "--save-state", f}, server.displayName(), user),
              0u)
        << auhost.output();
    ASSERT_TRUE(auhost.signal(SIGINT));
    EXPECT_EQ(auhost.wait(20), 128 + SIGINT) << auhost.output();
    EXPECT_NE(
        auhost.output().find("auhost: stopped by SIGINT; the effect's state was not saved to '" + f + "'"),
        std::string::npos)
        << auhost.output();
    EXPECT_EQ(saved("feed"), 5.0f) << "unchanged";
    EXPECT_EQ(saved("tone"), 350.0f);
    EXPECT_EQ(files(), std::vector<std::string>{"state.plist"});
}

TEST_F(AuhostEditEnding, AWindowDestroyedByAnotherClientEndsAsAClose) {
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    const XWindowId window =
        start({"--set", "mix=0.25", "--save-state", state.string()}, server.displayName(), user);
    ASSERT_NE(window, 0u) << auhost.output();
    user.destroyWindow(window);
    EXPECT_EQ(auhost.wait(20), 0) << auhost.output();
    EXPECT_EQ(saved("mix"), 0.25f) << auhost.output();
    EXPECT_EQ(files(), std::vector<std::string>{"state.plist"});
}

TEST_F(AuhostEditEnding, ALostDisplaySavesTheStateAndFails) {
    XvfbServer server; // a server of this test's own, to end
    ASSERT_TRUE(server.start(800, 600)) << server.error();
    const std::string display = server.displayName();
    {
        XClient user(display);
        ASSERT_TRUE(user.ok());
        ASSERT_NE(start({"--set", "mix=0.25", "--save-state", state.string()}, display, user), 0u)
            << auhost.output();
    } // this connection goes first: Xlib would end the test when its server went
    server.stop();
    EXPECT_EQ(auhost.wait(20), 1) << auhost.output();
    EXPECT_NE(auhost.output().find("auhost: error: lost the connection to the X display \"" + display + "\""),
              std::string::npos)
        << auhost.output();
    EXPECT_EQ(saved("mix"), 0.25f) << auhost.output();
    EXPECT_EQ(files(), std::vector<std::string>{"state.plist"});
}

TEST_F(AuhostEditEnding, ASignalAsTheWindowClosesNeverCutsTheSaveShort) {
    // A script closes the window and then stops auhost, or the session logs out: the signal comes just
    // before the close is handled (it ends the session: status 143), or while the state is saved (the close
    // ended it: status 0). Either way the state is saved whole.
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    for (int i = 0; i < 20; ++i) {
        const auto delay = std::chrono::microseconds(i * 250);
        fs::remove(state);
        const XWindowId window =
            start({"--set", "mix=0.3", "--save-state", state.string()}, server.displayName(), user);
        ASSERT_NE(window, 0u) << auhost.output();
        user.destroyWindow(window);
        std::this_thread::sleep_for(delay);
        ASSERT_TRUE(auhost.running());
        ASSERT_TRUE(auhost.signal(SIGTERM));
        const int status = auhost.wait(20);
        EXPECT_TRUE(status == 0 || status == 128 + SIGTERM) << status << ", " << auhost.output();
        EXPECT_EQ(saved("mix"), 0.3f) << delay.count() << " us: " << auhost.output();
        EXPECT_EQ(files(), std::vector<std::string>{"state.plist"});
    }
}

TEST_F(AuhostEditEnding, ASignalWaitsForTheSaveAndASecondEndsItAtOnce) {
    // F is a FIFO: the save waits there for a reader, as on a hung network folder.
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    const fs::path fifo = dir.path() / "state.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const auto proc = [&](const std::string& file) { return "/proc/" + std::to_string(auhost.pid()) + file; };
    const auto saving = [&] {
        return eventually([&] {
            std::ifstream in(proc("/syscall"));
            std::string number;
            in >> number;
            return number == std::to_string(SYS_openat);
        });
    };
    // Once none is pending, its handler has run (the main thread, which waits in open(), takes them).
    const auto handled = [&] {
        return eventually([&] {
            std::ifstream in(proc("/status"));
            std::string line;
            int clear = 0;
            while (std::getline(in, line)) {
                clear += (line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0) &&
                         line.find_first_not_of("0", line.find_first_not_of(" \t", 7)) == std::string::npos;
            }
            return clear == 2;
        });
    };

    // Even a Ctrl-C, once the window has closed: the save goes on, and the close decides the status.
    const XWindowId window =
        start({"--set", "mix=0.3", "--save-state", fifo.string()}, server.displayName(), user);
    ASSERT_NE(window, 0u) << auhost.output();
    user.destroyWindow(window);
    ASSERT_TRUE(saving()) << auhost.output();
    ASSERT_TRUE(auhost.running());
    ASSERT_TRUE(auhost.signal(SIGINT));
    ASSERT_TRUE(handled());
    ASSERT_EQ(auhost.wait(0.2), -1) << auhost.output(); // still waiting for a reader: read it
    const auto values = savedParameters(fifo);
    ASSERT_TRUE(values) << auhost.output();
    EXPECT_EQ(values->at("mix"), 0.3f);
    EXPECT_EQ(auhost.wait(20), 0) << auhost.output();

    // A SIGTERM ends the session, the save waits; a SIGHUP (sent with a SIGTERM as a session ends) is no
    // second request, a SIGINT is. Pending together, the lower number comes first: SIGHUP, then SIGINT.
    ASSERT_NE(start({"--set", "mix=0.3", "--save-state", fifo.string()}, server.displayName(), user), 0u)
        << auhost.output();
    ASSERT_TRUE(auhost.signal(SIGTERM));
    ASSERT_TRUE(saving()) << auhost.output();
    ASSERT_TRUE(auhost.running());
    ASSERT_TRUE(auhost.signal(SIGHUP));
    ASSERT_TRUE(auhost.signal(SIGINT));
    EXPECT_EQ(auhost.wait(20), 128 + SIGINT) << auhost.output();
    EXPECT_NE(auhost.output().find("auhost: stopped by SIGINT; the effect's state was not saved to '" +
                                   fifo.string() + "'"),
              std::string::npos)
        << auhost.output();
    EXPECT_EQ(files(), std::vector<std::string>{"state.fifo"});
}
