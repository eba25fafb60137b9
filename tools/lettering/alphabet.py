"""The woodcut alphabet: one set of straight-edged lowercase letters for the knob faces, the button
captions and the footer wordmark.

Each glyph is drawn upright in design units (about a thousandth of a knob face's size), y growing
downward. Its first subpath is the outline, wound clockwise on screen. Then come the pieces that give
the cut look:
  counter   the hole of a bowl, inside the outline, wound the other way (so the fill leaves it open);
  slit      a thin white cut inside a stroke, wound the other way;
  splinter  a thin black chip outside the outline or inside a counter, wound clockwise (so it is filled).
A piece is either a list of corners or an Along: a sliver laid beside one edge of the outline (or of the
counter), which keeps it clear of that edge however the edge is moved. The generator winds every piece
the way its kind requires, keeping its first corner.

`size` is the glyph's box (ink of all pieces) in knob units; the generator scales the design to it. A
glyph shown on a caption takes its size from that caption's box instead. `baseline`, the design y the
letter stands on, is the bottom of the outline unless given (letters with descenders).

The m and the l are not drawn in design units: their outlines are fixed where they are given, the m's
on the mix face and the l's on the lp caption, in those drawings' group fractions, and so are the
pieces marked Given; the m's other pieces are in design units about the upright outline's box.
"""


class Along:
    """A sliver beside edge `edge` (corner edge to corner edge + 1) of subpath `ref`, from t0 to t1 of
    the edge's length, `gap` design units away from it and `thick` units across at its wide end (the
    t0 end). Splinters lie on the side away from the ink (outside the outline, inside a counter), slits
    on the ink side. `corners` is 3 (a wedge tapering to the t1 end) or 4 (a narrow quadrilateral)."""

    def __init__(self, edge, t0, t1, gap, thick, corners=3, ref=0):
        self.edge, self.t0, self.t1, self.gap, self.thick = edge, t0, t1, gap, thick
        self.corners, self.ref = corners, ref


class Given(list):
    """Corners given in the group fractions of a fixed glyph's drawing, like its outline."""


class Glyph:
    """One glyph of the alphabet as drawn."""

    def __init__(self, outline, pieces, baseline=None, size=None, source=None):
        self.outline = outline
        self.pieces = pieces  # [(kind, corners or Along)]
        self.baseline = baseline
        self.size = size
        self.source = source  # drawing whose group fractions the points are given in (m, l)


def O(*corners):  # noqa: E743 -- a short name keeps the corner lists readable
    return list(corners)


GLYPHS = {}
A = Along

# The m: outline fixed on the mix face, where it is turned -20 degrees.
GLYPHS["m"] = Glyph(
    source=("MixUnderlay", -20.0),
    outline=O((0.06797, 0.41418), (0.08853, 0.5154), (0.09582, 0.39654), (0.15922, 0.35113),
              (0.18875, 0.42275), (0.19826, 0.34173), (0.25769, 0.28524), (0.3286, 0.37243),
              (0.39445, 0.78444), (0.32945, 0.85071), (0.27623, 0.43546), (0.22265, 0.47035),
              (0.28451, 0.85739), (0.22786, 0.91072), (0.16056, 0.51714), (0.10567, 0.55067),
              (0.18019, 0.94834), (0.11779, 1.0), (0.06536, 0.57606), (0.01899, 0.60464),
              (0.0, 0.47214)),
    pieces=[
        ("slit", A(17, 0.05, 0.9, 6, 4, 4)),
        ("slit", A(13, 0.05, 0.9, 6, 4, 4)),
        ("slit", A(7, 0.1, 0.9, 6, 4, 4)),
        ("slit", A(20, 0.1, 0.9, 4, 3)),
        ("slit", A(2, 0.1, 0.9, 4, 3)),
        ("slit", A(5, 0.1, 0.9, 4, 3)),
        ("splinter", A(0, 0.1, 0.75, 1, 2.5)),
        ("splinter", A(3, 0.2, 0.85, 1, 2.5)),
        ("splinter", Given([(0.21203, 0.31602), (0.24930, 0.26799), (0.24797, 0.28245)])),
        ("splinter", A(6, 0.75, 0.2, 1.5, 4.5)),
        ("splinter", Given([(0.39895, 0.79800), (0.36950, 0.82024), (0.38407, 0.80206)])),
        ("splinter", A(15, 0.1, 0.8, 3, 4)),
        ("splinter", A(11, 0.1, 0.8, 3, 4)),
    ],
)

# The l: fixed on the lp caption, every piece given there.
GLYPHS["l"] = Glyph(
    source=("LP", 0.0),
    outline=O((0.32147, 0.04028), (0.32147, 0.83686), (0.11411, 0.84290), (0.14356, 0.19637),
              (0.00000, 0.20745), (0.01472, 0.05237)),
    pieces=[
        ("splinter", Given([(0.12147, 0.21249), (0.10061, 0.63343), (0.08466, 0.21551)])),
        ("slit", Given([(0.14110, 0.81672), (0.16074, 0.79355), (0.16074, 0.29708)])),
        ("slit", Given([(0.05890, 0.09668), (0.28712, 0.05740), (0.03436, 0.07150), (0.02454, 0.18328)])),
        ("splinter", Given([(0.28466, 0.02014), (0.02209, 0.03223), (0.02209, 0.00000)])),
    ],
)

GLYPHS["o"] = Glyph(
    size=(92.5, 125),
    outline=O((22, 0), (75, 0), (93, 27), (92, 98), (67, 122), (18, 122), (0, 96), (3, 26)),
    pieces=[
        ("counter", O((32, 30), (30, 94), (46, 100), (62, 94), (64, 30))),
        ("slit", A(6, 0.15, 0.80, 6, 4)),
        ("slit", A(2, 0.20, 0.85, 6, 4)),
        ("slit", A(4, 0.10, 0.70, 5, 3.5)),
        ("splinter", A(0, 0.10, 0.80, 3, 5.8)),
        ("splinter", A(6, 0.60, 0.05, 3, 5)),
        ("splinter", A(0, 0.10, 0.70, 2, 4, ref=1)),
        ("splinter", A(3, 0.11, 0.81, 3.5, 5)),
    ],
)

GLYPHS["e"] = Glyph(
    outline=O((4, -1), (66, 0), (81, 8), (81, 60), (28, 60), (28, 92), (83, 90), (81, 106), (69, 121),
              (2, 118), (0, 12)),
    pieces=[
        ("counter", O((25, 19), (25, 40), (61, 40), (61, 18), (43, 15))),
        ("slit", A(9, 0.10, 0.80, 6, 3.5)),
        ("slit", A(0, 0.25, 0.90, 4, 3)),
        ("slit", A(8, 0.10, 0.80, 5, 3)),
        ("slit", A(2, 0.15, 0.80, 5, 3)),
        ("splinter", A(3, 0.05, 0.50, 2.5, 4)),
        ("splinter", A(5, 0.45, 0.95, 2.5, 4)),
        ("splinter", A(1, 0.10, 0.90, 2, 3.5, ref=1)),
        ("splinter", A(10, 0.10, 0.90, 1.5, 3)),
        ("splinter", A(7, 0.10, 0.90, 1.5, 3)),
    ],
)

GLYPHS["a"] = Glyph(
    outline=O((6, 8), (50, 0), (60, 10), (70, 2), (80, 6), (92, 24), (90, 108), (97, 118), (72, 124),
              (64, 114), (40, 126), (6, 122), (0, 92), (8, 66), (60, 54), (62, 30), (46, 24), (28, 34)),
    pieces=[
        ("counter", O((30, 80), (26, 100), (44, 106), (62, 98), (62, 76))),
        ("slit", A(5, 0.15, 0.80, 6, 4, 4)),
        ("slit", A(0, 0.30, 0.95, 5, 3.5)),
        ("slit", A(12, 0.00, 0.90, 5, 3.5)),
        ("slit", A(10, 0.10, 0.80, 4, 3)),
        ("slit", A(4, 0.20, 0.90, 4, 3, ref=1)),
        ("splinter", A(0, 0.90, 0.30, 3, 6)),
        ("splinter", A(1, 0.10, 0.80, 2, 4, ref=1)),
        ("splinter", A(5, 0.30, 0.90, 3, 5)),
        ("splinter", A(16, 0.00, 0.80, 3, 4)),
        ("splinter", A(10, 0.80, 0.20, 3, 5)),
    ],
)

GLYPHS["b"] = Glyph(
    outline=O((5, 20), (23, 4), (36, 60), (58, 48), (66, 56), (84, 52), (96, 73), (89, 146), (88, 166),
              (46, 174), (28, 164), (10, 178), (13, 28), (5, 33)),
    pieces=[
        ("counter", O((36, 84), (34, 146), (52, 152), (70, 146), (72, 82), (56, 72))),
        ("slit", A(11, 0.10, 0.85, 6, 4)),
        ("slit", A(6, 0.10, 0.85, 6, 4)),
        ("slit", A(8, 0.10, 0.90, 4, 3)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("slit", A(5, 0.00, 0.90, 4, 3, ref=1)),
        ("splinter", A(0, 0.92, 0.20, 4.1, 6.3)),
        ("splinter", A(11, 0.85, 0.35, 3, 5)),
        ("splinter", A(6, 0.69, 0.10, 3, 4.4)),
        ("splinter", A(0, 0.15, 0.85, 2, 4, ref=1)),
        ("splinter", A(3, 0.20, 0.80, 2, 3.5, ref=1)),
        ("splinter", A(8, 0.19, 0.76, 3.8, 4.3)),
    ],
)

GLYPHS["d"] = Glyph(
    size=(96.3, 173.8),
    outline=O((48, -4), (94, -1), (94, 150), (106, 174), (75, 174), (66, 162), (40, 178), (5, 163), (9, 145),
              (4, 78), (16, 56), (40, 50), (50, 58), (68, 54), (71, 20), (50, 16)),
    pieces=[
        ("counter", O((28, 82), (26, 144), (42, 150), (64, 146), (64, 80), (48, 74))),
        ("slit", A(1, 0.10, 0.50, 6, 4)),
        ("slit", A(1, 0.55, 0.90, 6, 3.5)),
        ("slit", A(8, 0.05, 0.85, 5, 4)),
        ("slit", A(6, 0.00, 0.80, 4, 3)),
        ("slit", A(10, 0.10, 0.90, 4, 3)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("splinter", A(14, 0.90, 0.15, 2.5, 4.5)),
        ("splinter", A(13, 0.00, 0.90, 3, 4)),
        ("splinter", A(8, 0.29, 0.90, 2.5, 3.5)),
        ("splinter", A(0, 0.20, 0.80, 2, 4, ref=1)),
        ("splinter", A(1, 0.30, 0.80, 3, 5)),
    ],
)

GLYPHS["p"] = Glyph(
    baseline=122,
    outline=O((0, 8), (30, 0), (32, 12), (56, 2), (80, 6), (95, 28), (93, 100), (76, 122), (36, 124),
              (38, 150), (46, 156), (4, 156), (10, 30), (0, 32)),
    pieces=[
        ("counter", O((34, 30), (34, 100), (50, 106), (68, 98), (70, 32), (52, 24))),
        ("slit", A(11, 0.05, 0.9, 6, 4)),
        ("slit", A(5, 0.1, 0.85, 6, 4)),
        ("slit", A(3, 0.0, 1.0, 4, 3)),
        ("slit", A(7, 0.05, 0.8, 4, 3)),
        ("slit", A(0, 0.1, 0.9, 4, 3)),
        ("splinter", A(0, 0.95, 0.2, 3, 6)),
        ("splinter", A(5, 0.8, 0.2, 3, 5)),
        ("splinter", A(3, 0.15, 0.85, 2, 4, ref=1)),
        ("splinter", A(7, 0.3, 0.9, 3, 4)),
    ],
)

GLYPHS["q"] = Glyph(
    size=(95, 156), baseline=122,
    outline=O((20, 4), (44, 0), (62, 10), (66, 2), (95, 6), (88, 30), (86, 148), (92, 156), (50, 156),
              (58, 148), (58, 120), (22, 124), (2, 104), (0, 30)),
    pieces=[
        ("counter", O((28, 34), (26, 94), (42, 102), (58, 96), (58, 28), (44, 24))),
        ("slit", A(5, 0.05, 0.5, 6, 4)),
        ("slit", A(5, 0.55, 0.95, 6, 3.5)),
        ("slit", A(12, 0.05, 0.9, 5, 4)),
        ("slit", A(0, 0.1, 0.9, 4, 3)),
        ("slit", A(10, 0.1, 0.9, 4, 3)),
        ("splinter", A(1, 0.1, 0.9, 3, 5)),
        ("splinter", A(12, 0.3, 0.85, 3, 5)),
        ("splinter", A(0, 0.2, 0.8, 2, 4, ref=1)),
        ("splinter", A(5, 0.9, 0.3, 3, 5)),
    ],
)

GLYPHS["f"] = Glyph(
    outline=O((13, 14), (34, -1), (61, 6), (64, 16), (42, 18), (40, 50), (62, 50), (60, 70), (42, 70),
              (46, 164), (54, 172), (4, 163), (12, 69), (-3, 71), (0, 43)),
    pieces=[
        ("slit", A(11, 0.10, 0.90, 6, 4, 4)),
        ("slit", A(8, 0.10, 0.80, 5, 3.5)),
        ("slit", A(5, 0.00, 0.90, 4, 3)),
        ("slit", A(1, 0.00, 0.90, 4, 3, 4)),
        ("splinter", A(1, 0.90, 0.10, 3, 5.9)),
        ("splinter", A(11, 0.80, 0.20, 3, 5)),
        ("splinter", A(4, 0.10, 0.90, 3, 4)),
    ],
)

GLYPHS["h"] = Glyph(
    outline=O((0, 10), (34, 2), (36, 66), (60, 52), (104, 70), (100, 172), (72, 174), (74, 86), (54, 80),
              (38, 90), (40, 172), (8, 175), (12, 30), (0, 34)),
    pieces=[
        ("slit", A(11, 0.05, 0.85, 6, 4, 4)),
        ("slit", A(4, 0.15, 0.9, 6, 4, 4)),
        ("slit", A(3, 0.1, 0.9, 4, 3)),
        ("slit", A(0, 0.1, 0.9, 4, 3)),
        ("splinter", A(0, 0.95, 0.2, 3, 6)),
        ("splinter", A(4, 0.8, 0.3, 3, 5)),
        ("splinter", A(7, 0.1, 0.9, 3, 4)),
        ("splinter", A(11, 0.9, 0.4, 3, 5)),
    ],
)

GLYPHS["i"] = Glyph(
    outline=O((8, 56), (50, 51), (53, 144), (56, 159), (44, 169), (30, 156), (5, 165), (14, 84), (1, 92),
              (2, 62)),
    pieces=[
        ("splinter", O((14, 0), (46, 4), (44, 34), (12, 30))),
        ("slit", O((19, 9), (40, 12), (39, 15), (18, 12))),
        ("slit", A(6, 0.05, 0.90, 6, 4, 4)),
        ("slit", A(1, 0.10, 0.85, 6, 4, 4)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("splinter", A(1, 0.80, 0.20, 3, 5)),
        ("splinter", A(6, 0.90, 0.40, 3, 5)),
        ("splinter", A(3, 0.00, 0.90, 3, 4)),
    ],
)

GLYPHS["n"] = Glyph(
    size=(102.5, 135.9),
    outline=O((7, 14), (25, -4), (36, 16), (60, 0), (84, 5), (107, 27), (99, 119), (68, 126), (70, 34),
              (54, 30), (39, 42), (38, 126), (11, 122), (15, 34)),
    pieces=[
        ("slit", A(12, 0.05, 0.85, 6, 4, 4)),
        ("slit", A(5, 0.10, 0.85, 6, 4, 4)),
        ("slit", A(3, 0.00, 0.90, 4, 3)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("splinter", A(0, 0.95, 0.20, 3, 6)),
        ("splinter", A(3, 0.90, 0.10, 3, 5)),
        ("splinter", A(5, 0.80, 0.20, 3, 5)),
        ("splinter", A(8, 0.10, 0.90, 3, 4)),
        ("splinter", A(12, 0.90, 0.40, 3, 5)),
    ],
)

GLYPHS["r"] = Glyph(
    size=(82, 124),
    outline=O((-2, 8), (30, 2), (50, 0), (82, 4), (78, 30), (54, 26), (34, 42), (39, 121), (4, 124), (8, 34),
              (0, 34)),
    pieces=[
        ("slit", A(8, 0.05, 0.85, 6, 4, 4)),
        ("slit", A(6, 0.10, 0.85, 5, 3.5, 4)),
        ("slit", A(2, 0.00, 0.90, 4, 3)),
        ("splinter", A(1, 0.00, 0.90, 3, 6)),
        ("splinter", A(2, 0.90, 0.20, 3, 5)),
        ("splinter", A(5, 0.10, 0.90, 3, 4)),
        ("splinter", A(8, 0.90, 0.40, 3, 5)),
    ],
)

GLYPHS["s"] = Glyph(
    outline=O((10, 4), (66, 0), (72, 30), (50, 26), (30, 30), (75, 62), (74, 100), (60, 117), (2, 114),
              (0, 88), (44, 91), (44, 72), (0, 40), (2, 18)),
    pieces=[
        ("slit", A(0, 0.10, 0.90, 5, 3.5)),
        ("slit", A(4, 0.10, 0.85, 6, 4, 4)),
        ("slit", A(7, 0.10, 0.90, 5, 4, 4)),
        ("splinter", A(0, 0.90, 0.20, 3, 6)),
        ("splinter", A(2, 0.00, 0.80, 3, 4)),
        ("splinter", A(11, 0.10, 0.70, 3, 4)),
        ("splinter", A(7, 0.80, 0.20, 3, 5)),
    ],
)

GLYPHS["t"] = Glyph(
    outline=O((12, -7), (33, 2), (37, 48), (73, 62), (79, 83), (42, 72), (44, 124), (56, 132), (82, 112),
              (83, 145), (63, 156), (22, 152), (18, 72), (4, 70), (4, 50)),
    pieces=[
        ("slit", O((24, 80), (28, 82), (31, 104), (34, 140), (30, 140), (27, 104))),
        ("slit", A(2, 0.10, 0.85, 5, 3)),
        ("slit", A(14, 0.20, 0.85, 5, 3)),
        ("slit", A(5, 0.10, 0.80, 5, 3.5, 4)),
        ("slit", A(9, 0.10, 0.90, 4, 3, 4)),
        ("splinter", A(0, 0.90, 0.20, 1.9, 5)),
        ("splinter", A(4, 0.10, 0.80, 2.5, 4)),
        ("splinter", A(11, 0.90, 0.30, 2.5, 4)),
    ],
)

GLYPHS["u"] = Glyph(
    outline=O((0, 8), (34, 2), (36, 96), (52, 102), (70, 92), (68, 14), (58, 12), (94, 2), (96, 104),
              (108, 114), (84, 122), (76, 112), (44, 122), (16, 112), (10, 30), (0, 32)),
    pieces=[
        ("slit", A(13, 0.05, 0.90, 6, 4, 4)),
        ("slit", A(7, 0.10, 0.85, 6, 4, 4)),
        ("slit", A(12, 0.00, 0.90, 4, 3, 4)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("slit", A(6, 0.40, 0.95, 4, 3)),
        ("splinter", A(0, 0.95, 0.20, 3, 6)),
        ("splinter", A(6, 0.95, 0.30, 3, 5)),
        ("splinter", A(1, 0.10, 0.80, 3, 4)),
        ("splinter", A(7, 0.80, 0.30, 3, 5)),
        ("splinter", A(12, 0.80, 0.20, 3, 5)),
    ],
)

GLYPHS["v"] = Glyph(
    size=(104.7, 123),
    outline=O((0, 6), (38, 2), (56, 78), (70, 6), (102, 2), (100, 18), (65, 120), (40, 122), (6, 22)),
    pieces=[
        ("slit", A(7, 0.10, 0.85, 6, 4, 4)),
        ("slit", A(5, 0.10, 0.85, 6, 4, 4)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("splinter", A(0, 0.90, 0.10, 2.9, 6)),
        ("splinter", A(1, 0.10, 0.70, 3, 4)),
        ("splinter", A(5, 0.60, 0.10, 3, 5)),
    ],
)

GLYPHS["x"] = Glyph(
    size=(89.8, 122.3),
    outline=O((-3, 1), (38, 2), (51, 34), (64, 2), (103, 2), (64, 54), (103, 105), (63, 109), (48, 77),
              (32, 106), (1, 103), (32, 54), (17, 30), (2, 19)),
    pieces=[
        ("slit", A(1, 0.00, 0.90, 5, 3)),
        ("slit", A(5, 0.10, 0.90, 5, 3.5, 4)),
        ("slit", A(3, 0.10, 0.90, 4, 3)),
        ("slit", A(9, 0.10, 0.90, 4, 3)),
        ("splinter", A(0, 0.90, 0.10, 2.9, 4.7)),
        ("splinter", A(2, 0.20, 0.90, 3, 4)),
        ("splinter", A(7, 0.10, 0.80, 3, 4)),
        ("splinter", A(10, 0.20, 0.90, 3, 4)),
    ],
)

GLYPHS["y"] = Glyph(
    baseline=122,
    outline=O((0, 1), (34, 1), (60, 74), (68, 6), (84, 0), (104, 4), (98, 22), (94, 136), (80, 156),
              (46, 158), (15, 154), (14, 136), (36, 140), (58, 128), (54, 108), (8, 22)),
    pieces=[
        ("slit", A(14, 0.15, 0.85, 6, 3.5, 4)),
        ("slit", A(6, 0.05, 0.50, 6, 4, 4)),
        ("slit", A(6, 0.55, 0.95, 6, 3.5, 4)),
        ("slit", A(0, 0.10, 0.90, 4, 3)),
        ("slit", A(4, 0.00, 0.90, 4, 3)),
        ("slit", A(9, 0.00, 0.90, 4, 3)),
        ("splinter", A(0, 0.90, 0.20, 2, 5)),
        ("splinter", A(1, 0.10, 0.70, 2.5, 4)),
        ("splinter", A(6, 0.50, 0.10, 2.5, 5)),
        ("splinter", A(12, 0.10, 0.80, 2.5, 4)),
        ("splinter", A(14, 0.80, 0.30, 2.5, 5)),
    ],
)
