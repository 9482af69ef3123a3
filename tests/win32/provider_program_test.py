"""Checks of a provider's own build of the Windows program, beside the checks
every build gets (program_test): its banner and icon are the provider's
pictures as converted, its texts are the provider's, none of Pelkar's, and its
version block names the provider as the file's company and copyright holder.

VEROLINK_EXE names the program, VEROLINK_PROVIDER_FILES its converted files."""

import os
import re
import unittest

from pe_image import RT_BITMAP, RT_ICON, RT_VERSION, PeImage, parse_version_block

EXE = os.environ["VEROLINK_EXE"]
FILES = os.environ["VEROLINK_PROVIDER_FILES"]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def profile():
    """The provider's texts from profile.cmake: {"ISP_NAME": ..., ...}."""
    text = read(os.path.join(FILES, "profile.cmake")).decode("utf-8")
    return dict(re.findall(r"set\(VEROLINK_(\w+) \[==\[(.*)\]==\]\)", text))


class ProviderProgramTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = read(EXE)
        cls.resources = PeImage(cls.data).resources()

    def test_banner_and_icon_are_the_providers(self):
        banner = [r.data for r in self.resources if r.type == RT_BITMAP]
        self.assertEqual(banner, [read(os.path.join(FILES, "banner.bmp"))[14:]])
        icon = [r.data for r in self.resources if r.type == RT_ICON]
        self.assertEqual(icon, [read(os.path.join(FILES, "verolink.ico"))[22:]])

    def test_texts_are_the_providers(self):
        texts = profile()
        self.assertNotEqual(texts["ISP_NAME"], "Pelkar")
        for key in ("ISP_NAME", "SERVICE_NAME", "SITE_URL"):
            self.assertIn(texts[key].encode("utf-8"), self.data, key)
        self.assertNotIn(b"Pelkar", self.data)
        self.assertNotIn(b"pelkar", self.data)

    def test_version_block_names_the_provider(self):
        (block,) = [r.data for r in self.resources if r.type == RT_VERSION]
        table = parse_version_block(block).child("StringFileInfo").child("040904B0")
        strings = {s.key: s.text_value() for s in table.children}
        name = profile()["ISP_NAME"]
        self.assertEqual(strings["CompanyName"], name)
        self.assertEqual(strings["LegalCopyright"], f"© {name}")


if __name__ == "__main__":
    unittest.main()
