"""Where the letters go: the lettered drawings of the style kit, in the order of LetteringDrawing.

Each drawing lists its group fractions (fL, fR, fT, fB: the edges of its group rectangle as fractions of
the frame, the point offsets ignored) and its letters in reading order, each with the box its ink must
fill (smallest and largest fx and fy, as fractions of the group rectangle).

Knob faces also give, per letter, the angle of the box centre about the frame centre in degrees,
clockwise from straight up: the letter is turned to stand on the face's circle near that angle. Captions
set their letters upright, scaled uniformly from knob units by CAPTION_SCALE, at the frame aspect ratio
(width / height) the editor gives the caption. The footer sets its word upright in its group.
"""

# One unit of a caption frame's height is 0.29125 units of a knob frame's size.
CAPTION_SCALE = 1.0 / 0.29125


class Drawing:
    def __init__(self, name, kind, group, letters, aspect=1.0):
        self.name = name  # LetteringDrawing enumerator
        self.kind = kind  # 'knob', 'caption' or 'footer'
        self.fL, self.fR, self.fT, self.fB = group
        self.letters = letters  # [(letter, fx0, fx1, fy0, fy1, angle or None)]
        self.aspect = aspect  # caption and footer frames: width / height at which letters are undistorted


def _rows(text, with_angle):
    rows = []
    for line in text.strip().splitlines():
        cells = line.split()
        numbers = [float(c) for c in cells[1:]]
        if with_angle:
            rows.append((cells[0], *numbers[:4], numbers[4]))
        else:
            rows.append((cells[0], *numbers[:4], None))
    return rows


def _knob(name, group, text):
    return Drawing(name, "knob", group, _rows(text, True))


def _caption(name, group, aspect, text):
    return Drawing(name, "caption", group, _rows(text, False), aspect)


DRAWINGS = [
    _knob("MixUnderlay", (0.28251, 0.70351, 0.00905, 0.20792), """
        m 0.00000 0.39895 0.26799 1.00000 -20
        i 0.47553 0.64557 0.00000 0.82795 3
        x 0.71866 1.00000 0.29260 0.97956 22
    """),
    _knob("FeedUnderlay", (0.23413, 0.75412, 0.04553, 0.22448), """
        f 0.00000 0.19044 0.04322 1.00000 -31
        e 0.23379 0.42243 0.07034 0.78454 -14
        e 0.49672 0.66969 0.02169 0.73342 6
        d 0.72296 1.00000 0.00000 0.98194 26
    """),
    _knob("ToneUnderlay", (0.21916, 0.74211, 0.03952, 0.22812), """
        t 0.00000 0.25800 0.25391 0.98955 -32
        o 0.25506 0.44727 0.11856 0.77990 -15
        n 0.53406 0.72960 0.00000 0.73706 7
        e 0.78580 1.00000 0.27268 1.00000 29
    """),
    _knob("OrbitUnderlay", (0.2037, 0.79513, -0.00215, 0.25631), """
        o 0.00000 0.20841 0.51020 0.99620 -37
        r 0.19979 0.34161 0.23239 0.76407 -20
        b 0.42418 0.58874 0.00000 0.66998 0
        i 0.63586 0.81016 0.14514 0.78881 19
        t 0.81918 1.00000 0.38507 1.00000 37
    """),
    _knob("DoubtUnderlay", (0.16196, 0.82355, 0.0168, 0.27619), """
        d 0.00000 0.22731 0.31987 0.98486 -40
        o 0.21716 0.37801 0.22516 0.71157 -21
        u 0.42401 0.58522 0.12968 0.60756 -1
        b 0.64069 0.81914 0.00000 0.71115 20
        t 0.83024 1.00000 0.39650 1.00000 42
    """),
    _knob("VexityUnderlay", (0.13097, 0.84677, 0.01357, 0.31051), """
        v 0.00000 0.18743 0.53399 0.94495 -49
        e 0.17340 0.33443 0.27609 0.70553 -29
        x 0.34949 0.49859 0.14875 0.55013 -10
        i 0.54205 0.64559 0.00000 0.56208 8
        t 0.69722 0.81961 0.13380 0.69146 26
        y 0.77023 1.00000 0.43056 1.00000 44
    """),
    _caption("BP", (0.10827, 0.85227, 0.13196, 0.83996), 1.0, """
        b 0.00000 0.45565 0.00000 0.84110
        p 0.56048 1.00000 0.24258 1.00000
    """),
    _caption("HP", (0.09102, 0.85227, 0.12221, 0.83996), 1.0, """
        h 0.00000 0.46995 0.00000 0.84117
        p 0.57044 1.00000 0.25287 1.00000
    """),
    _caption("LP", (0.16290, 0.77415, 0.09521, 0.83996), 1.0, """
        l 0.00000 0.32147 0.00000 0.84290
        p 0.46503 1.00000 0.27996 1.00000
    """),
    _caption("Mute", (0.07769, 0.90720, 0.19506, 0.74106), 2.0, """
        m 0.00000 0.28617 0.23764 0.99725
        u 0.33861 0.56239 0.23077 1.00000
        t 0.61076 0.78210 0.00000 0.98352
        e 0.83273 1.00000 0.22253 0.98489
    """),
    _caption("Fail", (0.07347, 0.68697, 0.14642, 0.78842), 2.0, """
        f 0.00000 0.18276 0.04673 0.96846
        a 0.25489 0.52506 0.30140 0.97430
        i 0.58557 0.78484 0.11682 1.00000
        l 0.83985 1.00000 0.00000 0.97780
    """),
    _caption("Bypass", (0.02576, 0.96236, 0.17183, 0.89183), 2.5, """
        b 0.00000 0.14478 0.00000 0.82708
        y 0.17905 0.33248 0.24687 1.00000
        p 0.36932 0.50897 0.23854 0.98333
        a 0.55381 0.69539 0.21771 0.81771
        s 0.73094 0.84113 0.26667 0.82500
        s 0.88981 1.00000 0.26667 0.82500
    """),
    _knob("MasterUnderlay", (0.12141, 0.87513, 0.02501, 0.32109), """
        m 0.00000 0.23949 0.45626 1.00000 -48
        a 0.22443 0.38976 0.16970 0.60897 -22
        s 0.41969 0.52186 0.10121 0.49374 -4
        t 0.58605 0.68814 0.00000 0.56155 15
        e 0.70667 0.85905 0.27385 0.73433 33
        r 0.81811 1.00000 0.54045 0.91216 50
    """),
]

# The footer wordmark: upright, its letters on one baseline, filling the group from edge to edge with even
# gaps between neighbours; undistorted in a frame FOOTER_ASPECT times as wide as it is high.
FOOTER_WORD = "quorbel"
FOOTER_GROUP = (0.04395, 0.96176, 0.30077, 0.78002)
FOOTER_ASPECT = 8.0
