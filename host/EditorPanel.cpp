#include "host/EditorPanel.h"

#include "host/EffectLoader.h"
#include "support/NumberText.h"

#include "ui/AUViewController.h"
#include "ui/CALayer.h"
#include "ui/Compositor.h"
#include "ui/NSApplication.h"
#include "ui/NSButton.h"
#include "ui/NSImageView.h"
#include "ui/NSView.h"
#include "ui/NSWindow.h"
#include "ui/UIBackend.h"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace auhost {

using namespace platform;

namespace {

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

/// The panel's controls in the order the editor builds them: seven knobs (parameters 0 to 6), five
/// buttons, five captions.
constexpr std::array<const char*, 7> knobNames{"mixKnob",    "feedKnob",      "toneKnob",  "orbitKnob",
                                               "vexityKnob", "confusionKnob", "volumeKnob"};
constexpr std::array<const char*, 5> buttonNames{"lowPassBtn", "bandPassBtn", "highPassBtn", "brokenBtn",
                                                 "bypassBtn"};
constexpr std::array<const char*, 5> captionNames{"lpLabel", "bpLabel", "hpLabel", "brokenLabel",
                                                  "bypassLabel"};

std::string frameText(const NSView& view) {
    const CGRect f = view.frame();
    return "x=" + support::shortestText(f.origin.x) + " y=" + support::shortestText(f.origin.y) +
           " w=" + support::shortestText(f.size.width) + " h=" + support::shortestText(f.size.height);
}

/// The rotation of a knob's cap (the upper of its two layers) in degrees, as the knob computed it in
/// 32-bit arithmetic: the transform holds that angle in radians, so the angle read back rounds to it.
float capAngle(const NSView& knob) {
    const CALayer* layer = knob.layer();
    if (layer == nullptr || layer->sublayers().size() < 2) {
        fail("a knob of the editor's panel has no cap layer");
    }
    const CATransform3D& t = layer->sublayers()[1]->transform();
    return static_cast<float>(std::atan2(t.m12, t.m11) * 180.0 / 3.141592653589793);
}

/// Ends the application when the editor's window closes.
class CloseEndsRun : public NSApplicationDelegate {
public:
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication&) override { return true; }
};

} // namespace

std::optional<CGSize> parseSize(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        return std::nullopt;
    }
    double w = 0;
    double h = 0;
    const char* end = text.data() + text.size();
    const auto a = std::from_chars(text.data(), text.data() + x, w);
    const auto b = std::from_chars(text.data() + x + 1, end, h);
    if (a.ec != std::errc() || a.ptr != text.data() + x || b.ec != std::errc() || b.ptr != end ||
        !(w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h))) {
        return std::nullopt;
    }
    return CGSize{w, h};
}

std::shared_ptr<NSView> presentEditor(AUViewController& controller, CGSize size) {
    const std::shared_ptr<NSView> root = controller.view();
    if (!root) {
        fail("the effect's editor made no view");
    }
    root->setFrame({0, 0, size.width, size.height});
    root->layoutSubtreeIfNeeded();
    controller.viewWillAppear();
    controller.viewDidAppear();
    drainMainQueue();
    root->layoutSubtreeIfNeeded();
    return root;
}

std::string panelPNG(NSView& root, double scale) {
    const auto image = Compositor::renderView(root, scale);
    std::string bytes;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (!image ||
        cairo_surface_write_to_png_stream(image->cairoSurface(), append, &bytes) != CAIRO_STATUS_SUCCESS) {
        fail("cannot encode the panel as PNG");
    }
    return bytes;
}

void printFrames(NSView& root, const AUAudioUnit& unit, std::ostream& out) {
    const auto& views = root.subviews();
    const std::size_t expected = knobNames.size() + buttonNames.size() + captionNames.size();
    const auto isButton = [](const NSView& v) { return dynamic_cast<const NSButton*>(&v) != nullptr; };
    const auto isCaption = [](const NSView& v) { return dynamic_cast<const NSImageView*>(&v) != nullptr; };
    bool shaped = views.size() == expected;
    for (std::size_t i = 0; shaped && i < views.size(); ++i) {
        const bool knob = i < knobNames.size();
        const bool button = !knob && i < knobNames.size() + buttonNames.size();
        shaped = isButton(*views[i]) == button && isCaption(*views[i]) == (!knob && !button);
    }
    if (!shaped) {
        fail("the editor's panel does not hold seven knobs, five buttons and five captions");
    }
    const auto tree = unit.parameterTree();
    std::size_t i = 0;
    for (const char* name : knobNames) {
        const AUParameter* p = tree ? tree->parameterWithAddress(i) : nullptr;
        const NSView& knob = *views[i++];
        out << name << " " << frameText(knob) << " value=" << support::shortestText(p ? p->value() : 0.0f)
            << " angle=" << support::shortestText(capAngle(knob)) << "\n";
    }
    for (const char* name : buttonNames) {
        const auto& button = static_cast<const NSButton&>(*views[i++]);
        out << name << " " << frameText(button)
            << " state=" << (button.state() == NSControlStateValueOn ? "on" : "off") << "\n";
    }
    for (const char* name : captionNames) {
        out << name << " " << frameText(*views[i++]) << "\n";
    }
    out << "knobSize=" << support::shortestText(views[0]->frame().size.width)
        << " radioSize=" << support::shortestText(views[knobNames.size()]->frame().size.width) << "\n";
}

void checkPixelSize(CGSize size, double scale, const std::string& scaleSetting) {
    if (size.width * scale > 8192 || size.height * scale > 8192) {
        fail("the panel would be larger than 8192 pixels on a side; lower --size or " + scaleSetting);
    }
}

void runEditorWindow(const std::shared_ptr<AUViewController>& controller, const std::string& title,
                     const std::optional<CGSize>& size) {
    NSApplication& app = NSApplication::shared();
    // No display: fails here, before anything is made.
    const CGFloat density = app.backend().pixelDensity();
    if (size) {
        checkPixelSize(*size, density, "QUORBEL_UI_SCALE");
    }
    const auto delegate = std::make_shared<CloseEndsRun>();
    app.setDelegate(delegate);
    const NSWindowStyleMask style = NSWindowStyleMaskTitled | NSWindowStyleMaskClosable |
                                    NSWindowStyleMaskMiniaturizable | NSWindowStyleMaskResizable;
    auto window = std::make_shared<NSWindow>(CGRect{0, 0, 480, 320}, style);
    window->setTitle(title);
    window->setContentViewController(controller);
    if (size) {
        window->setContentSize(*size);
    }
    window->center();
    window->makeKeyAndOrderFront();
    app.run();
    app.setDelegate({});
}

} // namespace auhost
