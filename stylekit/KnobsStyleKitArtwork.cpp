#include "stylekit/KnobsStyleKitArtwork.h"

namespace quorbel {

namespace {

constexpr std::array<std::string_view, knobsStyleKitDrawingCount> names{
    QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_DRAWING_NAME, QUORBEL_DRAWING_NAME)};

#define QUORBEL_NOT_LETTERED(Name) std::nullopt,
#define QUORBEL_LETTERED(Name) LetteringDrawing::Name,
/// The lettered drawing that each drawing is, if it is one.
constexpr std::array<std::optional<LetteringDrawing>, knobsStyleKitDrawingCount> lettering{
    QUORBEL_KNOBS_STYLE_KIT_DRAWINGS(QUORBEL_NOT_LETTERED, QUORBEL_LETTERED)};
#undef QUORBEL_NOT_LETTERED
#undef QUORBEL_LETTERED

constexpr ArtworkColour black{0, 0, 0, 1};

ArtworkSegment line(CGFloat fx, CGFloat fy) {
    return ArtworkSegment::line({fx, fy});
}

ArtworkSegment curve(ArtworkPoint to, ArtworkPoint c1, ArtworkPoint c2) {
    return ArtworkSegment::curve(to, c1, c2);
}

/// A lettered drawing: one colour, its group constants and the generated letter shapes.
ArtworkDrawing lettered(KnobsStyleKitDrawing which, ArtworkColour colour, ArtworkGroup group) {
    return {{colour}, group, letteringShapes(*lettering[static_cast<std::size_t>(which)])};
}

/// The knob cap: a toothed maroon disc with a round hole and a brass outline, and a yellow pointer.
ArtworkDrawing neoOverlay() {
    ArtworkSubpath outline{
        {0.54793, 0.00233},
        {
            curve({0.45207, 0.00233}, {0.51605, -0.00078}, {0.48395, -0.00078}), line(0.41500, 0.08489),
            curve({0.29658, 0.12855}, {0.37361, 0.09342}, {0.33370, 0.10814}),   line(0.21580, 0.08945),
            curve({0.14237, 0.15187}, {0.18941, 0.10783}, {0.16482, 0.12873}),   line(0.16636, 0.23925),
            curve({0.10334, 0.34982}, {0.14006, 0.27274}, {0.11882, 0.31000}),   line(0.01665, 0.37246),
            curve({0.00000, 0.46810}, {0.00810, 0.40373}, {0.00252, 0.43576}),   line(0.07382, 0.51941),
            curve({0.09571, 0.64515}, {0.07493, 0.56220}, {0.08230, 0.60457}),   line(0.04366, 0.71895),
            curve({0.09159, 0.80306}, {0.05695, 0.74847}, {0.07300, 0.77663}),   line(0.18070, 0.79429),
            curve({0.27725, 0.87636}, {0.20869, 0.82634}, {0.24123, 0.85400}),   line(0.28420, 0.96679),
            curve({0.37428, 1.00000}, {0.31312, 0.98075}, {0.34328, 0.99187}),   line(0.43699, 0.93526),
            curve({0.56301, 0.93526}, {0.47876, 0.94159}, {0.52124, 0.94159}),   line(0.62572, 1.00000),
            curve({0.71580, 0.96679}, {0.65672, 0.99187}, {0.68689, 0.98075}),   line(0.72276, 0.87636),
            curve({0.81930, 0.79429}, {0.75877, 0.85400}, {0.79131, 0.82634}),   line(0.90841, 0.80306),
            curve({0.95634, 0.71895}, {0.92700, 0.77663}, {0.94305, 0.74847}),   line(0.90429, 0.64515),
            curve({0.92618, 0.51941}, {0.91770, 0.60457}, {0.92507, 0.56220}),   line(1.00000, 0.46810),
            curve({0.98336, 0.37246}, {0.99748, 0.43576}, {0.99191, 0.40373}),   line(0.89666, 0.34982),
            curve({0.83365, 0.23925}, {0.88118, 0.31000}, {0.85994, 0.27274}),   line(0.85763, 0.15187),
            curve({0.78421, 0.08945}, {0.83518, 0.12873}, {0.81059, 0.10783}),   line(0.70342, 0.12855),
            curve({0.58500, 0.08489}, {0.66630, 0.10814}, {0.62639, 0.09342}),   line(0.54793, 0.00233),
        }};
    ArtworkSubpath hole{{0.50000, 0.22535},
                        {
                            curve({0.77911, 0.50811}, {0.65415, 0.22535}, {0.77911, 0.35195}),
                            curve({0.50000, 0.79087}, {0.77911, 0.66427}, {0.65415, 0.79087}),
                            curve({0.22089, 0.50811}, {0.34585, 0.79087}, {0.22089, 0.66427}),
                            curve({0.50000, 0.22535}, {0.22089, 0.35195}, {0.34585, 0.22535}),
                        }};
    ArtworkShape cap;
    cap.subpaths = {std::move(outline), std::move(hole)};
    cap.fillColour = 1;
    cap.miterLimit = 4.0;
    cap.stroke = ArtworkStroke{0, 1.0};

    ArtworkShape pointer;
    pointer.subpaths = {artworkPolygon({{0.50000, 0.02373}, {0.53850, 0.18862}, {0.46150, 0.18862}})};
    pointer.fillColour = 2;
    pointer.miterLimit = 4.0;

    return {{{0.663, 0.518, 0.298, 1}, {0.18, 0.082, 0.09, 1}, {0.925, 0.863, 0.11, 1}},
            ArtworkGroup{0.19539, 0.16, 0.80461, -0.16, 0.32, 0.19708, -0.06, 0.79844, 0.45, -0.51},
            {std::move(cap), std::move(pointer)}};
}

/// The radio ring: an outer and an inner circle, both clockwise on screen, filled even-odd.
ArtworkShape radioRing() {
    ArtworkShape ring;
    ring.subpaths = {
        {{0.50000, 0.00000},
         {
             curve({1.00000, 0.50000}, {0.77596, 0.00000}, {1.00000, 0.22404}),
             curve({0.50000, 1.00000}, {1.00000, 0.77596}, {0.77596, 1.00000}),
             curve({0.00000, 0.50000}, {0.22404, 1.00000}, {0.00000, 0.77596}),
             curve({0.50000, 0.00000}, {0.00000, 0.22404}, {0.22404, 0.00000}),
         }},
        {{0.50000, 0.12500},
         {
             curve({0.87500, 0.50000}, {0.70697, 0.12500}, {0.87500, 0.29303}),
             curve({0.50000, 0.87500}, {0.87500, 0.70697}, {0.70697, 0.87500}),
             curve({0.12500, 0.50000}, {0.29303, 0.87500}, {0.12500, 0.70697}),
             curve({0.50000, 0.12500}, {0.12500, 0.29303}, {0.29303, 0.12500}),
         }},
    };
    ring.windingRule = ArtworkWindingRule::evenOdd;
    return ring;
}

constexpr ArtworkGroup radioGroup{0.0625, 0.5, 0.9375, 0.5, 0, 0.0625, 0.5, 0.9375, 0.5, 0};

ArtworkDrawing radioOff() {
    return {{black}, radioGroup, {radioRing()}};
}

ArtworkDrawing radioOn() {
    ArtworkShape dot;
    dot.kind = ArtworkShapeKind::oval;
    dot.ovalF1 = 0.25;
    dot.ovalF2 = 0.75;
    return {{black}, radioGroup, {dot, radioRing()}};
}

ArtworkDrawing artworkOf(KnobsStyleKitDrawing which) {
    using D = KnobsStyleKitDrawing;
    constexpr ArtworkColour footerTint{0, 0, 0, 0.224};
    switch (which) {
    case D::MixUnderlay:
        return lettered(which, black,
                        {0.28251, -0.2, 0.70351, 0.24, -0.44, 0.00905, 0.35, 0.20792, -0.24, 0.6});
    case D::NeoOverlay:
        return neoOverlay();
    case D::FeedUnderlay:
        return lettered(which, black,
                        {0.23413, 0.21, 0.75412, 0.02, 0.2, 0.04553, 0.31, 0.22448, -0.11, 0.42});
    case D::ToneUnderlay:
        return lettered(which, black,
                        {0.21916, -0.4, 0.74211, 0.34, -0.74, 0.03952, -0.38, 0.22812, -0.27, -0.1});
    case D::OrbitUnderlay:
        return lettered(which, black,
                        {0.2037, 0.17, 0.79513, 0.25, -0.09, -0.00215, -0.23, 0.25631, -0.27, 0.05});
    case D::DoubtUnderlay:
        return lettered(which, black,
                        {0.16196, 0.19, 0.82355, 0.02, 0.17, 0.0168, -0.07, 0.27619, -0.45, 0.38});
    case D::VexityUnderlay:
        return lettered(which, black,
                        {0.13097, 0.35, 0.84677, -0.34, 0.69, 0.01357, 0.28, 0.31051, 0.39, -0.1});
    case D::RadioOff:
        return radioOff();
    case D::RadioOn:
        return radioOn();
    case D::BP:
        return lettered(which, black,
                        {0.10827, -0.43, 0.85227, -0.05, -0.38, 0.13196, 0.26, 0.83996, -0.05, 0.31});
    case D::HP:
        return lettered(which, black,
                        {0.09102, -0.33, 0.85227, -0.05, -0.28, 0.12221, 0.26, 0.83996, 0.32, -0.06});
    case D::LP:
        return lettered(which, black,
                        {0.1629, 0.07, 0.77415, -0.05, 0.12, 0.09521, 0.26, 0.83996, -0.41, 0.66});
    case D::Mute:
        return lettered(which, black,
                        {0.07769, -0.44, 0.9072, 0.38, -0.82, 0.19506, -0.07, 0.74106, -0.02, -0.06});
    case D::Fail:
        return lettered(which, black,
                        {0.07347, 0.1, 0.68697, -0.43, 0.53, 0.14642, -0.04, 0.78842, -0.13, 0.09});
    case D::Bypass:
        return lettered(which, black,
                        {0.02576, 0.38, 0.96236, -0.48, 0.86, 0.17183, -0.42, 0.89183, 0.5, -0.92});
    case D::MasterUnderlay:
        return lettered(which, black,
                        {0.12141, -0.21, 0.87513, 0.45, -0.66, 0.02501, 0.09, 0.32109, -0.5, 0.59});
    case D::QuorFooter:
        return lettered(which, footerTint,
                        {0.04395, -0.38, 0.96176, 0.18, -0.56, 0.30077, 0.34, 0.78002, 0, 0.34});
    case D::NeoUnderlay:
        return {}; // draws nothing
    }
    return {};
}

} // namespace

std::string_view knobsStyleKitDrawingName(KnobsStyleKitDrawing which) {
    return names[static_cast<std::size_t>(which)];
}

std::optional<KnobsStyleKitDrawing> knobsStyleKitDrawingNamed(std::string_view name) {
    for (KnobsStyleKitDrawing which : allKnobsStyleKitDrawings) {
        if (knobsStyleKitDrawingName(which) == name) {
            return which;
        }
    }
    return std::nullopt;
}

const ArtworkDrawing& knobsStyleKitArtwork(KnobsStyleKitDrawing which) {
    static const std::array<ArtworkDrawing, knobsStyleKitDrawingCount> artwork = [] {
        std::array<ArtworkDrawing, knobsStyleKitDrawingCount> all;
        for (KnobsStyleKitDrawing d : allKnobsStyleKitDrawings) {
            all[static_cast<std::size_t>(d)] = artworkOf(d);
        }
        return all;
    }();
    return artwork[static_cast<std::size_t>(which)];
}

} // namespace quorbel
