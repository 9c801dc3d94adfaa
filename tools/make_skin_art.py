#!/usr/bin/env python3
"""Draws the default skin's pictures as 24-bit BMP files (no external libraries).

1. Paint the background panel: a vertical gradient, a bevel and a dark display well.
2. Paint each button in three states (normal, hover, pressed): a face whose shade depends on the
   state, with its glyph (previous, play, pause, stop, next, menu, close) on top.
3. Paint the status strip: one frame each for stopped, playing and paused, side by side.
4. Paint the knobs of the seek bar and the volume slider (their grooves are part of the panel).
5. Write every picture as a bottom-up 24-bit BMP into skins/default/.
6. Draw the tray icon, a play glyph on a dark disc, as a 16x16 32-bit icon file (tray.ico).
"""
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skins", "default")


class Picture:
    def __init__(self, w, h, color=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[color for _ in range(w)] for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    # 5. Bottom-up rows of BGR triples, each padded to four bytes.
    def save(self, name):
        row = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            line = bytearray()
            for (r, g, b) in self.px[y]:
                line += bytes((b, g, r))
            line += b"\0" * (row - len(line))
            data += line
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(header + info + data)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


# 1. Background panel.
def background():
    w, h = 300, 110
    p = Picture(w, h)
    top, bottom = (70, 78, 96), (28, 32, 42)
    for y in range(h):
        p.fill(0, y, w, y + 1, mix(top, bottom, y / (h - 1)))
    p.fill(0, 0, w, 1, (120, 130, 150))
    p.fill(0, 0, 1, h, (120, 130, 150))
    p.fill(0, h - 1, w, h, (10, 12, 16))
    p.fill(w - 1, 0, w, h, (10, 12, 16))
    # Display well for the title and time texts.
    p.fill(10, 10, w - 10, 58, (8, 14, 10))
    p.fill(10, 10, w - 10, 11, (4, 6, 5))
    p.fill(10, 57, w - 10, 58, (90, 100, 120))
    # Grooves under the seek bar (in the well) and the volume slider (below the well, on the right).
    p.fill(16, 51, 284, 53, (40, 52, 46))
    p.fill(196, 66, 286, 68, (20, 22, 28))
    p.save("main.bmp")


# 2. Buttons.
GLYPH = (230, 236, 245)


def glyph(p, kind, ox, oy):
    cx, cy = p.w // 2 + ox, p.h // 2 + oy
    if kind == "play":
        for i in range(9):
            p.fill(cx - 3 + i, cy - 4 + i // 2, cx - 2 + i, cy + 5 - i // 2, GLYPH)
    elif kind == "pause":
        p.fill(cx - 4, cy - 5, cx - 1, cy + 5, GLYPH)
        p.fill(cx + 1, cy - 5, cx + 4, cy + 5, GLYPH)
    elif kind == "stop":
        p.fill(cx - 4, cy - 4, cx + 5, cy + 5, GLYPH)
    elif kind == "next":
        for i in range(7):
            p.fill(cx - 5 + i, cy - 4 + i // 2, cx - 4 + i, cy + 5 - i // 2, GLYPH)
        p.fill(cx + 3, cy - 4, cx + 5, cy + 5, GLYPH)
    elif kind == "prev":
        p.fill(cx - 5, cy - 4, cx - 3, cy + 5, GLYPH)
        for i in range(7):
            p.fill(cx + 4 - i, cy - 4 + i // 2, cx + 5 - i, cy + 5 - i // 2, GLYPH)
    elif kind == "menu":
        for dy in (-4, 0, 4):
            p.fill(cx - 6, cy + dy - 1, cx + 7, cy + dy + 1, GLYPH)
    elif kind == "close":
        for i in range(-4, 5):
            p.fill(cx + i - 1, cy + i, cx + i + 1, cy + i + 1, GLYPH)
            p.fill(cx - i - 1, cy + i, cx - i + 1, cy + i + 1, GLYPH)


def button(kind, state):
    w, h = 32, 22
    faces = {"normal": ((96, 106, 128), (52, 58, 72)),
             "hover": ((126, 140, 170), (70, 80, 100)),
             "pressed": ((40, 46, 58), (80, 90, 110))}
    top, bottom = faces[state]
    p = Picture(w, h)
    for y in range(h):
        p.fill(0, y, w, y + 1, mix(top, bottom, y / (h - 1)))
    edge_hi, edge_lo = ((20, 22, 28), (150, 160, 180)) if state == "pressed" else ((160, 170, 190), (20, 22, 28))
    p.fill(0, 0, w, 1, edge_hi)
    p.fill(0, 0, 1, h, edge_hi)
    p.fill(0, h - 1, w, h, edge_lo)
    p.fill(w - 1, 0, w, h, edge_lo)
    shift = 1 if state == "pressed" else 0
    glyph(p, kind, shift, shift)
    p.save("%s_%s.bmp" % (kind, state))


# 3. Status strip: frames of 40x24 for stopped (red lamp, square), playing (green lamp,
#    triangle) and paused (amber lamp, two bars), in this order from the left. The skin shows one
#    frame at a time by moving its image's source rectangle.
STATUS_FRAMES = (("stop", (220, 40, 40)), ("play", (40, 220, 70)), ("pause", (240, 170, 30)))


def status_strip():
    fw, h = 40, 24
    p = Picture(fw * len(STATUS_FRAMES), h, (8, 14, 10))
    for i, (kind, lamp) in enumerate(STATUS_FRAMES):
        ox = i * fw
        # The lamp: a filled disc of radius 7 around (ox + 11, 12).
        for y in range(h):
            for x in range(ox, ox + 22):
                if (x - ox - 11) ** 2 + (y - 12) ** 2 <= 49:
                    p.put(x, y, lamp)
        # The glyph in the lamp's colour right of it.
        cx = ox + 30
        if kind == "stop":
            p.fill(cx - 4, 8, cx + 5, 17, lamp)
        elif kind == "play":
            for j in range(9):
                p.fill(cx - 4 + j, 8 + j // 2, cx - 3 + j, 17 - j // 2, lamp)
        else:
            p.fill(cx - 4, 7, cx - 1, 17, lamp)
            p.fill(cx + 1, 7, cx + 4, 17, lamp)
    p.save("status.bmp")


# 4. Knobs: a light face with a dark rim; 12x8 for the seek bar, 8x12 for the volume slider.
KNOB = (120, 200, 255)


def knob(name, w, h):
    p = Picture(w, h, (20, 30, 40))
    p.fill(1, 1, w - 1, h - 1, KNOB)
    p.save(name)


# 6. Tray icon: one 16x16 image with alpha (outside the disc fully transparent), no AND mask holes.
def tray_icon():
    n = 16
    pixels = bytearray()
    for y in range(n - 1, -1, -1):
        for x in range(n):
            inside = (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 56
            play = 5 <= x <= 11 and abs(y - 7.5) <= (11.5 - x) * 0.75
            r, g, b = (120, 220, 140) if play else (28, 32, 42)
            pixels += bytes((b, g, r, 255 if inside else 0))
    mask = b"\0" * (n * 4)
    image = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image += pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(image), 22)
    with open(os.path.join(OUT, "tray.ico"), "wb") as f:
        f.write(directory + image)


def main():
    os.makedirs(OUT, exist_ok=True)
    background()
    for kind in ("prev", "play", "pause", "stop", "next", "menu", "close"):
        for state in ("normal", "hover", "pressed"):
            button(kind, state)
    status_strip()
    knob("seek_knob.bmp", 12, 8)
    knob("volume_knob.bmp", 8, 12)
    tray_icon()
    return 0


if __name__ == "__main__":
    sys.exit(main())
