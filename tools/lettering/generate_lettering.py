#!/usr/bin/env python3
"""Lettering generator: turns the woodcut alphabet (alphabet.py) and the placement tables (placement.py)
into the letter shapes of the style kit's lettered drawings, written as C++ source.

    generate_lettering.py [--output FILE]   write the source (default: stdout)
    generate_lettering.py --report          print each letter's turn, box, box deviation and, on the
                                            knob faces, its nearest and farthest distance from the centre

Knob faces: every occurrence of a glyph is the same outline turned and shifted, never scaled, so that
its box meets the table's; the turn is searched near the table's angle, at the same offset from it for
every occurrence of the glyph to within a band, and the letter may then move a little away from or
toward the face's centre, so that its innermost and outermost points fall on the face's circles.
Captions and the footer set the glyph upright, scaled uniformly. A letter whose table box reaches 0 or 1
is pinned there, so that each drawing's points reach exactly 0 and 1 on both axes; the others are
centred on their box (face letters before that move). The m and the l stand exactly where
their outlines are given. Points are written as group fractions with 5 decimals.

The output depends only on the tables and on IEEE double arithmetic, so every machine writes the same
file; the test lettering_generated_source checks the committed one against it.
"""

import argparse
import math
import os
import sys

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from alphabet import GLYPHS, Along, Given  # noqa: E402
import placement  # noqa: E402

# A face letter's upright axis stays within 7 degrees of the radius through its box centre (the f's
# within 10), and two occurrences of a glyph differ in turn from the difference of their table angles
# by less than 3 degrees; both with a margin for the rounding of the points.
TURN_LIMIT = 6.8
TURN_LIMIT_F = 9.8
TURN_BAND = 2.8
TURN_STEP = 0.1

# The distance of a face letter's innermost and outermost point from the frame centre, in frame units:
# every letter stands on one circle (the n a little nearer, the descender of the y reaching further in),
# and the ascenders and the dot of the i reach further out than the rest. A letter may move by up to
# SHIFT_LIMIT of the frame from the centre of its box to get there.
INNER = {None: (0.327, 0.332), "n": (0.321, 0.325), "y": (0.290, 0.294)}
OUTER = (0.448, 0.461)
OUTER_ASCENDING = (0.486, 0.505)
ASCENDING = "bdfit"
SHIFT_LIMIT = 0.006
SHIFT_STEP = 0.0005
# Kept clear of the ends of the ranges, for the rounding of the points.
RADIUS_MARGIN = 0.0003
# A face letter's box stays within this much (group fractions) of the table's.
BOX_LIMIT = 0.015

OUTPUT_PATH = "stylekit/generated/LetteringData.cpp"


# ----------------------------------------------------------------------------------------------------
# Plane geometry, y downward: a positive signed area is a clockwise turn on screen.

def signed_area(points):
    total = 0.0
    for i, (x0, y0) in enumerate(points):
        x1, y1 = points[(i + 1) % len(points)]
        total += x0 * y1 - x1 * y0
    return total / 2.0


def turn(points, degrees):
    """The points turned about the origin, clockwise on screen for positive degrees."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return [(x * c - y * s, x * s + y * c) for x, y in points]


def bounds(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return min(xs), max(xs), min(ys), max(ys)


def inside(point, polygon):
    """Even-odd point-in-polygon test."""
    x, y = point
    result = False
    for i, (x0, y0) in enumerate(polygon):
        x1, y1 = polygon[(i + 1) % len(polygon)]
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            result = not result
    return result


def winding(point, polygon):
    """Winding number of a simple polygon about a point: +1 inside a clockwise one, -1 inside a
    counter-clockwise one, 0 outside."""
    if not inside(point, polygon):
        return 0
    return 1 if signed_area(polygon) > 0 else -1


def segments_cross(p, q, r, s):
    def orient(a, b, c):
        return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])

    return orient(r, s, p) * orient(r, s, q) < 0 and orient(p, q, r) * orient(p, q, s) < 0


def polygons_cross(a, b):
    return any(segments_cross(a[i], a[(i + 1) % len(a)], b[j], b[(j + 1) % len(b)])
               for i in range(len(a)) for j in range(len(b)))


def wound(points, clockwise):
    """The corners in the winding order asked for, from the same first corner."""
    if (signed_area(points) > 0) == clockwise:
        return list(points)
    return [points[0]] + list(reversed(points[1:]))


# ----------------------------------------------------------------------------------------------------
# Drawings and their units. A knob face's unit is its frame's size; a caption's and the footer's the
# frame's height, with x counted in heights too (their frames are `aspect` heights wide).

def drawing_named(name):
    for drawing in placement.DRAWINGS:
        if drawing.name == name:
            return drawing
    raise KeyError(name)


def aspect_of(drawing):
    return 1.0 if drawing.kind == "knob" else drawing.aspect


def to_units(drawing, fractions):
    a = aspect_of(drawing)
    return [((drawing.fL + (drawing.fR - drawing.fL) * fx) * a, drawing.fT + (drawing.fB - drawing.fT) * fy)
            for fx, fy in fractions]


def to_fractions(drawing, units):
    a = aspect_of(drawing)
    return [((x / a - drawing.fL) / (drawing.fR - drawing.fL), (y - drawing.fT) / (drawing.fB - drawing.fT))
            for x, y in units]


def unit_scale(drawing):
    """Drawing units per knob unit of a caption; a knob face's are knob units."""
    return 1.0 if drawing.kind == "knob" else placement.CAPTION_SCALE


# ----------------------------------------------------------------------------------------------------
# Glyphs: their subpaths in knob units, upright, y downward.

class Glyph:
    def __init__(self, letter, subpaths, baseline, home=None):
        self.letter = letter
        self.subpaths = subpaths  # [(kind, corners)], the outline first
        self.baseline = baseline  # y the letter stands on
        self.home = home  # for the m and the l: (drawing, turn, shift) putting them where they are given

    def points(self):
        return [p for _, corners in self.subpaths for p in corners]


def resolve_along(piece, kind, refs):
    """The corners of an Along piece beside an edge of the outline or of a counter."""
    ref = refs[piece.ref]
    (x0, y0), (x1, y1) = ref[piece.edge], ref[(piece.edge + 1) % len(ref)]
    length = math.hypot(x1 - x0, y1 - y0)
    # (dy, -dx) leaves a clockwise polygon. Splinters go outside the outline or into a counter, slits
    # into the ink: inside the outline or outside a counter.
    side = 1.0 if signed_area(ref) > 0 else -1.0
    if (kind == "splinter") != (piece.ref == 0):
        side = -side
    nx, ny = side * (y1 - y0) / length, -side * (x1 - x0) / length

    def at(t, offset):
        return (x0 + (x1 - x0) * t + nx * offset, y0 + (y1 - y0) * t + ny * offset)

    span = piece.t1 - piece.t0
    if piece.corners == 3:
        return [at(piece.t0, piece.gap), at(piece.t1, piece.gap),
                at(piece.t0 + 0.08 * span, piece.gap + piece.thick)]
    return [at(piece.t0, piece.gap), at(piece.t1, piece.gap),
            at(piece.t1 - 0.2 * span, piece.gap + 0.55 * piece.thick),
            at(piece.t0 + 0.1 * span, piece.gap + piece.thick)]


def caption_size(letter):
    """The box (knob units) of the letter on the first caption showing it, or None."""
    for drawing in placement.DRAWINGS:
        for row in drawing.letters:
            if drawing.kind == "caption" and row[0] == letter:
                (x0, y0), (x1, y1) = to_units(drawing, [(row[1], row[3]), (row[2], row[4])])
                return (x1 - x0) / placement.CAPTION_SCALE, (y1 - y0) / placement.CAPTION_SCALE
    return None


def build_glyph(letter):
    glyph = GLYPHS[letter]
    home = None
    if glyph.source:
        # Given in a drawing's fractions: turned upright and scaled to knob units, its outline's box
        # corner moved to the origin (the home shift puts it back).
        drawing, degrees = drawing_named(glyph.source[0]), glyph.source[1]
        scale = unit_scale(drawing)

        def design(fractions):
            return [(x * 1000.0 / scale, y * 1000.0 / scale)
                    for x, y in turn(to_units(drawing, fractions), -degrees)]

        ox, _, oy, _ = bounds(design(glyph.outline))
        shift = turn([(ox / 1000.0 * scale, oy / 1000.0 * scale)], degrees)[0]
        home = (drawing.name, degrees, shift)

        def given(fractions):
            return [(x - ox, y - oy) for x, y in design(fractions)]

        outline = given(glyph.outline)
    else:
        outline = list(glyph.outline)

    refs = [outline]
    subpaths = [("outline", outline)]
    for kind, piece in glyph.pieces:
        if isinstance(piece, Along):
            corners = resolve_along(piece, kind, refs)
        elif isinstance(piece, Given):
            corners = given(piece)
        else:
            corners = list(piece)
        if kind == "counter":
            refs.append(corners)
        subpaths.append((kind, corners))

    baseline = glyph.baseline if glyph.baseline is not None else bounds(outline)[3]
    if glyph.source:
        # A given glyph keeps its size: design units are thousandths of a knob.
        sx = sy = 1.0 / 1000.0
        x0 = y0 = 0.0
    else:
        # A designed glyph is scaled to its box: the one its caption shows, else its own size.
        x0, x1, y0, y1 = bounds([p for _, c in subpaths for p in c])
        width, height = caption_size(letter) or (glyph.size[0] / 1000.0, glyph.size[1] / 1000.0)
        sx, sy = width / (x1 - x0), height / (y1 - y0)
    subpaths = [(kind, wound([((x - x0) * sx, (y - y0) * sy) for x, y in corners],
                             kind in ("outline", "splinter")))
                for kind, corners in subpaths]
    return Glyph(letter, subpaths, (baseline - y0) * sy, home)


def check_glyph(glyph):
    """Problems with a glyph's pieces: a wrong winding, pieces crossing, or a piece in the wrong place
    (counters and slits on the ink, splinters off it), so that the non-zero and the even-odd fill give
    the same picture."""
    problems = []
    for i, (kind, corners) in enumerate(glyph.subpaths):
        where = f"{glyph.letter}: subpath {i + 1} ({kind})"
        if (signed_area(corners) > 0) != (kind in ("outline", "splinter")):
            problems.append(f"{where} wound the wrong way")
        for j, (_, other) in enumerate(glyph.subpaths[:i]):
            if polygons_cross(corners, other):
                problems.append(f"{where} crosses subpath {j + 1}")
        if kind == "outline":
            continue
        wanted = 0 if kind == "splinter" else 1
        for p in corners:
            if sum(winding(p, other) for j, (_, other) in enumerate(glyph.subpaths) if j != i) != wanted:
                problems.append(f"{where} lies {'on' if wanted == 0 else 'off'} the ink")
                break
    return problems


# ----------------------------------------------------------------------------------------------------
# Placement.

class Placed:
    def __init__(self, letter, subpaths, degrees, deviation):
        self.letter = letter
        self.subpaths = subpaths  # [(kind, [(fx, fy)])], unrounded
        self.turn = degrees
        self.deviation = deviation  # largest distance of a box edge from the table's, in fractions


def fit_shift(lo, hi, target_lo, target_hi):
    """Shift putting [lo, hi] on [target_lo, target_hi]: pinned to an edge at 0 or 1, else centred."""
    if target_lo == 0.0:
        return -lo
    if target_hi == 1.0:
        return 1.0 - hi
    return (target_lo + target_hi - lo - hi) / 2.0


def box_deviation(box, row):
    return max(abs(box[0] - row[1]), abs(box[1] - row[2]), abs(box[2] - row[3]), abs(box[3] - row[4]))


def transformed(drawing, corners, degrees, scale, shift=(0.0, 0.0)):
    units = [(x * scale + shift[0], y * scale + shift[1]) for x, y in turn(corners, degrees)]
    return to_fractions(drawing, units)


def place(drawing, glyph, row, scale, degrees=0.0, shift=(0.0, 0.0)):
    """The glyph turned and scaled into the drawing, shifted so that its box meets the row's, then moved
    by `shift` (frame units; a face letter's radial shift)."""
    if glyph.home and glyph.home[0] == drawing.name:
        subpaths = [(k, transformed(drawing, c, glyph.home[1], scale, glyph.home[2])) for k, c in glyph.subpaths]
        return Placed(glyph.letter, subpaths, glyph.home[1],
                      box_deviation(bounds([p for _, c in subpaths for p in c]), row))
    subpaths = [(k, transformed(drawing, c, degrees, scale)) for k, c in glyph.subpaths]
    x0, x1, y0, y1 = bounds([p for _, c in subpaths for p in c])
    sx = fit_shift(x0, x1, row[1], row[2]) + shift[0] / (drawing.fR - drawing.fL)
    sy = fit_shift(y0, y1, row[3], row[4]) + shift[1] / (drawing.fB - drawing.fT)
    subpaths = [(k, [(x + sx, y + sy) for x, y in c]) for k, c in subpaths]
    return Placed(glyph.letter, subpaths, degrees, box_deviation((x0 + sx, x1 + sx, y0 + sy, y1 + sy), row))


def face_fit(drawing, glyph, row, degrees):
    """The best placement of a face letter turned by `degrees`: its box met as fit_shift meets it, then
    moved along its free direction (away from the centre where no edge is pinned, else along the axis
    that is not pinned) by at most SHIFT_LIMIT of the frame, so that its innermost and outermost points
    fall in the letter's radial ranges. Returns (cost, box deviation, shift in frame units)."""
    fw, fh = drawing.fR - drawing.fL, drawing.fB - drawing.fT
    units = turn(glyph.points(), degrees)
    x0, x1, y0, y1 = bounds(units)
    sx = drawing.fL + fw * fit_shift(x0 / fw, x1 / fw, row[1], row[2])
    sy = drawing.fT + fh * fit_shift(y0 / fh, y1 / fh, row[3], row[4])
    pinned_x, pinned_y = row[1] == 0.0 or row[2] == 1.0, row[3] == 0.0 or row[4] == 1.0
    if pinned_x and pinned_y:
        direction = (0.0, 0.0)
    elif pinned_x:
        direction = (0.0, 1.0 if (y0 + y1) / 2 + sy > 0.5 else -1.0)
    elif pinned_y:
        direction = (1.0 if (x0 + x1) / 2 + sx > 0.5 else -1.0, 0.0)
    else:
        cx, cy = (x0 + x1) / 2 + sx - 0.5, (y0 + y1) / 2 + sy - 0.5
        length = math.hypot(cx, cy)
        direction = (cx / length, cy / length)
    inner, outer = radial_ranges(glyph.letter)
    best = None
    count = 0 if direction == (0.0, 0.0) else int(round(SHIFT_LIMIT / SHIFT_STEP))
    for i in range(-count, count + 1):
        dx, dy = sx + direction[0] * i * SHIFT_STEP, sy + direction[1] * i * SHIFT_STEP
        radii = [math.hypot(x + dx - 0.5, y + dy - 0.5) for x, y in units]
        r0, r1 = min(radii), max(radii)
        miss = (max(0.0, inner[0] + RADIUS_MARGIN - r0, r0 - inner[1] + RADIUS_MARGIN) +
                max(0.0, outer[0] + RADIUS_MARGIN - r1, r1 - outer[1] + RADIUS_MARGIN))
        deviation = box_deviation(((x0 + dx - drawing.fL) / fw, (x1 + dx - drawing.fL) / fw,
                                   (y0 + dy - drawing.fT) / fh, (y1 + dy - drawing.fT) / fh), row)
        key = (round(miss, 6) + (0.0 if deviation <= BOX_LIMIT else 1.0 + deviation), deviation)
        if best is None or key < best[0]:
            best = (key, (dx - sx, dy - sy))
    return best[0][0], best[0][1], best[1]


def radial_ranges(letter):
    """The letter's innermost and outermost distance from a face's centre, in frame units."""
    inner = INNER.get(letter, INNER[None])
    outer = OUTER_ASCENDING if letter in ASCENDING else OUTER
    return inner, outer


def steps(lo, hi):
    return [lo + i * TURN_STEP for i in range(int(round((hi - lo) / TURN_STEP)) + 1)]


def face_occurrences():
    """Every letter of the knob faces: {letter: [(drawing, index, row)]}."""
    occurrences = {}
    for drawing in placement.DRAWINGS:
        if drawing.kind == "knob":
            for index, row in enumerate(drawing.letters):
                occurrences.setdefault(row[0], []).append((drawing, index, row))
    return occurrences


def glyph_turns(glyph, rows):
    """For one glyph: one offset from the table angles, and for each of its occurrences a turn within the
    band about it and a shift, so that the letters fall in their radial ranges with the least box
    deviation. Returns ((largest miss, summed deviation, offset), [(turn, shift)] per occurrence)."""
    half = TURN_BAND / 2.0
    limit = (TURN_LIMIT_F if glyph.letter == "f" else TURN_LIMIT) - half
    fits = {}

    def fit(drawing, row, degrees):
        key = (drawing.name, row, round(degrees, 6))
        if key not in fits:
            fits[key] = face_fit(drawing, glyph, row, degrees)
        return fits[key]

    best = None
    for offset in steps(-limit, limit):
        worst, total, chosen = 0.0, 0.0, []
        for drawing, _, row in rows:
            if glyph.home and glyph.home[0] == drawing.name:
                if abs(glyph.home[1] - row[5] - offset) > half + 1e-9:
                    worst = math.inf
                chosen.append((glyph.home[1], (0.0, 0.0)))
                continue
            (miss, deviation, shift), degrees = min(
                (fit(drawing, row, d), d) for d in steps(row[5] + offset - half, row[5] + offset + half))
            worst, total = max(worst, miss), total + deviation
            chosen.append((degrees, shift))
        key = (round(worst, 6), round(total, 9), abs(offset))
        if best is None or key < best[0]:
            best = (key, chosen)
    return best


def choose_turns(glyphs):
    """The turn and the shift of every letter on the knob faces (glyph_turns)."""
    turns = {}
    for letter, rows in face_occurrences().items():
        for (drawing, index, _), chosen in zip(rows, glyph_turns(glyphs[letter], rows)[1]):
            turns[(drawing.name, index)] = chosen
    return turns


def footer_drawing(glyphs):
    """The footer with its letters' boxes: on one baseline, from the highest top to the lowest bottom
    filling the group's height, the first and last letter at its sides, even gaps between neighbours;
    and its scale (frame heights per knob unit)."""
    fL, fR, fT, fB = placement.FOOTER_GROUP
    word = [glyphs[c] for c in placement.FOOTER_WORD]
    boxes = [bounds(g.points()) for g in word]
    tops = [box[2] - g.baseline for g, box in zip(word, boxes)]
    bottoms = [box[3] - g.baseline for g, box in zip(word, boxes)]
    top, height = min(tops), max(bottoms) - min(tops)
    scale = (fB - fT) / height
    span = (fR - fL) * placement.FOOTER_ASPECT  # the group's width in frame heights
    widths = [(box[1] - box[0]) * scale for box in boxes]
    gap = (span - sum(widths)) / (len(word) - 1)

    def exact(v):  # the extremes exactly, so that the letters pinned to them reach 0 and 1
        return 0.0 if abs(v) < 1e-9 else 1.0 if abs(v - 1.0) < 1e-9 else v

    rows, x = [], 0.0
    for g, w, t, b in zip(word, widths, tops, bottoms):
        rows.append((g.letter, exact(x / span), exact((x + w) / span), exact((t - top) / height),
                     exact((b - top) / height), None))
        x += w + gap
    rows[-1] = rows[-1][:2] + (1.0,) + rows[-1][3:]
    return placement.Drawing("QuorFooter", "footer", placement.FOOTER_GROUP, rows, placement.FOOTER_ASPECT), scale


def layout():
    """The glyphs, and every lettered drawing with its letters placed."""
    glyphs = {letter: build_glyph(letter) for letter in GLYPHS}
    turns = choose_turns(glyphs)
    footer, footer_scale = footer_drawing(glyphs)
    result = []
    for drawing in placement.DRAWINGS + [footer]:
        scale = footer_scale if drawing is footer else unit_scale(drawing)
        upright = (0.0, (0.0, 0.0))
        placed = [place(drawing, glyphs[row[0]], row, scale, *turns.get((drawing.name, index), upright))
                  for index, row in enumerate(drawing.letters)]
        result.append((drawing, placed))
    return glyphs, result


# ----------------------------------------------------------------------------------------------------
# Output.

ENUM_ORDER = ["MixUnderlay", "FeedUnderlay", "ToneUnderlay", "OrbitUnderlay", "DoubtUnderlay",
              "VexityUnderlay", "BP", "HP", "LP", "Mute", "Fail", "Bypass", "MasterUnderlay", "QuorFooter"]

CPP_HEAD = """\
// Generated by tools/lettering/generate_lettering.py from its alphabet and placement tables; do not edit.
// Regenerate: cmake --build <build dir> --target lettering-data
// clang-format off
#include "stylekit/ArtworkData.h"

#include <array>

namespace quorbel {{

namespace {{

"""

CPP_TAIL = """\
}} // namespace

const std::vector<ArtworkShape>& letteringShapes(LetteringDrawing which) {{
    static const std::array<std::vector<ArtworkShape>, letteringDrawingCount> shapes{{
{calls}
    }};
    return shapes[static_cast<std::size_t>(which)];
}}

}} // namespace quorbel
// clang-format on
"""


def rounded(value):
    text = f"{value:.5f}"
    return "0.00000" if text == "-0.00000" else text


def function_name(name):
    return (name.lower() if name.isupper() else name[0].lower() + name[1:]) + "Letters"


def cpp_source(result):
    out = [CPP_HEAD.format()]
    for drawing, placed in result:
        out.append(f"// {''.join(p.letter for p in placed)}\n")
        out.append(f"std::vector<ArtworkShape> {function_name(drawing.name)}() {{\n    return {{\n")
        for p in placed:
            out.append(f"        // {p.letter}\n        artworkLetterShape({{\n")
            for kind, corners in p.subpaths:
                lines, line = [], ""
                for x, y in corners:
                    cell = f"{{{rounded(x)}, {rounded(y)}}}, "
                    if len(line) + len(cell) > 86:
                        lines.append(line.rstrip())
                        line = ""
                    line += cell
                lines.append(line.rstrip().rstrip(","))
                body = ("\n" + " " * 16).join(lines)
                out.append(f"            artworkPolygon({{{body}}}), // {kind}\n")
            out.append("        }),\n")
        out.append("    };\n}\n\n")
    order = sorted(result, key=lambda r: ENUM_ORDER.index(r[0].name))
    out.append(CPP_TAIL.format(calls=",\n".join(f"        {function_name(d.name)}()" for d, _ in order)))
    return "".join(out)


def report(result):
    lines = []
    for drawing, placed in result:
        for p in placed:
            points = [q for _, c in p.subpaths for q in c]
            x0, x1, y0, y1 = bounds(points)
            line = (f"{drawing.name:15} {p.letter} turn {p.turn:7.2f}  box {x0:.5f} {x1:.5f} {y0:.5f} "
                    f"{y1:.5f}  deviation {p.deviation:.4f}")
            if drawing.kind == "knob":
                radii = [math.hypot(x - 0.5, y - 0.5) for x, y in to_units(drawing, points)]
                line += f"  radii {min(radii):.4f} {max(radii):.4f}"
            lines.append(line)
    return "\n".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--output", help="write the generated source here (default: stdout)")
    parser.add_argument("--report", action="store_true", help="print each letter's turn, box and deviation")
    args = parser.parse_args(argv)

    glyphs, result = layout()
    problems = [problem for glyph in glyphs.values() for problem in check_glyph(glyph)]
    for drawing, placed in result:
        x0, x1, y0, y1 = bounds([q for p in placed for _, c in p.subpaths for q in c])
        if min(x0, y0) < -1e-9 or max(x1, y1) > 1 + 1e-9:
            problems.append(f"{drawing.name}: points outside the group")
    if args.report:
        print(report(result))
    for problem in problems:
        print("error:", problem, file=sys.stderr)
    if problems or args.report:
        return 2 if problems else 0
    source = cpp_source(result)
    if args.output:
        with open(args.output, "w", encoding="utf-8", newline="\n") as f:
            f.write(source)
    else:
        sys.stdout.write(source)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
