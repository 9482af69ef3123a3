#!/usr/bin/python3
"""The provider folder as a provider writes it: each mistake is refused with a
message naming the field and what is expected, and leaves the output as it
was; a good folder gives the pictures the program needs.

    check_provider.py SOURCE_ROOT
"""

import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

ROOT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
SCRIPT = os.path.join(ROOT, "scripts", "provider-files.py")
TEST_TELECOM = os.path.join(ROOT, "tests", "provider", "test-telecom")


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def convert(folder, output):
    return subprocess.run([sys.executable, SCRIPT, folder, output], capture_output=True,
                          text=True)


class Mistakes(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp()
        self.folder = os.path.join(self.work, "acme")
        shutil.copytree(TEST_TELECOM, self.folder)
        # An earlier good output, which a refused folder must leave alone.
        self.output = os.path.join(self.work, "out")
        os.mkdir(self.output)
        with open(os.path.join(self.output, "profile.cmake"), "w") as f:
            f.write("earlier\n")

    def tearDown(self):
        shutil.rmtree(self.work)

    def set_field(self, key, value):
        path = os.path.join(self.folder, "provider.txt")
        lines = [l for l in read_file(path).decode("utf-8").splitlines()
                 if not l.startswith(key + " ")]
        if value is not None:
            lines.append(f"{key} = {value}")
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    def write(self, name, data):
        with open(os.path.join(self.folder, name), "wb") as f:
            f.write(data)

    def picture(self, name, size, kind="PNG", mode="RGB"):
        out = io.BytesIO()
        Image.new(mode, size, "red").save(out, kind)
        self.write(name, out.getvalue())

    def snapshot(self):
        return {os.path.join(d, n): read_file(os.path.join(d, n))
                for d, _, names in os.walk(self.output) for n in names}

    def assert_refused(self, field, *expected):
        before = self.snapshot()
        result = convert(self.folder, self.output)
        message = result.stderr.strip()
        self.assertEqual(result.returncode, 1, message)
        self.assertIn(f"provider.txt: {field}:", message)
        for text in expected:
            self.assertIn(text, message)
        self.assertEqual(self.snapshot(), before, "output touched")
        self.assertEqual(sorted(os.listdir(self.work)), ["acme", "out"], "leftovers")
        return message

    def test_pictures_of_the_wrong_size_or_not_pictures(self):
        self.picture("banner.png", (300, 98))
        self.assert_refused("banner", "300 x 98", "expected 301 x 98")
        self.picture("banner.png", (301, 98), "BMP")  # BMP content under a .png name is fine
        self.assertEqual(convert(self.folder, self.output).returncode, 0)

        self.picture("icon.png", (48, 40), mode="RGBA")
        self.assert_refused("icon", "48 x 40", "48 x 48")
        self.picture("icon.png", (32, 32), mode="RGBA")
        self.assert_refused("icon", "32 x 32")
        self.write("icon.png", b"<svg xmlns='http://www.w3.org/2000/svg'/>")
        self.assert_refused("icon", "not an image", "PNG or BMP")
        self.picture("icon.png", (48, 48), "GIF", mode="P")
        self.assert_refused("icon", "GIF", "PNG or BMP")
        self.set_field("icon", "missing.png")
        self.assert_refused("icon", "missing.png")

    def test_missing_and_unknown_fields(self):
        for key in ("name", "service", "page", "banner", "icon"):
            with self.subTest(key):
                shutil.copy(os.path.join(TEST_TELECOM, "provider.txt"), self.folder)
                self.set_field(key, None)
                self.assert_refused(key, "missing")
        shutil.copy(os.path.join(TEST_TELECOM, "provider.txt"), self.folder)
        self.set_field("service", "")
        self.assert_refused("service", "empty")
        self.set_field("service", "tt")
        with open(os.path.join(self.folder, "provider.txt"), "a") as f:
            f.write("colour = red\n")
        result = convert(self.folder, self.output)
        self.assertEqual(result.returncode, 1)
        self.assertIn("'colour = red'", result.stderr)

    def test_names_the_phonebook_would_refuse_or_cut(self):
        # 247 characters and " INTERNET" fill the phonebook's 256.
        self.set_field("name", "Я" * 247)
        self.assertEqual(convert(self.folder, self.output).returncode, 0)
        self.set_field("name", "Я" * 248)
        self.assert_refused("name", "248 characters", "at most 247")
        for bad in ("Net/Home", "A:B", "Star*", 'Quote"', "Pipe|", "Back\\slash", "Ask?"):
            with self.subTest(bad):
                self.set_field("name", bad)
                self.assert_refused("name", "may not be part of a connection name")
        self.set_field("name", ".Dot")
        self.assert_refused("name", "'.'")
        self.set_field("name", "网络")  # not in the Cyrillic code page
        self.assert_refused("name", "code page 1251")
        self.set_field("name", "Tab\there")
        self.assert_refused("name", "control character")

        self.set_field("name", "Тест")
        self.set_field("service", "s" * 128)
        self.assertEqual(convert(self.folder, self.output).returncode, 0)
        self.set_field("service", "s" * 129)
        self.assert_refused("service", "129 characters", "at most 128")
        self.set_field("service", "€uro✓")
        self.assert_refused("service", "code page 1251")

    def test_build_provider_stops_before_building(self):
        self.set_field("service", None)
        result = subprocess.run(
            [os.path.join(ROOT, "scripts", "build-provider.sh"), self.folder,
             os.path.join(self.work, "dist")], capture_output=True, text=True)
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn("provider.txt: service: missing", result.stderr)
        self.assertNotIn("==", result.stdout, "a build started")
        self.assertFalse(os.path.exists(os.path.join(self.work, "dist")))
        self.assertFalse(os.path.exists(os.path.join(ROOT, "build-provider", "acme")))

    def test_pages_that_are_not_web_addresses(self):
        for bad in ("www.example.ru", "ftp://example.ru/", "http://exa mple.ru/", "javascript:x"):
            with self.subTest(bad):
                self.set_field("page", bad)
                self.assert_refused("page", "not a web address")


class SecondProvider(unittest.TestCase):
    """Тест-Телеком: a PNG banner and a 256-pixel icon with transparent corners."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp()
        cls.out = os.path.join(cls.work, "out")
        result = convert(TEST_TELECOM, cls.out)
        assert result.returncode == 0, result.stderr

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work)

    def read(self, name):
        return read_file(os.path.join(self.out, name))

    def test_profile_texts(self):
        text = self.read("profile.cmake").decode("utf-8")
        for line in ("set(VEROLINK_PROVIDER_ID [==[test-telecom]==])",
                     "set(VEROLINK_ISP_NAME [==[Тест-Телеком]==])",
                     "set(VEROLINK_SERVICE_NAME [==[tt-pppoe]==])",
                     "set(VEROLINK_SITE_URL [==[https://www.test-telecom.example/]==])"):
            self.assertIn(line, text.splitlines())

    def test_banner_is_the_picture_as_a_24_bit_bitmap(self):
        data = self.read("banner.bmp")
        self.assertEqual(len(data), 88646)
        width, height, planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
        self.assertEqual((width, height, planes, bits, compression), (301, 98, 1, 24, 0))
        self.assertEqual(struct.unpack_from("<ii", data, 38), (3780, 3780))
        source = Image.open(os.path.join(TEST_TELECOM, "banner.png")).convert("RGB")
        self.assertEqual(Image.open(io.BytesIO(data)).tobytes(), source.tobytes())
        window = Image.open(io.BytesIO(self.read("banner.png")))
        self.assertEqual((window.mode, window.tobytes()), ("RGB", source.tobytes()), "banner.png")

    def test_icon_48_pixels_24_bits_with_mask(self):
        data = self.read("verolink.ico")
        self.assertEqual(len(data), 22 + 7336)
        self.assertEqual(struct.unpack_from("<HHHBBBBHHII", data, 0),
                         (0, 1, 1, 48, 48, 0, 0, 1, 24, 7336, 22))
        self.assertEqual(struct.unpack_from("<IiiHH", data, 22), (40, 48, 96, 1, 24))
        mask = data[22 + 40 + 48 * 48 * 3:]
        bit = lambda x, y: mask[(47 - y) * 8 + x // 8] >> (7 - x % 8) & 1
        self.assertEqual([bit(0, 0), bit(47, 0), bit(0, 47), bit(47, 47), bit(24, 24)],
                         [1, 1, 1, 1, 0], "transparent corners, opaque middle")
        colour = lambda x, y: data[62 + (47 - y) * 144 + 3 * x:][:3]
        self.assertEqual(colour(0, 0), b"\0\0\0", "black under the mask")
        self.assertEqual(colour(24, 40), bytes((48, 18, 196)), "the crimson disc (BGR)")

    def test_menu_icons_at_each_size_up_to_the_picture(self):
        sizes = sorted(int(n.split("x")[0]) for n in os.listdir(os.path.join(self.out, "icons")))
        self.assertEqual(sizes, [16, 24, 32, 48, 64, 128, 256])
        for side in sizes:
            icon = Image.open(os.path.join(self.out, "icons", f"{side}x{side}.png"))
            self.assertEqual((icon.size, icon.mode), ((side, side), "RGBA"))
            self.assertEqual(icon.getpixel((0, 0))[3], 0)
        self.assertEqual(self.read("verolink.png"), self.read("icons/48x48.png"))


if __name__ == "__main__":
    unittest.main(verbosity=1)
