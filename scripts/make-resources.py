#!/usr/bin/env python3
"""Draws the program's resources and writes them as files.

    scripts/make-resources.py [OUTPUT_FOLDER]

Without a folder each file goes where the build takes it from (PLACES); the
built-in provider's banner and icon are its pictures in providers/pelkar/, from
which the build makes the .ico (scripts/provider-files.py gives the same bytes).
With a folder, all six files go into it.

banner.bmp        301 x 98 device-independent bitmap, 24 bits per pixel
verolink.ico      program icon, one 48 x 48 image, 24 bits per pixel with mask
verolink.png      the same icon as a PNG (RGBA), for desktop launchers
hand.cur          banner cursor, one 32 x 32 monochrome image, hot spot (5, 0)
hand.png          the same cursor as a PNG (RGBA), for the Linux window
verolink.manifest application manifest asking for common controls 6

Standard library only, integer arithmetic only: the same bytes on every run.
"""

import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Colours (R, G, B)

WHITE = (255, 255, 255)
NAVY = (27, 54, 93)
TEAL = (31, 162, 184)
ORANGE = (224, 123, 0)
INK = (70, 80, 92)


def mix(a, b, t, n):
    """Colour t/n of the way from a to b, rounded."""
    return tuple((a[i] * (n - t) + b[i] * t + n // 2) // n for i in range(3))


def average(colours):
    n = len(colours)
    return tuple((sum(c[i] for c in colours) + n // 2) // n for i in range(3))


# ---------------------------------------------------------------------------
# A 5 x 7 pixel font for the letters the artwork uses

FONT = {
    "V": ["X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    "P": ["XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    "I": [".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    "N": ["X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"],
    "T": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "a": [".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
    "e": [".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."],
    "i": ["..X..", ".....", ".XX..", "..X..", "..X..", "..X..", ".XXX."],
    "k": ["X....", "X....", "X..X.", "X.X..", "XX...", "X.X..", "X..X."],
    "l": [".XX..", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    "n": [".....", ".....", "X.XX.", "XX..X", "X...X", "X...X", "X...X"],
    "o": [".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."],
    "r": [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    " ": ["....."] * 7,
}


def text_width(text, scale):
    return (len(text) * 6 - 1) * scale


def draw_text(pixels, text, left, top, scale, colour):
    for index, letter in enumerate(text):
        x0 = left + index * 6 * scale
        for row, bits in enumerate(FONT[letter]):
            for col, bit in enumerate(bits):
                if bit != "X":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        pixels[top + row * scale + dy][x0 + col * scale + dx] = colour


# ---------------------------------------------------------------------------
# The logo: a disc shading from teal to navy with white broadband waves
# rising from its lower left. Sampled 4 x 4 per pixel in eighths of a pixel.

SUB = 8  # sample coordinates are in 1/8 pixel
SAMPLES = [(2 * i + 1, 2 * j + 1) for j in range(4) for i in range(4)]


class Logo:
    def __init__(self, cx, cy, r):
        """Centre and radius in pixels."""
        self.cx, self.cy, self.r = cx * SUB, cy * SUB, r * SUB
        self.ox = self.cx - self.r * 2 // 5
        self.oy = self.cy + self.r * 9 // 20
        self.dot = self.r * 13 // 100
        self.half = self.r * 9 // 100
        self.waves = [self.r * k // 100 for k in (32, 60, 88)]

    def colour(self, x, y):
        """The logo's colour at sample (x, y) in 1/8 pixel, None outside it."""
        dx, dy = x - self.cx, y - self.cy
        if dx * dx + dy * dy > self.r * self.r:
            return None
        if self.white(x, y):
            return WHITE
        return mix(TEAL, NAVY, y - (self.cy - self.r), 2 * self.r)

    def white(self, x, y):
        dx, dy = x - self.ox, y - self.oy
        d2 = dx * dx + dy * dy
        if d2 <= self.dot * self.dot:
            return True
        if dx < 0 or dy > 0:
            return False
        return any((w - self.half) ** 2 <= d2 <= (w + self.half) ** 2 for w in self.waves)

    def pixel(self, px, py):
        """Colours of the 16 samples of pixel (px, py), None where outside."""
        return [self.colour(px * SUB + sx, py * SUB + sy) for sx, sy in SAMPLES]


# ---------------------------------------------------------------------------
# File formats

BITMAPINFOHEADER = struct.Struct("<IiiHHIIiiII")
PELS_PER_METRE = 3780  # 96 dots per inch


def info_header(width, height, bits, image_size, ppm=0, colours=0):
    return BITMAPINFOHEADER.pack(40, width, height, 1, bits, 0, image_size, ppm, ppm, colours, 0)


def rgb_rows(pixels):
    """24-bit rows, bottom row first, each padded to four bytes."""
    width = len(pixels[0])
    pad = b"\0" * (-width * 3 % 4)
    out = bytearray()
    for row in reversed(pixels):
        for r, g, b in row:
            out += bytes((b, g, r))
        out += pad
    return bytes(out)


def bit_rows(bits):
    """1-bit rows, bottom row first, most significant bit leftmost, padded to four bytes."""
    out = bytearray()
    stride = (len(bits[0]) + 31) // 32 * 4
    for row in reversed(bits):
        line = bytearray(stride)
        for x, bit in enumerate(row):
            if bit:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def icon_file(kind, entry_fields, image):
    """An icon (kind 1) or cursor (kind 2) file holding one image."""
    width, height, colours, field1, field2 = entry_fields
    header = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width, height, colours, 0, field1, field2, len(image), 6 + 16)
    return header + entry + image


# ---------------------------------------------------------------------------
# banner.bmp

BANNER_W, BANNER_H = 301, 98


def banner():
    pixels = [[WHITE] * BANNER_W for _ in range(BANNER_H)]
    logo = Logo(40, 40, 30)
    for py in range(8, 73):
        for px in range(8, 73):
            samples = [c if c is not None else WHITE for c in logo.pixel(px, py)]
            pixels[py][px] = average(samples)

    draw_text(pixels, "Verolink", 86, 12, 4, NAVY)
    draw_text(pixels, "Pelkar INTERNET", 88, 52, 2, ORANGE)

    # A band across the foot, navy to teal, with the connection type on it.
    for py in range(80, BANNER_H):
        for px in range(BANNER_W):
            pixels[py][px] = mix(NAVY, TEAL, px, BANNER_W - 1)
    label = "PPPoE"
    draw_text(pixels, label, BANNER_W - 10 - text_width(label, 2), 82, 2, WHITE)

    rows = rgb_rows(pixels)
    header = info_header(BANNER_W, BANNER_H, 24, len(rows), PELS_PER_METRE)
    offset = 14 + len(header)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return file_header + header + rows


# ---------------------------------------------------------------------------
# verolink.ico

ICON_SIZE = 48


def icon_pixels():
    """The icon's rows of colours and its mask (1: transparent)."""
    logo = Logo(24, 24, 23)
    pixels, mask = [], []
    for py in range(ICON_SIZE):
        row, mrow = [], []
        for px in range(ICON_SIZE):
            inside = [c for c in logo.pixel(px, py) if c is not None]
            opaque = len(inside) * 2 >= len(SAMPLES)
            row.append(average(inside) if opaque else (0, 0, 0))
            mrow.append(0 if opaque else 1)
        pixels.append(row)
        mask.append(mrow)
    return pixels, mask


def icon():
    pixels, mask = icon_pixels()
    xor, and_mask = rgb_rows(pixels), bit_rows(mask)
    image = info_header(ICON_SIZE, 2 * ICON_SIZE, 24, len(xor) + len(and_mask)) + xor + and_mask
    return icon_file(1, (ICON_SIZE, ICON_SIZE, 0, 1, 24), image)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(
        ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def rgba_png(side, rows):
    """A square RGBA PNG of rows of (R, G, B, A) pixels, stored uncompressed so
    that every zlib writes the same bytes."""
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(raw, 0)) + png_chunk(b"IEND", b""))


def icon_png():
    pixels, mask = icon_pixels()
    return rgba_png(ICON_SIZE, ([colour + (0 if hidden else 255,) for colour, hidden in zip(row, mrow)]
                                for row, mrow in zip(pixels, mask)))


# ---------------------------------------------------------------------------
# hand.cur: 'X' black outline, 'o' white inside, anything else transparent.

HAND = [
    "     XX",
    "    XooX",
    "    XooX",
    "    XooX",
    "    XooX",
    "    XooXXX",
    "    XooXooXXX",
    "    XooXooXooXX",
    "    XooXooXooXoX",
    " XX XooXooXooXoX",
    "XooXXooooooooooX",
    "XoooXooooooooooX",
    " XooXooooooooooX",
    " XoooooooooooooX",
    "  XooooooooooooX",
    "  XooooooooooooX",
    "   XoooooooooooX",
    "   XooooooooooX",
    "    XoooooooooX",
    "    XoooooooooX",
    "     XooooooooX",
    "     XXXXXXXXXX",
]
CURSOR_SIZE = 32
HOT_SPOT = (5, 0)


def cursor():
    art = [line.ljust(CURSOR_SIZE) for line in HAND]
    art += [" " * CURSOR_SIZE] * (CURSOR_SIZE - len(art))
    # Monochrome cursor: AND 1 keeps the screen; AND 0 paints the XOR colour.
    xor = bit_rows([[1 if ch == "o" else 0 for ch in line] for line in art])
    and_mask = bit_rows([[0 if ch in "Xo" else 1 for ch in line] for line in art])
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = info_header(CURSOR_SIZE, 2 * CURSOR_SIZE, 1, len(xor) + len(and_mask), colours=2)
    image = header + palette + xor + and_mask
    return icon_file(2, (CURSOR_SIZE, CURSOR_SIZE, 2) + HOT_SPOT, image)


def cursor_png():
    """The cursor's pixels as the window takes them: black and white opaque,
    the rest transparent black; the hot spot is the window's to know."""
    colours = {"X": (0, 0, 0, 255), "o": (255, 255, 255, 255)}
    art = [line.ljust(CURSOR_SIZE) for line in HAND]
    art += [" " * CURSOR_SIZE] * (CURSOR_SIZE - len(art))
    return rgba_png(CURSOR_SIZE, ([colours.get(ch, (0, 0, 0, 0)) for ch in line] for line in art))


# ---------------------------------------------------------------------------
# verolink.manifest

MANIFEST = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" processorArchitecture="*" version="6.0.0.0" name="name"/>
  <description>XP Manifest        </description>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                        processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>
    </windowsSettings>
  </application>
</assembly>
"""


# ---------------------------------------------------------------------------

RESOURCES = {
    "banner.bmp": banner,
    "verolink.ico": icon,
    "verolink.png": icon_png,
    "hand.cur": cursor,
    "hand.png": cursor_png,
    "verolink.manifest": lambda: MANIFEST.encode("utf-8"),
}


PLACES = {
    "banner.bmp": "providers/pelkar/banner.bmp",
    "verolink.png": "providers/pelkar/icon.png",
    "hand.cur": "src/window/res/hand.cur",
    "hand.png": "src/window/res/hand.png",
    "verolink.manifest": "src/window/res/verolink.manifest",
}


def main(argv):
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    if len(argv) > 1:
        places = {name: os.path.join(argv[1], name) for name in RESOURCES}
    else:
        places = {name: os.path.join(root, place) for name, place in PLACES.items()}
    for name, path in places.items():
        os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
        with open(path, "wb") as f:
            f.write(RESOURCES[name]())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
