// render-artwork: renders one style-kit drawing, or the default knob face, to a PNG file and prints its
// artwork statistics.
//
//   render-artwork NAME WIDTH HEIGHT [OUT.png] [--scale S] [--stats]
//
// NAME is a KnobsStyleKit drawing ("MixUnderlay", "NeoOverlay", ..., "NeoUnderlay") or "DefaultKnob:LABEL".
// The drawing's image for the frame (0, 0, WIDTH, HEIGHT) is rendered at S pixels per point (2 by
// default) and written to OUT.png. --stats prints the group rectangle and one line per shape.

#include "ArtworkStats.h"
#include "graphics/NSFont.h"
#include "graphics/NSImage.h"
#include "stylekit/KnobsStyleKit.h"
#include "stylekit/KnobsStyleKitArtwork.h"
#include "stylekit/QuorStyleKit.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cmath>
#include <iostream>
#include <string>

using namespace quorbel;
using platform::CGRect;
using platform::NSImage;

namespace {

constexpr std::string_view defaultKnobPrefix = "DefaultKnob:";

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Renders a style-kit drawing to PNG and prints its artwork statistics."};
    std::string name;
    double width = 0;
    double height = 0;
    std::string out;
    double scale = NSImage::defaultPixelDensity;
    bool stats = false;
    app.add_option("name", name, "drawing name, or DefaultKnob:LABEL")->required();
    app.add_option("width", width, "frame width in points")->required();
    app.add_option("height", height, "frame height in points")->required();
    app.add_option("out", out, "PNG file to write");
    app.add_option("--scale", scale, "pixels per point")->check(CLI::PositiveNumber);
    app.add_flag("--stats", stats, "print the group rectangle and one line per shape");
    CLI11_PARSE(app, argc, argv);

    if (out.empty() && !stats) {
        std::cerr << "render-artwork: nothing to do: give OUT.png, --stats or both\n";
        return 2;
    }
    if (!std::isfinite(width) || !std::isfinite(height)) {
        std::cerr << "render-artwork: width and height must be finite\n";
        return 2;
    }
    const CGRect frame(0, 0, width, height);

    std::shared_ptr<NSImage> image;
    if (name.rfind(defaultKnobPrefix, 0) == 0) {
        const std::string label = name.substr(defaultKnobPrefix.size());
        image = QuorStyleKit::imageOfDefaultKnob({width, height}, label);
        if (stats) {
            const auto font =
                platform::NSFont::systemFontOfSize(0.12 * std::fabs(height), platform::NSFontWeightMedium);
            std::cout << "font family=" << font.resolvedFamily()
                      << " size=" << formatStatNumber(font.pointSize()) << " weight=" << font.cssWeight()
                      << "\n";
        }
    } else {
        const auto which = knobsStyleKitDrawingNamed(name);
        if (!which) {
            std::cerr << "render-artwork: unknown drawing '" << name << "'; known:";
            for (KnobsStyleKitDrawing d : allKnobsStyleKitDrawings) {
                std::cerr << ' ' << knobsStyleKitDrawingName(d);
            }
            std::cerr << " DefaultKnob:LABEL\n";
            return 2;
        }
        image = knobsStyleKitImage(*which, frame);
        if (stats) {
            std::cout << artworkStats(knobsStyleKitArtwork(*which), frame);
        }
    }

    if (!out.empty()) {
        const platform::NSImageHints hints{scale};
        const auto bitmap = image->CGImageForProposedRect(nullptr, nullptr, &hints);
        if (!bitmap->writePNG(out)) {
            std::cerr << "render-artwork: cannot write " << out << "\n";
            return 1;
        }
    }
    return 0;
}
