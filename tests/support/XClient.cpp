#include "support/XClient.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <bit>
#include <chrono>
#include <thread>

namespace quorbel::test {

namespace {

/// Calls `f` every few milliseconds until it returns non-zero or `seconds` pass; returns its last result.
template <typename F> auto poll(double seconds, F f) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        auto result = f();
        if (result || std::chrono::steady_clock::now() >= end) {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

/// X errors from this connection (a window that went away mid-search) are expected: stay quiet.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

bool eventually(const std::function<bool()>& condition, double timeoutSeconds) {
    return poll(timeoutSeconds, condition);
}

XClient::XClient(const std::string& displayName) {
    display_ = XOpenDisplay(displayName.c_str());
    if (display_ != nullptr) {
        int event = 0, error = 0, major = 0, minor = 0;
        xtest_ = XTestQueryExtension(display_, &event, &error, &major, &minor) != 0;
    }
}

XClient::~XClient() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

void XClient::sync() {
    XSync(display_, False);
}

std::string XClient::netWmName(XWindowId window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display_, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        if (format == 8) {
            name.assign(reinterpret_cast<const char*>(data), count);
        }
        XFree(data);
    }
    return name;
}

std::string XClient::wmName(XWindowId window) {
    XTextProperty text{};
    std::string name;
    if (XGetWMName(display_, window, &text) == 0 || text.value == nullptr) {
        return name;
    }
    const auto* bytes = reinterpret_cast<const char*>(text.value);
    if (text.encoding == XA_STRING) {
        for (unsigned long i = 0; i < text.nitems; ++i) { // Latin-1 to UTF-8
            const auto c = static_cast<unsigned char>(bytes[i]);
            if (c < 0x80) {
                name += static_cast<char>(c);
            } else {
                name += static_cast<char>(0xc0 | (c >> 6));
                name += static_cast<char>(0x80 | (c & 0x3f));
            }
        }
    } else {
        name.assign(bytes, text.nitems); // UTF8_STRING; compound text only where it is ASCII
    }
    XFree(text.value);
    return name;
}

std::vector<std::string> XClient::wmClass(XWindowId window) {
    XClassHint hint{};
    std::vector<std::string> names;
    if (XGetClassHint(display_, window, &hint) != 0) {
        names = {hint.res_name != nullptr ? hint.res_name : "",
                 hint.res_class != nullptr ? hint.res_class : ""};
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return names;
}

XClient::SizeHints XClient::sizeHints(XWindowId window) {
    XSizeHints hints{};
    long supplied = 0;
    SizeHints result;
    if (XGetWMNormalHints(display_, window, &hints, &supplied) != 0) {
        result = {(hints.flags & PMinSize) != 0,
                  (hints.flags & PMaxSize) != 0,
                  hints.min_width,
                  hints.min_height,
                  hints.max_width,
                  hints.max_height};
    }
    return result;
}

std::vector<long> XClient::property32(XWindowId window, const std::string& name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> items;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, name.c_str(), False), 0, 64, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32) {
            const long* values = reinterpret_cast<const long*>(data); // Xlib hands 32-bit items as longs
            items.assign(values, values + count);
        }
        XFree(data);
    }
    return items;
}

XClient::Geometry XClient::geometry(XWindowId window) {
    XWindowAttributes attributes{};
    Geometry g;
    if (XGetWindowAttributes(display_, window, &attributes) == 0) {
        return g;
    }
    Window child = 0;
    XTranslateCoordinates(display_, window, attributes.root, 0, 0, &g.x, &g.y, &child);
    g.width = attributes.width;
    g.height = attributes.height;
    return g;
}

XWindowId XClient::findWindow(const std::string& title, long pid, double timeoutSeconds) {
    // Depth first through the whole tree: a window manager puts top-level windows inside frames.
    auto search = [&](auto& self, Window parent) -> Window {
        Window root = 0, up = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display_, parent, &root, &up, &children, &count) == 0) {
            return 0;
        }
        Window found = 0;
        for (unsigned i = count; i-- > 0 && found == 0;) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display_, children[i], &attributes) == 0 ||
                attributes.map_state != IsViewable) {
                continue;
            }
            const std::string name = netWmName(children[i]);
            if ((name == title || (name.empty() && wmName(children[i]) == title)) &&
                (pid == 0 || property32(children[i], "_NET_WM_PID") == std::vector<long>{pid})) {
                found = children[i];
            } else {
                found = self(self, children[i]);
            }
        }
        if (children != nullptr) {
            XFree(children);
        }
        return found;
    };
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    const XWindowId window =
        poll(timeoutSeconds, [&] { return search(search, DefaultRootWindow(display_)); });
    XSync(display_, False);
    XSetErrorHandler(previous);
    return window;
}

bool XClient::waitUntilGone(XWindowId window, double timeoutSeconds) {
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    const bool gone = poll(timeoutSeconds, [&] {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, window, &attributes) == 0 || attributes.map_state != IsViewable;
    });
    XSetErrorHandler(previous);
    return gone;
}

void XClient::movePointer(XWindowId window, int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
    sync();
}

void XClient::pressButton(int button) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
    sync();
}

void XClient::releaseButton(int button) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
    sync();
}

void XClient::click(XWindowId window, int x, int y, int count) {
    movePointer(window, x, y);
    for (int i = 0; i < count; ++i) {
        pressButton();
        releaseButton();
    }
}

void XClient::drag(XWindowId window, int fromX, int fromY, int toX, int toY, int steps, bool release) {
    movePointer(window, fromX, fromY);
    pressButton();
    for (int i = 1; i <= steps; ++i) {
        movePointer(window, fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    }
    if (release) {
        releaseButton();
    }
}

void XClient::key(const std::string& keysymName, unsigned modifiers) {
    const struct {
        Modifier modifier;
        KeySym keysym;
    } held[] = {{control, XK_Control_L}, {shift, XK_Shift_L}, {alt, XK_Alt_L}};
    for (const auto& m : held) {
        if ((modifiers & m.modifier) != 0) {
            XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, m.keysym), True, CurrentTime);
        }
    }
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysymName.c_str()));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    for (const auto& m : held) {
        if ((modifiers & m.modifier) != 0) {
            XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, m.keysym), False, CurrentTime);
        }
    }
    sync();
}

bool XClient::grabKeyboard() {
    const bool grabbed = XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync,
                                       GrabModeAsync, CurrentTime) == GrabSuccess;
    sync();
    return grabbed;
}

void XClient::ungrabKeyboard() {
    XUngrabKeyboard(display_, CurrentTime);
    sync();
}

void XClient::sendClientMessage(XWindowId window, const char* type, long data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, type, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = data;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    sync();
}

void XClient::sendDeleteWindow(XWindowId window) {
    sendClientMessage(window, "WM_PROTOCOLS",
                      static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False)));
}

void XClient::destroyWindow(XWindowId window) {
    XDestroyWindow(display_, window);
    sync();
}

void XClient::poke(XWindowId window) {
    sendClientMessage(window, "QUORBEL_TEST_POKE", 0);
}

void XClient::resize(XWindowId window, int width, int height) {
    XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    sync();
}

void XClient::damage(XWindowId window, int x, int y, int width, int height, unsigned long rgb) {
    GC gc = XCreateGC(display_, window, 0, nullptr);
    XSetForeground(display_, gc, rgb);
    XFillRectangle(display_, window, gc, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFreeGC(display_, gc);
    // With no background, clearing changes no pixel; it only sends the owner an expose for the area.
    XClearArea(display_, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), True);
    sync();
}

std::shared_ptr<platform::CGImage> XClient::screenshot(XWindowId window) {
    const Geometry g = geometry(window);
    auto image = std::make_shared<platform::CGImage>(static_cast<std::size_t>(g.width),
                                                     static_cast<std::size_t>(g.height));
    XImage* pixels = g.width > 0 ? XGetImage(display_, window, 0, 0, static_cast<unsigned>(g.width),
                                             static_cast<unsigned>(g.height), AllPlanes, ZPixmap)
                                 : nullptr;
    if (pixels == nullptr) {
        return image;
    }
    cairo_surface_t* surface = image->cairoSurface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    // Each channel by its mask, whatever the visual's layout.
    auto channel = [](unsigned long pixel, unsigned long mask) {
        const int low = std::countr_zero(mask);
        const unsigned long top = mask >> low;
        return static_cast<std::uint32_t>(((pixel & mask) >> low) * 255 / (top != 0 ? top : 1));
    };
    for (int y = 0; y < g.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < g.width; ++x) {
            const unsigned long p = XGetPixel(pixels, x, y);
            row[x] = 0xff000000u | channel(p, pixels->red_mask) << 16 | channel(p, pixels->green_mask) << 8 |
                     channel(p, pixels->blue_mask);
        }
    }
    cairo_surface_mark_dirty(surface);
    XDestroyImage(pixels);
    return image;
}

} // namespace quorbel::test
