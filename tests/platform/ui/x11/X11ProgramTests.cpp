// A separate program on the test's Xvfb server, found by its window's title and ended as a user ends it.
#include "support/ChildProcess.h"
#include "support/XClient.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorbel::test;

TEST(X11Program, CtrlQAndTheCloseButtonEachEndItWithStatusZero) {
    XvfbServer& server = XvfbServer::shared();
    ASSERT_TRUE(server.running()) << server.error();
    XClient user(server.displayName());
    ASSERT_TRUE(user.ok());
    for (const bool byKey : {true, false}) {
        ChildProcess program;
        ASSERT_TRUE(program.start({X11_WINDOW_PROGRAM, "program window"},
                                  {"DISPLAY=" + server.displayName(), "QUORBEL_UI_SCALE=2"}));
        // Its own window: the previous program's may still be there, with the same title.
        const XWindowId id = user.findWindow("program window", program.pid());
        ASSERT_NE(id, 0u) << program.output();
        // 200 x 100 points at two pixels per point, fixed, in its blue.
        const XClient::Geometry g = user.geometry(id);
        EXPECT_EQ(std::vector<int>({g.width, g.height}), std::vector<int>({400, 200}));
        const XClient::SizeHints hints = user.sizeHints(id);
        EXPECT_EQ(std::vector<int>({hints.minWidth, hints.minHeight, hints.maxWidth, hints.maxHeight}),
                  std::vector<int>({400, 200, 400, 200}));
        EXPECT_EQ(user.wmClass(id), (std::vector<std::string>{"x11_window_program", "X11_window_program"}));
        // Blue 0.1, 0.3, 0.9 in 8 bits, each within one step of rounding.
        platform::CGImagePixel middle;
        EXPECT_TRUE(eventually([&] {
            middle = user.screenshot(id)->pixelAt(200, 100);
            return std::abs(middle.red - 25.5) < 1 && std::abs(middle.green - 76.5) < 1 && middle.blue == 230;
        })) << int(middle.red)
            << " " << int(middle.green) << " " << int(middle.blue);

        if (byKey) {
            user.movePointer(id, 10, 10);
            user.key("q"); // without Ctrl: not the quit key
            EXPECT_EQ(program.wait(0.5), -1);
            user.key("q", XClient::control);
        } else {
            user.sendDeleteWindow(id);
        }
        EXPECT_EQ(program.wait(10), 0) << program.output();
    }
}
