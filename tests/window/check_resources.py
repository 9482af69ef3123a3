#!/usr/bin/env python3
"""Checks the resource files: the generator reproduces the committed ones byte
for byte, the built-in provider's pictures convert into the very icon it draws,
and the headers carry the sizes, depths and hot spot the program needs.

    check_resources.py SOURCE_ROOT
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

ROOT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
NAMES = ["banner.bmp", "verolink.ico", "verolink.png", "hand.cur", "hand.png", "verolink.manifest"]
CONVERTED = tempfile.TemporaryDirectory()
# Where the build takes each file from: the committed files, and the icon as
# the build converts it from the built-in provider's picture.
PLACES = {
    "banner.bmp": os.path.join(ROOT, "providers", "pelkar", "banner.bmp"),
    "verolink.png": os.path.join(ROOT, "providers", "pelkar", "icon.png"),
    "hand.cur": os.path.join(ROOT, "src", "window", "res", "hand.cur"),
    "hand.png": os.path.join(ROOT, "src", "window", "res", "hand.png"),
    "verolink.manifest": os.path.join(ROOT, "src", "window", "res", "verolink.manifest"),
    "verolink.ico": os.path.join(CONVERTED.name, "pelkar", "verolink.ico"),
}
subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "provider-files.py"),
                os.path.join(ROOT, "providers", "pelkar"),
                os.path.join(CONVERTED.name, "pelkar")], check=True)


def read(name):
    with open(PLACES[name], "rb") as f:
        return f.read()


def info_header(data, offset):
    fields = struct.unpack_from("<IiiHHIIiiII", data, offset)
    keys = "size width height planes bits compression image_size xppm yppm used important"
    return dict(zip(keys.split(), fields))


def icon_entry(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    w, h, colours, _, f1, f2, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    return dict(reserved=reserved, kind=kind, count=count, width=w, height=h, colours=colours,
                field1=f1, field2=f2, size=size, offset=offset)


class Regeneration(unittest.TestCase):
    def test_generator_reproduces_the_committed_and_converted_files(self):
        script = os.path.join(ROOT, "scripts", "make-resources.py")
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([sys.executable, script, folder], check=True)
            self.assertEqual(sorted(os.listdir(folder)), sorted(NAMES))
            for name in NAMES:
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(f.read(), read(name), name + " differs from a fresh run")


class Banner(unittest.TestCase):
    def test_header(self):
        data = read("banner.bmp")
        self.assertEqual(len(data), 88646)
        magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
        self.assertEqual((magic, file_size, offset), (b"BM", 88646, 54))
        h = info_header(data, 14)
        self.assertEqual((h["size"], h["width"], h["height"]), (40, 301, 98))  # bottom row first
        self.assertEqual((h["planes"], h["bits"], h["compression"]), (1, 24, 0))
        self.assertEqual((h["xppm"], h["yppm"]), (3780, 3780))
        self.assertEqual(h["image_size"], 98 * 904)

    def test_white_ground_and_opaque_artwork(self):
        data = read("banner.bmp")
        top_row = data[54 + 97 * 904: 54 + 97 * 904 + 903]  # last stored row is the top
        self.assertEqual(top_row, b"\xff" * 903)
        self.assertEqual(data[54 + 903::904][:98], b"\0" * 98, "row padding is zero")
        self.assertLess(data.count(b"\xff"), len(data) - 54, "there is artwork besides white")


class Icon(unittest.TestCase):
    def test_one_48_pixel_image_of_7336_bytes(self):
        data = read("verolink.ico")
        e = icon_entry(data)
        self.assertEqual((e["reserved"], e["kind"], e["count"]), (0, 1, 1))
        self.assertEqual((e["width"], e["height"], e["field1"], e["field2"]), (48, 48, 1, 24))
        self.assertEqual((e["size"], e["offset"]), (7336, 22))
        self.assertEqual(len(data), 22 + 7336)
        h = info_header(data, 22)
        self.assertEqual((h["size"], h["width"], h["height"], h["bits"]), (40, 48, 96, 24))
        self.assertEqual(h["compression"], 0)

    def test_mask_is_transparent_in_the_corners_and_opaque_in_the_middle(self):
        data = read("verolink.ico")
        mask = data[22 + 40 + 48 * 48 * 3:]
        self.assertEqual(len(mask), 48 * 8)
        bit = lambda x, y: mask[(47 - y) * 8 + x // 8] >> (7 - x % 8) & 1
        self.assertEqual([bit(0, 0), bit(47, 0), bit(0, 47), bit(47, 47)], [1, 1, 1, 1])
        self.assertEqual(bit(24, 24), 0)


class Cursor(unittest.TestCase):
    def test_one_monochrome_32_pixel_cursor_with_hot_spot_5_0(self):
        data = read("hand.cur")
        e = icon_entry(data)
        self.assertEqual((e["kind"], e["count"], e["width"], e["height"]), (2, 1, 32, 32))
        self.assertEqual((e["field1"], e["field2"]), (5, 0), "hot spot")
        self.assertEqual(e["size"], 40 + 8 + 128 + 128)
        h = info_header(data, 22)
        self.assertEqual((h["width"], h["height"], h["bits"], h["compression"]), (32, 64, 1, 0))
        self.assertEqual(data[62:70], bytes((0, 0, 0, 0, 255, 255, 255, 0)), "black, white")

    def test_hot_spot_is_the_black_fingertip(self):
        data = read("hand.cur")
        xor, mask = data[70:198], data[198:326]
        bit = lambda plane, x, y: plane[(31 - y) * 4 + x // 8] >> (7 - x % 8) & 1
        self.assertEqual((bit(mask, 5, 0), bit(xor, 5, 0)), (0, 0), "opaque black at (5, 0)")
        self.assertEqual(bit(mask, 0, 0), 1, "transparent around the hand")
        self.assertEqual(bit(mask, 31, 31), 1)
        self.assertEqual((bit(mask, 5, 5), bit(xor, 5, 5)), (0, 1), "white inside the finger")


class Manifest(unittest.TestCase):
    def test_asks_for_common_controls_6(self):
        text = read("verolink.manifest").decode("utf-8")
        ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
        root = ET.fromstring(text)
        self.assertEqual(root.get("manifestVersion"), "1.0")
        own = root.find("a:assemblyIdentity", ns).attrib
        self.assertEqual(own, {"type": "win32", "processorArchitecture": "*",
                               "version": "6.0.0.0", "name": "name"})
        description = root.find("a:description", ns).text
        self.assertTrue(description.startswith("XP Manifest "))
        self.assertEqual(description.strip(), "XP Manifest")
        deps = root.findall("a:dependency/a:dependentAssembly/a:assemblyIdentity", ns)
        self.assertEqual([d.attrib for d in deps], [{
            "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
            "processorArchitecture": "*", "publicKeyToken": "6595b64144ccf1df", "language": "*"}])


if __name__ == "__main__":
    unittest.main(verbosity=1)
