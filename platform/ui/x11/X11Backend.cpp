#include "ui/x11/X11Backend.h"

#include "graphics/CairoHandles.h"
#include "ui/Compositor.h"
#include "ui/DispatchQueue.h"
#include "ui/NSApplication.h"
#include "ui/NSWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

/// Reports X protocol errors on stderr instead of ending the process (Xlib's default). Focus requests
/// that race a window being unmapped are expected and stay quiet.
int reportXError(Display* display, XErrorEvent* error) {
    if (error->request_code == X_SetInputFocus && error->error_code == BadMatch) {
        return 0;
    }
    char text[160] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d.%d, resource 0x%lx)\n", text, error->request_code,
                 error->minor_code, error->resourceid);
    return 0;
}

/// The connections of the X11 back ends alive, whose loss the back end reports itself: Xlib's handler of a
/// lost connection is process-wide, and may run on any thread for another connection (a test's own).
std::atomic<Display*> ownDisplays[8];
XIOErrorHandler otherDisplaysHandler = nullptr;

/// Quiet for a connection of ours (its exit handler records the loss and returns, and the back end reports
/// it); Xlib's own handling, which prints and ends the process, for any other.
int handleLostConnection(Display* display) {
    for (const auto& own : ownDisplays) {
        if (own.load() == display) {
            return 0;
        }
    }
    return otherDisplaysHandler != nullptr ? otherDisplaysHandler(display) : 0;
}

/// Pixels for a length in points: the same rounding as the compositor's bitmaps, at least one pixel
/// (an X window cannot be empty), at most what X can address.
int toPixels(CGFloat points, CGFloat density) {
    const CGFloat n = std::ceil(points * density - 1e-9);
    if (!(n >= 1)) {
        return 1;
    }
    return static_cast<int>(std::min<CGFloat>(n, 32767));
}

/// The text a key produces, from its keysym: Latin-1 and Unicode keysyms, and the control keys that
/// produce a character on the platform (Return, Tab, Backspace as Delete, Escape). Empty otherwise.
std::string keysymText(KeySym keysym) {
    unsigned long code = 0;
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) {
        code = keysym;
    } else if (keysym >= 0x01000100 && keysym <= 0x0110ffff) {
        code = keysym - 0x01000000;
    } else {
        switch (keysym) {
        case XK_Return:
        case XK_KP_Enter:
            return "\r";
        case XK_Tab:
            return "\t";
        case XK_BackSpace:
            return "\x7f";
        case XK_Escape:
            return "\x1b";
        default:
            return {};
        }
    }
    std::string utf8;
    if (code < 0x80) {
        utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
        utf8 += static_cast<char>(0xc0 | (code >> 6));
        utf8 += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        utf8 += static_cast<char>(0xe0 | (code >> 12));
        utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        utf8 += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        utf8 += static_cast<char>(0xf0 | (code >> 18));
        utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        utf8 += static_cast<char>(0x80 | (code & 0x3f));
    }
    return utf8;
}

/// `utf8` in Latin-1, or empty when it holds a character beyond Latin-1 or is not valid UTF-8.
std::string latin1(const std::string& utf8) {
    std::string latin;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            latin += static_cast<char>(c);
        } else if ((c == 0xc2 || c == 0xc3) && i + 1 < utf8.size() &&
                   (static_cast<unsigned char>(utf8[i + 1]) & 0xc0) == 0x80) {
            latin += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3f));
        } else {
            return {};
        }
    }
    return latin;
}

/// Ctrl stands for Command (Ctrl+Q is the quit key), Alt for Option.
NSEventModifierFlags modifierFlags(unsigned int state) {
    NSEventModifierFlags flags = 0;
    if ((state & ShiftMask) != 0) {
        flags |= NSEventModifierFlagShift;
    }
    if ((state & ControlMask) != 0) {
        flags |= NSEventModifierFlagCommand;
    }
    if ((state & Mod1Mask) != 0) {
        flags |= NSEventModifierFlagOption;
    }
    return flags;
}

std::string programName() {
    std::string name = program_invocation_short_name;
    return name.empty() ? "quorbel" : name;
}

} // namespace

/// One NSWindow's X window, with its buffers: the bitmap the compositor draws into and the server-side
/// pixmap that expose events copy from. Main thread only.
class X11WindowBackend final : public NSWindowBackend {
public:
    X11WindowBackend(X11Backend& owner, NSWindow& window) : owner_(owner), window_(window) {
        density_ = owner.density_;
    }
    ~X11WindowBackend() override { destroyNative(); }

    void show() override {
        if (xwindow_ == 0) {
            createNative();
        }
        wantsFocus_ = true;
        XMapRaised(display(), xwindow_);
    }
    void hide() override {
        if (xwindow_ != 0) {
            XWithdrawWindow(display(), xwindow_, DefaultScreen(display()));
        }
    }
    void setTitle(const std::string& title) override {
        title_ = title;
        if (xwindow_ != 0) {
            applyTitle();
        }
    }
    void setContentRect(CGRect rect) override;
    /// Nothing is drawn now: the loop draws every visible window whose needsDisplay() is set, once a turn,
    /// and does not sleep before it has.
    void markDirty() override { owner_.redrawPending_ = true; }
    void close() override { destroyNative(); }
    /// Another client destroyed the X window: its buffers go, and nothing refers to the window any more.
    void nativeDestroyed() { destroyNative(false); }

    NSWindow& window() { return window_; }
    CGFloat density() const { return density_; }
    unsigned long xwindow() const { return xwindow_; }

    /// Composites the window into the bitmap, then copies it to the pixmap and the pixmap to the window.
    void draw();
    /// Copies a damaged rectangle from the pixmap; true when there was a pixmap to copy from.
    bool repaint(int x, int y, int width, int height);
    /// The window manager (or the server) gave the window a new size.
    void configured(int width, int height);
    /// Called at MapNotify: the window that was asked to be key takes the keyboard focus.
    void mapped() {
        if (wantsFocus_) {
            wantsFocus_ = false;
            XSetInputFocus(display(), xwindow_, RevertToParent, CurrentTime);
        }
    }

    /// Button 1 is held inside this window (between its press and release).
    bool buttonHeld = false;

private:
    Display* display() const { return owner_.display_; }
    const X11Backend::Atoms& atoms() const { return owner_.atoms_; }
    void createNative();
    /// Releases the X window and its buffers; `destroyWindow` false when the window is already gone.
    void destroyNative(bool destroyWindow = true);
    void applyTitle();
    void applyStyle();
    void place(CGRect rect);

    X11Backend& owner_;
    NSWindow& window_;
    CGFloat density_ = 1;
    Window xwindow_ = 0;
    std::string title_;
    CGRect rect_;
    NSWindowStyleMask style_ = 0;
    bool placed_ = false;
    int width_ = 1, height_ = 1, x_ = 0, y_ = 0;
    bool wantsFocus_ = false;

    CairoSurfaceHandle bitmap_;
    Pixmap pixmap_ = 0;
    CairoSurfaceHandle pixmapSurface_;
    int bufferWidth_ = 0, bufferHeight_ = 0;
    GC gc_ = nullptr;
};

void X11WindowBackend::place(CGRect rect) {
    const CGRect screen = owner_.screenFrame();
    width_ = toPixels(rect.width(), density_);
    height_ = toPixels(rect.height(), density_);
    // Points from the screen's bottom-left to pixels from its top-left.
    x_ = static_cast<int>(std::lround(rect.minX() * density_));
    y_ = static_cast<int>(std::lround((screen.height() - rect.maxY()) * density_));
}

void X11WindowBackend::setContentRect(CGRect rect) {
    const NSWindowStyleMask style = window_.styleMask();
    if (placed_ && rect == rect_ && style == style_) {
        return;
    }
    const int oldW = width_, oldH = height_, oldX = x_, oldY = y_;
    const bool styleChanged = style != style_;
    rect_ = rect;
    style_ = style;
    place(rect);
    const bool first = !placed_;
    placed_ = true;
    if (xwindow_ == 0 || first) {
        return;
    }
    if (styleChanged || width_ != oldW || height_ != oldH) {
        applyStyle(); // the size hints name the new size before the window takes it
    }
    if (width_ != oldW || height_ != oldH || x_ != oldX || y_ != oldY) {
        XMoveResizeWindow(display(), xwindow_, x_, y_, static_cast<unsigned>(width_),
                          static_cast<unsigned>(height_));
    }
}

void X11WindowBackend::createNative() {
    Display* d = display();
    const int screen = DefaultScreen(d);
    XSetWindowAttributes attributes{};
    // No background: the server never clears the window to a colour before an expose is answered, so
    // nothing flickers; bit gravity keeps the old pixels in place while a resize is being redrawn.
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | KeyPressMask | FocusChangeMask | LeaveWindowMask;
    xwindow_ = XCreateWindow(d, RootWindow(d, screen), x_, y_, static_cast<unsigned>(width_),
                             static_cast<unsigned>(height_), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
    owner_.windows_[xwindow_] = this;

    Atom protocols[] = {atoms().wmDeleteWindow};
    XSetWMProtocols(d, xwindow_, protocols, 1);
    std::string resName = programName();
    std::string resClass = resName;
    resClass[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(resClass[0])));
    XClassHint classHint{resName.data(), resClass.data()};
    XSetClassHint(d, xwindow_, &classHint);
    XWMHints wmHints{};
    wmHints.flags = InputHint | StateHint;
    wmHints.input = True;
    wmHints.initial_state = NormalState;
    XSetWMHints(d, xwindow_, &wmHints);
    const long pid = static_cast<long>(getpid());
    XChangeProperty(d, xwindow_, atoms().netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        XTextProperty machine{};
        char* list[] = {host};
        if (XStringListToTextProperty(list, 1, &machine) != 0) {
            XSetWMClientMachine(d, xwindow_, &machine);
            XFree(machine.value);
        }
    }
    XGCValues values{};
    values.graphics_exposures = False; // copies from the pixmap never leave anything to expose
    gc_ = XCreateGC(d, xwindow_, GCGraphicsExposures, &values);
    applyTitle();
    applyStyle();
}

void X11WindowBackend::destroyNative(bool destroyWindow) {
    pixmapSurface_.reset();
    bitmap_.reset();
    if (xwindow_ == 0) {
        return;
    }
    Display* d = display();
    // After the connection is lost Xlib only pretends to send; nothing is asked of it.
    const bool connected = !owner_.lost_;
    if (pixmap_ != 0 && connected) {
        XFreePixmap(d, pixmap_);
    }
    pixmap_ = 0;
    if (gc_ != nullptr && connected) {
        XFreeGC(d, gc_);
    }
    gc_ = nullptr;
    owner_.windows_.erase(xwindow_);
    if (destroyWindow && connected) {
        XDestroyWindow(d, xwindow_);
        XFlush(d);
    }
    xwindow_ = 0;
    bufferWidth_ = bufferHeight_ = 0;
}

void X11WindowBackend::applyTitle() {
    Display* d = display();
    const auto* bytes = reinterpret_cast<const unsigned char*>(title_.data());
    const int length = static_cast<int>(title_.size());
    XChangeProperty(d, xwindow_, atoms().netWmName, atoms().utf8String, 8, PropModeReplace, bytes, length);
    XChangeProperty(d, xwindow_, atoms().netWmIconName, atoms().utf8String, 8, PropModeReplace, bytes,
                    length);
    // The old properties, for window managers that read only them: STRING (Latin-1) when the title is
    // Latin-1, UTF8_STRING otherwise. Compound text would depend on the process's locale.
    const std::string latin = latin1(title_);
    XTextProperty text{};
    if (!latin.empty() || title_.empty()) {
        text = {reinterpret_cast<unsigned char*>(const_cast<char*>(latin.data())), XA_STRING, 8,
                latin.size()};
    } else {
        text = {const_cast<unsigned char*>(bytes), atoms().utf8String, 8, title_.size()};
    }
    XSetWMName(d, xwindow_, &text);
    XSetWMIconName(d, xwindow_, &text);
}

void X11WindowBackend::applyStyle() {
    Display* d = display();
    const bool resizable = (style_ & NSWindowStyleMaskResizable) != 0;
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) {
        return;
    }
    hints->flags = PPosition | PSize;
    hints->x = x_;
    hints->y = y_;
    hints->width = width_;
    hints->height = height_;
    if (!resizable) {
        // A window manager may neither shrink nor grow the window.
        hints->flags |= PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width_;
        hints->min_height = hints->max_height = height_;
    }
    XSetWMNormalHints(d, xwindow_, hints);
    XFree(hints);

    // Which decorations and functions the window manager offers, after the style mask.
    enum : long {
        funcResize = 2,
        funcMove = 4,
        funcMinimize = 8,
        funcMaximize = 16,
        funcClose = 32,
        decorBorder = 2,
        decorResize = 4,
        decorTitle = 8,
        decorMenu = 16,
        decorMinimize = 32,
        decorMaximize = 64,
    };
    long functions = funcMove;
    long decorations = 0;
    if ((style_ & NSWindowStyleMaskTitled) != 0) {
        decorations |= decorBorder | decorTitle | decorMenu;
    }
    if ((style_ & NSWindowStyleMaskClosable) != 0) {
        functions |= funcClose;
    }
    if ((style_ & NSWindowStyleMaskMiniaturizable) != 0) {
        functions |= funcMinimize;
        decorations |= decorMinimize;
    }
    if (resizable) {
        functions |= funcResize | funcMaximize;
        decorations |= decorResize | decorMaximize;
    }
    const long motif[5] = {1 | 2, functions, decorations, 0, 0}; // flags: functions, decorations
    XChangeProperty(d, xwindow_, atoms().motifWmHints, atoms().motifWmHints, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
}

void X11WindowBackend::draw() {
    if (xwindow_ == 0) {
        return;
    }
    Display* d = display();
    const CGSize size = window_.contentSize();
    const int w = toPixels(size.width, density_);
    const int h = toPixels(size.height, density_);
    if (bitmap_ == nullptr || w != bufferWidth_ || h != bufferHeight_) {
        pixmapSurface_.reset();
        bitmap_.reset();
        if (pixmap_ != 0) {
            XFreePixmap(d, pixmap_);
        }
        const int screen = DefaultScreen(d);
        bitmap_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
        pixmap_ = XCreatePixmap(d, xwindow_, static_cast<unsigned>(w), static_cast<unsigned>(h),
                                static_cast<unsigned>(DefaultDepth(d, screen)));
        pixmapSurface_.reset(cairo_xlib_surface_create(d, pixmap_, DefaultVisual(d, screen), w, h));
        bufferWidth_ = w;
        bufferHeight_ = h;
    }
    // The compositor draws into a client-side bitmap, the same pixels as the offscreen back end's; the
    // bitmap goes to the server's pixmap whole, then to the window in one copy.
    {
        const CairoHandle cr(cairo_create(bitmap_.get()));
        Compositor::drawWindow(window_, cr.get(), density_);
    }
    cairo_surface_flush(bitmap_.get());
    {
        const CairoHandle upload(cairo_create(pixmapSurface_.get()));
        cairo_set_operator(upload.get(), CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(upload.get(), bitmap_.get(), 0, 0);
        cairo_paint(upload.get());
    }
    cairo_surface_flush(pixmapSurface_.get());
    XCopyArea(d, pixmap_, xwindow_, gc_, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), 0, 0);
}

bool X11WindowBackend::repaint(int x, int y, int width, int height) {
    if (pixmap_ == 0) {
        return false;
    }
    XCopyArea(display(), pixmap_, xwindow_, gc_, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height), x, y);
    return true;
}

void X11WindowBackend::configured(int width, int height) {
    if (width == width_ && height == height_) {
        return;
    }
    width_ = width;
    height_ = height;
    // setContentSize keeps the top-left corner and calls setContentRect back with a rectangle whose pixel
    // size is the one just recorded, so nothing is sent back to the server.
    window_.setContentSize({static_cast<CGFloat>(width) / density_, static_cast<CGFloat>(height) / density_});
}

// -------------------------------------------------------------------------------------------------------

std::unique_ptr<X11Backend> X11Backend::open(std::string& error) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* variable = std::getenv("DISPLAY");
        if (variable == nullptr || *variable == '\0') {
            error = "cannot open an X display: DISPLAY is not set";
        } else {
            error = std::string("cannot open the X display \"") + variable + "\"";
        }
        return nullptr;
    }
    XSetErrorHandler(reportXError);
    if (const XIOErrorHandler previous = XSetIOErrorHandler(handleLostConnection);
        previous != handleLostConnection) {
        otherDisplaysHandler = previous;
    }
    return std::unique_ptr<X11Backend>(new X11Backend(display, pixelDensityFromEnvironment()));
}

X11Backend::X11Backend(Display* display, CGFloat density)
    : display_(display), displayName_(DisplayString(display)), density_(density) {
    for (auto& own : ownDisplays) {
        Display* none = nullptr;
        if (own.compare_exchange_strong(none, display)) {
            break;
        }
    }
    // Called by Xlib, from inside whichever call found the connection gone, after the handler above.
    // Returning (instead of Xlib's exit) leaves the connection dead: Xlib's later calls do nothing, except
    // that reading an event that is not queued would crash, so the loop makes no X call from now on.
    XSetIOErrorExitHandler(
        display,
        [](Display*, void* backend) {
            auto* self = static_cast<X11Backend*>(backend);
            self->lost_ = true;
            self->stopped_ = true;
        },
        this);
    const char* names[] = {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_NAME",   "_NET_WM_ICON_NAME",
                           "UTF8_STRING",  "_NET_WM_PID",      "_MOTIF_WM_HINTS"};
    Atom a[std::size(names)] = {};
    XInternAtoms(display, const_cast<char**>(names), static_cast<int>(std::size(names)), False, a);
    atoms_ = {a[0], a[1], a[2], a[3], a[4], a[5], a[6]};
}

X11Backend::~X11Backend() {
    // Window back ends outlive the application's back end only if windows were leaked; their X windows
    // go with the connection.
    std::vector<X11WindowBackend*> open;
    for (const auto& entry : windows_) {
        open.push_back(entry.second);
    }
    for (X11WindowBackend* window : open) {
        window->close();
    }
    XCloseDisplay(display_);
    for (auto& own : ownDisplays) {
        Display* mine = display_;
        own.compare_exchange_strong(mine, nullptr);
    }
}

void X11Backend::setPixelDensity(CGFloat density) {
    density_ = density >= 1 && density <= 4 ? density : 1;
}

std::unique_ptr<NSWindowBackend> X11Backend::createWindowBackend(NSWindow& window) {
    return std::make_unique<X11WindowBackend>(*this, window);
}

CGRect X11Backend::screenFrame() const {
    const int screen = DefaultScreen(display_);
    return {0, 0, DisplayWidth(display_, screen) / density_, DisplayHeight(display_, screen) / density_};
}

unsigned long X11Backend::nativeWindow(const NSWindow& window) const {
    const auto* backend = dynamic_cast<const X11WindowBackend*>(window.backend());
    return backend != nullptr ? backend->xwindow() : 0;
}

double X11Backend::eventSeconds(unsigned long serverTime) {
    // Server time is 32-bit milliseconds; it wraps after 49 days.
    if (serverTime < lastServerTime_ && lastServerTime_ - serverTime > 0x80000000ul) {
        timeEpoch_ += 4294967.296;
    }
    lastServerTime_ = serverTime;
    return timeEpoch_ + static_cast<double>(serverTime) / 1000.0;
}

void X11Backend::handleEvent(XEvent& event) {
    const auto found = windows_.find(event.xany.window);
    if (found == windows_.end()) {
        return;
    }
    X11WindowBackend& backend = *found->second;
    // A handler may close the window and drop its last reference (and so this back end's window).
    const std::shared_ptr<NSWindow> keep = backend.window().weak_from_this().lock();
    NSWindow& window = backend.window();
    const CGFloat density = backend.density();
    const auto sendMouse = [&](NSEventType type, int x, int y, Time time, unsigned int state) {
        const CGPoint location{x / density, window.contentSize().height - y / density};
        window.sendEvent(NSEvent::mouseEvent(type, location, eventSeconds(time), modifierFlags(state)));
    };
    switch (event.type) {
    case Expose:
        if (!window.needsDisplay() &&
            !backend.repaint(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height)) {
            window.setViewsNeedDisplay(true);
        }
        break;
    case ConfigureNotify:
        backend.configured(event.xconfigure.width, event.xconfigure.height);
        break;
    case MapNotify:
        backend.mapped();
        break;
    case DestroyNotify:
        // Another client destroyed the window (a window manager's destroy, `xdotool windowclose`): the
        // window closes as if its close button had been used, but without asking.
        if (event.xdestroywindow.window == backend.xwindow()) {
            backend.nativeDestroyed();
            window.close();
        }
        break;
    case ButtonPress:
    case ButtonRelease: {
        if (event.xbutton.button != Button1) {
            break; // the stand-in knows the left button only
        }
        const bool press = event.type == ButtonPress;
        backend.buttonHeld = press;
        const XButtonEvent& b = event.xbutton;
        sendMouse(press ? NSEventTypeLeftMouseDown : NSEventTypeLeftMouseUp, b.x, b.y, b.time, b.state);
        break;
    }
    case MotionNotify: {
        const XMotionEvent& m = event.xmotion;
        const bool dragging = (m.state & Button1Mask) != 0;
        sendMouse(dragging ? NSEventTypeLeftMouseDragged : NSEventTypeMouseMoved, m.x, m.y, m.time, m.state);
        break;
    }
    case KeyPress: {
        char ignored[32];
        KeySym keysym = NoSymbol;
        XLookupString(&event.xkey, ignored, sizeof ignored, &keysym, nullptr);
        // The keysym already has Shift applied; Ctrl (Command) leaves the characters as they are.
        const std::string text = keysymText(keysym);
        const unsigned short keyCode = keysym == XK_Escape ? kVK_Escape : 0;
        window.sendEvent(NSEvent::keyEvent(NSEventTypeKeyDown, text, text, keyCode,
                                           eventSeconds(event.xkey.time), modifierFlags(event.xkey.state)));
        break;
    }
    case LeaveNotify:
    case FocusOut: {
        // Another client took the pointer or the keyboard (a grab, the window manager's switcher) while the
        // button was held: the press will not end normally.
        const bool lost = event.type == LeaveNotify
                              ? event.xcrossing.mode == NotifyGrab
                              : event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer;
        if (lost && backend.buttonHeld) {
            backend.buttonHeld = false;
            NSEvent grabLost;
            grabLost.type = NSEventTypePointerGrabLost;
            grabLost.timestamp =
                eventSeconds(event.type == LeaveNotify ? event.xcrossing.time : lastServerTime_);
            window.sendEvent(grabLost);
        }
        break;
    }
    case ClientMessage:
        if (event.xclient.message_type == atoms_.wmProtocols && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == atoms_.wmDeleteWindow) {
            window.performClose();
        }
        break;
    default:
        break;
    }
}

bool X11Backend::drawDirtyWindows() {
    redrawPending_ = false;
    bool drew = false;
    // A copy: drawing may close windows.
    const std::vector<std::shared_ptr<NSWindow>> windows = NSApplication::shared().windows();
    for (const auto& window : windows) {
        auto* backend = dynamic_cast<X11WindowBackend*>(window->backend());
        if (backend == nullptr || !window->isVisible()) {
            continue;
        }
        window->layoutIfNeeded();
        if (window->needsDisplay()) {
            backend->draw();
            drew = true;
        }
    }
    return drew;
}

bool X11Backend::runOnce() {
    if (lost_) {
        return false;
    }
    bool did = false;
    // The events that have arrived by now, not those that arrive while they are handled: the turn ends,
    // and draws, even under a stream of input.
    for (int pending = XPending(display_); pending > 0 && !stopped_ && !lost_; --pending) {
        XEvent event;
        XNextEvent(display_, &event);
        handleEvent(event);
        did = true;
    }
    did = DispatchQueue::main().drain() > 0 || did;
    if (lost_) {
        return did;
    }
    did = drawDirtyWindows() || did;
    XFlush(display_);
    return did;
}

int X11Backend::runUntilIdle() {
    int turns = 0;
    do {
        if (lost_) {
            break;
        }
        XSync(display_, False);
    } while (runOnce() && ++turns < 100000);
    return turns;
}

void X11Backend::waitForWork() {
    DispatchQueue& queue = DispatchQueue::main();
    if (lost_ || redrawPending_ || !queue.prepareToSleep()) {
        return;
    }
    // XPending flushes the requests of the turn and reads what the server sent meanwhile: events that are
    // already read sit in Xlib's queue, where poll() cannot see them.
    if (XPending(display_) == 0 && !lost_) {
        const int wake = queue.wakeDescriptor();
        pollfd descriptors[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wake, POLLIN, 0}};
        // Without a wake descriptor a post can only be noticed by looking again now and then.
        const int timeout = wake >= 0 ? -1 : 10;
        while (poll(descriptors, wake >= 0 ? 2 : 1, timeout) < 0 && errno == EINTR) {
        }
    }
    queue.finishSleeping();
}

void X11Backend::run(NSApplication&) {
    stopped_ = false;
    for (;;) {
        runOnce();
        if (stopped_ || lost_) {
            break;
        }
        waitForWork();
    }
    stopped_ = false;
    if (lost_) {
        throw DisplayConnectionLost("lost the connection to the X display \"" + displayName_ +
                                    "\": the server ended or closed the connection");
    }
}

namespace {
[[maybe_unused]] const bool registered =
    registerApplicationBackend("x11", [](std::string& error) -> std::unique_ptr<NSApplicationBackend> {
        return X11Backend::open(error);
    });
} // namespace

} // namespace platform
