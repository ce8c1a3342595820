#!/usr/bin/env python3
"""Draws the main window's pictures as PNG files into this folder.

Toolbar pictures (16 x 16): open, clear, batch, gb, big5; the window icon
(32 x 32, 16 colours); the about strip's pictures image1 (153 x 40) and
zemlorin (184 x 44); the site link's pointer (32 x 32). Standard library only:
run it again after changing a drawing and commit the PNG files with it.

With "--icons DIR NAME" it draws only the window icon, as DIR/SIZE/apps/NAME.png
at 32, 64, 128 and 256 pixels (each pixel of the drawing a square), the
layout of an icon theme: the build installs these.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

CLEAR = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
GREY = (128, 128, 128, 255)
LIGHT = (192, 192, 192, 255)
RED = (192, 0, 0, 255)
BLUE = (0, 64, 192, 255)
NAVY = (0, 0, 128, 255)
YELLOW = (240, 192, 64, 255)
BROWN = (160, 112, 24, 255)
PALE = (255, 255, 192, 255)
CYAN = (0, 160, 200, 255)

# 5 x 7 capitals and digits, one string per row, "#" for ink.
GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "G": [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ### "],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "Z": ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    "5": ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
}


class Canvas:
    def __init__(self, width, height, fill=CLEAR):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def text(self, x, y, string, colour, scale=1):
        for ch in string:
            if ch == " ":
                x += 4 * scale
                continue
            for row, bits in enumerate(GLYPHS[ch]):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.fill(x + col * scale, y + row * scale,
                                  x + col * scale + scale - 1,
                                  y + row * scale + scale - 1, colour)
            x += 6 * scale

    def bitmap(self, x, y, rows, colours):
        """Draws `rows` of characters, each looked up in `colours`."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.put(x + dx, y + dy, colours[ch])

    def save(self, name, scale=1):
        """Writes the picture to `name` (in this folder unless a path),
        each pixel as a `scale` x `scale` square."""
        raw = b"".join(
            b"\0" + bytes(v for pixel in row for v in pixel * scale)
            for row in self.pixels for _ in range(scale))

        def chunk(kind, data):
            body = kind + data
            return (struct.pack(">I", len(data)) + body +
                    struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))

        png = (b"\x89PNG\r\n\x1a\n" +
               chunk(b"IHDR", struct.pack(">IIBBBBB", self.width * scale,
                                          self.height * scale, 8, 6, 0, 0,
                                          0)) +
               chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(png)


def page(c, x0, y0, x1, y1, fill=WHITE):
    c.fill(x0, y0, x1, y1, fill)
    c.frame(x0, y0, x1, y1, GREY)


def draw_open():
    c = Canvas(16, 16)
    c.fill(1, 3, 6, 4, YELLOW)  # tab
    c.frame(1, 3, 6, 4, BROWN)
    c.fill(1, 5, 13, 13, YELLOW)
    c.frame(1, 5, 13, 13, BROWN)
    for i in range(6):  # the opened flap
        c.line(3 + i // 2, 8 + i // 2 * 0, 15 - i // 3, 8, PALE)
    c.fill(4, 8, 14, 12, PALE)
    c.line(4, 8, 14, 8, BROWN)
    c.line(14, 8, 12, 13, BROWN)
    c.line(4, 8, 1, 13, BROWN)
    c.save("open.png")


def draw_clear():
    c = Canvas(16, 16)
    page(c, 2, 1, 11, 14)
    for y in (4, 6, 8, 10):
        c.line(4, y, 9, y, LIGHT)
    for d in range(2):  # a red cross over the text
        c.line(7 + d, 8, 14 + d, 15, RED)
        c.line(14 + d, 8, 7 + d, 15, RED)
    c.save("clear.png")


def draw_batch():
    c = Canvas(16, 16)
    page(c, 6, 0, 14, 9)
    page(c, 4, 2, 12, 11)
    page(c, 2, 4, 10, 13)
    for y in (7, 9, 11):
        c.line(4, y, 8, y, LIGHT)
    c.line(11, 12, 15, 12, BLUE)  # arrow: converted in one run
    c.line(13, 10, 15, 12, BLUE)
    c.line(13, 14, 15, 12, BLUE)
    c.save("batch.png")


def draw_label(name, string, colour):
    c = Canvas(16, 16)
    c.fill(0, 2, 15, 13, WHITE)
    c.frame(0, 2, 15, 13, colour)
    c.text(2, 4, string, colour)
    c.save(name)


def draw_icon():
    # Two pages, GB in red and Big5 in blue, with arrows both ways; 16 colours.
    icon_canvas().save("icon.png")


def icon_canvas():
    c = Canvas(32, 32)
    page(c, 1, 1, 17, 21)
    c.text(3, 3, "GB", RED)
    for y in (13, 15, 17):
        c.line(3, y, 14, y, LIGHT)
    page(c, 13, 10, 30, 30)
    c.text(16, 12, "B5", BLUE)
    for y in (22, 24, 26, 28):
        c.line(15, y, 28, y, LIGHT)
    c.frame(1, 1, 17, 21, BLACK)
    c.frame(13, 10, 30, 30, BLACK)
    c.line(20, 3, 27, 3, RED)
    c.line(27, 3, 25, 1, RED)
    c.line(27, 3, 25, 5, RED)
    c.line(4, 28, 10, 28, BLUE)
    c.line(4, 28, 6, 26, BLUE)
    c.line(4, 28, 6, 30, BLUE)
    return c


def draw_theme_icons(folder, name):
    c = icon_canvas()
    for scale in (1, 2, 4, 8):
        size = 32 * scale
        apps = os.path.join(folder, "%dx%d" % (size, size), "apps")
        os.makedirs(apps, exist_ok=True)
        c.save(os.path.join(apps, name + ".png"), scale)


def gradient(c, top, bottom):
    for y in range(c.height):
        t = y / max(1, c.height - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        c.fill(0, y, c.width - 1, y, colour + (255,))


def draw_image1():
    c = Canvas(153, 40)
    gradient(c, (0, 48, 128), (0, 112, 192))
    c.text(6, 5, "TOVENRAK", WHITE, 2)
    c.text(8, 25, "GB", YELLOW)
    c.line(22, 28, 32, 28, WHITE)
    c.line(22, 28, 24, 26, WHITE)
    c.line(32, 28, 30, 26, WHITE)
    c.line(22, 28, 24, 30, WHITE)
    c.line(32, 28, 30, 30, WHITE)
    c.text(36, 25, "BIG5", YELLOW)
    c.save("image1.png")


def draw_zemlorin():
    c = Canvas(184, 44, WHITE)
    c.fill(4, 8, 31, 35, NAVY)  # emblem: a Z in a square
    c.fill(8, 12, 27, 31, CYAN)
    c.text(10, 14, "Z", WHITE, 3)
    c.text(38, 12, "ZEMLORIN", NAVY, 3)
    c.line(38, 37, 178, 37, CYAN)
    c.save("zemlorin.png")


HAND = [
    "     ##         ",
    "    #..#        ",
    "    #..#        ",
    "    #..#        ",
    "    #..###      ",
    "    #..#..###   ",
    "    #..#..#..## ",
    " ## #..#..#..#.#",
    "#..##........#.#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #...........# ",
    "   #..........# ",
    "    #........#  ",
    "    ##########  ",
]


def draw_pointer():
    # A pointing hand twice the size of the 16-pixel drawing; the fingertip,
    # the hot spot, is at (11, 1).
    c = Canvas(32, 32)
    colours = {"#": BLACK, ".": WHITE}
    for dy, row in enumerate(HAND):
        for dx, ch in enumerate(row):
            if ch in colours:
                c.fill(dx * 2, dy * 2, dx * 2 + 1, dy * 2 + 1, colours[ch])
    c.save("pointer.png")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--icons":
        draw_theme_icons(sys.argv[2], sys.argv[3])
        sys.exit(0)
    draw_open()
    draw_clear()
    draw_batch()
    draw_label("gb.png", "GB", RED)
    draw_label("big5.png", "B5", BLUE)
    draw_icon()
    draw_image1()
    draw_zemlorin()
    draw_pointer()
