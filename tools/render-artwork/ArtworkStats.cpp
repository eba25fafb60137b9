#include "ArtworkStats.h"

#include "stylekit/ArtworkRenderer.h"
#include "support/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorbel {

std::string formatStatNumber(CGFloat value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    }
    std::string text = platform::support::fixedText(value, 5);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

namespace {

struct Extent {
    CGFloat min = std::numeric_limits<CGFloat>::infinity();
    CGFloat max = -std::numeric_limits<CGFloat>::infinity();
    void add(CGFloat v) {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    std::string text() const {
        return min > max ? std::string("none") : formatStatNumber(min) + "," + formatStatNumber(max);
    }
};

std::string colourText(const ArtworkDrawing& drawing, std::size_t index) {
    if (index >= drawing.colours.size()) {
        return "missing";
    }
    const ArtworkColour& c = drawing.colours[index];
    return formatStatNumber(c.red) + "," + formatStatNumber(c.green) + "," + formatStatNumber(c.blue) + "," +
           formatStatNumber(c.alpha);
}

} // namespace

std::string artworkStats(const ArtworkDrawing& drawing, platform::CGRect frame) {
    std::string out;
    if (!drawing.group) {
        out += "group none\n";
    } else {
        const platform::CGRect g = artworkGroupRect(*drawing.group, frame);
        out += "group x=" + formatStatNumber(g.origin.x) + " y=" + formatStatNumber(g.origin.y) +
               " w=" + formatStatNumber(g.size.width) + " h=" + formatStatNumber(g.size.height) + "\n";
    }
    std::size_t number = 0;
    for (const ArtworkShape& shape : drawing.shapes) {
        ++number;
        std::size_t lines = 0;
        std::size_t curves = 0;
        Extent fx;
        Extent fy;
        const bool oval = shape.kind == ArtworkShapeKind::oval;
        if (oval) {
            fx.add(shape.ovalF1);
            fx.add(shape.ovalF2);
            fy = fx;
        } else {
            for (const ArtworkSubpath& subpath : shape.subpaths) {
                fx.add(subpath.start.fx);
                fy.add(subpath.start.fy);
                for (const ArtworkSegment& s : subpath.segments) {
                    fx.add(s.to.fx);
                    fy.add(s.to.fy);
                    if (s.kind == ArtworkSegmentKind::curve) {
                        ++curves;
                        fx.add(s.control1.fx);
                        fy.add(s.control1.fy);
                        fx.add(s.control2.fx);
                        fy.add(s.control2.fy);
                    } else {
                        ++lines;
                    }
                }
            }
        }
        out += "shape " + std::to_string(number) + " kind=" + (oval ? "oval" : "path") +
               " subpaths=" + std::to_string(oval ? 0 : shape.subpaths.size()) +
               " lines=" + std::to_string(lines) + " curves=" + std::to_string(curves) + " fx=" + fx.text() +
               " fy=" + fy.text() +
               " rule=" + (shape.windingRule == ArtworkWindingRule::evenOdd ? "evenodd" : "nonzero") +
               " miter=" + (shape.miterLimit ? formatStatNumber(*shape.miterLimit) : std::string("unset")) +
               " fill=" + colourText(drawing, shape.fillColour) + " stroke=" +
               (shape.stroke ? colourText(drawing, shape.stroke->colour) + "@" +
                                   formatStatNumber(shape.stroke->lineWidth)
                             : std::string("none")) +
               "\n";
    }
    return out;
}

} // namespace quorbel
