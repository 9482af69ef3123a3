"""Checks of the built "Verolink PPPoE 1.0.exe" read back from the file: the
kind of program it is, what it needs at run time, and its resources.

The program's path comes from VEROLINK_EXE."""

import os
import struct
import unittest
import xml.etree.ElementTree as ElementTree

from pe_image import (
    IMAGE_FILE_MACHINE_I386,
    RT_BITMAP,
    RT_CURSOR,
    RT_GROUP_CURSOR,
    RT_GROUP_ICON,
    RT_ICON,
    RT_MANIFEST,
    RT_VERSION,
    PeImage,
    parse_version_block,
)

EXE = os.environ["VEROLINK_EXE"]
NEUTRAL, RUSSIAN, ENGLISH_US, ENGLISH_UK = 0, 1049, 1033, 2057
DESCRIPTION = "Программа для автоматического создания  подключения к Интернету через PPPoE."


def load():
    with open(EXE, "rb") as f:
        return PeImage(f.read())


def bitmap_header(data, at=0):
    """width, height, planes, bit count, compression of a BITMAPINFOHEADER."""
    size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, at)
    assert size == 40, f"BITMAPINFOHEADER of {size} bytes"
    return width, height, planes, bits, compression


class ProgramImageTest(unittest.TestCase):
    """A 32-bit GUI program in one file: no MinGW runtime DLL beside it."""

    @classmethod
    def setUpClass(cls):
        cls.image = load()

    def test_is_a_32_bit_windows_gui_program(self):
        self.assertEqual(self.image.machine, IMAGE_FILE_MACHINE_I386)
        self.assertEqual(self.image.subsystem, 2, "IMAGE_SUBSYSTEM_WINDOWS_GUI, no console")

    def test_imports_only_system_libraries(self):
        dlls = [name.lower() for name in self.image.imported_dlls()]
        self.assertIn("kernel32.dll", dlls)
        for runtime in ("libstdc++", "libgcc", "libwinpthread", "mingw"):
            self.assertFalse([d for d in dlls if runtime in d], f"{runtime} linked dynamically: {dlls}")
        # The phonebook, the common controls and the shell are loaded at run
        # time, so that a system without one of them still starts the program.
        for late in ("rasapi32.dll", "comctl32.dll", "shell32.dll"):
            self.assertNotIn(late, dlls)

    def test_file_is_under_one_mebibyte(self):
        size = os.path.getsize(EXE)
        print(f"\n{os.path.basename(EXE)}: {size} bytes")
        self.assertLess(size, 1 << 20)


class ResourceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.resources = load().resources()

    def only(self, type_id, name):
        found = [r for r in self.resources if r.type == type_id and r.name == name]
        self.assertEqual(len(found), 1, f"resource {type_id}/{name}: {len(found)} found")
        return found[0]

    def test_icon_group_1_holds_one_48_pixel_icon(self):
        group = self.only(RT_GROUP_ICON, 1)
        self.assertEqual(group.language, NEUTRAL)
        reserved, kind, count = struct.unpack_from("<HHH", group.data, 0)
        self.assertEqual((reserved, kind, count), (0, 1, 1))
        width, height, _, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group.data, 6)
        self.assertEqual((width, height, bits, size, icon_id), (48, 48, 24, 7336, 30001))
        icon = self.only(RT_ICON, icon_id)
        self.assertEqual(len(icon.data), 7336)
        # The image and its mask: twice the height in the header.
        self.assertEqual(bitmap_header(icon.data)[:4], (48, 96, 1, 24))

    def test_cursor_group_101_is_russian_and_points_with_the_fingertip(self):
        group = self.only(RT_GROUP_CURSOR, 101)
        self.assertEqual(group.language, RUSSIAN)
        reserved, kind, count = struct.unpack_from("<HHH", group.data, 0)
        self.assertEqual((reserved, kind, count), (0, 2, 1))
        width, height, _, bits, size, cursor_id = struct.unpack_from("<HHHHIH", group.data, 6)
        self.assertEqual((width, height, bits), (32, 64, 1))
        cursor = self.only(RT_CURSOR, cursor_id)
        self.assertEqual(len(cursor.data), size)
        self.assertEqual(struct.unpack_from("<HH", cursor.data, 0), (5, 0), "hot spot")
        self.assertEqual(bitmap_header(cursor.data, 4)[:4], (32, 64, 1, 1))

    def test_banner_is_301_by_98_at_24_bits(self):
        banner = [r for r in self.resources if r.type == RT_BITMAP]
        self.assertEqual(len(banner), 1)
        width, height, planes, bits, compression = bitmap_header(banner[0].data)
        self.assertEqual((width, height, planes, bits, compression), (301, 98, 1, 24, 0))
        self.assertEqual(len(banner[0].data), 40 + 98 * 904)

    def test_manifest_asks_for_common_controls_6(self):
        manifest = self.only(RT_MANIFEST, 1)
        self.assertEqual(manifest.language, ENGLISH_UK)
        ns = {"asm": "urn:schemas-microsoft-com:asm.v1"}
        root = ElementTree.fromstring(manifest.data)
        self.assertEqual(root.get("manifestVersion"), "1.0")
        identities = root.findall("asm:dependency/asm:dependentAssembly/asm:assemblyIdentity", ns)
        self.assertEqual(len(identities), 1)
        self.assertEqual(
            dict(identities[0].attrib),
            {
                "type": "win32",
                "name": "Microsoft.Windows.Common-Controls",
                "version": "6.0.0.0",
                "processorArchitecture": "*",
                "publicKeyToken": "6595b64144ccf1df",
                "language": "*",
            },
        )

    def test_manifest_asks_for_administrator_rights_and_system_dpi(self):
        # Writing the phonebook and switching the firewall need administrator
        # rights; the window scales its twips to the screen's DPI itself.
        root = ElementTree.fromstring(self.only(RT_MANIFEST, 1).data)
        ns = {"v3": "urn:schemas-microsoft-com:asm.v3",
              "ws": "http://schemas.microsoft.com/SMI/2005/WindowsSettings"}
        levels = root.findall("v3:trustInfo/v3:security/v3:requestedPrivileges/"
                              "v3:requestedExecutionLevel", ns)
        self.assertEqual([dict(level.attrib) for level in levels],
                         [{"level": "requireAdministrator", "uiAccess": "false"}])
        aware = root.findall("v3:application/v3:windowsSettings/ws:dpiAware", ns)
        self.assertEqual([element.text for element in aware], ["true"])

    def test_version_block_1_in_us_english(self):
        resource = self.only(RT_VERSION, 1)
        self.assertEqual(resource.language, ENGLISH_US)
        root = parse_version_block(resource.data)
        self.assertEqual(root.key, "VS_VERSION_INFO")

        fixed = struct.unpack_from("<13I", root.value, 0)
        self.assertEqual(fixed[0], 0xFEEF04BD)
        self.assertEqual(fixed[2:4], ((1 << 16) | 0, (0 << 16) | 22), "file version 1.0.0.22")
        self.assertEqual(fixed[4:6], ((1 << 16) | 0, (0 << 16) | 22), "product version 1.0.0.22")
        self.assertEqual(fixed[8], 0x4, "VOS__WINDOWS32")
        self.assertEqual(fixed[9], 0x1, "VFT_APP")

        table = root.child("StringFileInfo").child("040904B0")
        strings = {s.key: s.text_value() for s in table.children}
        self.assertTrue(all(s.text for s in table.children))
        expected = {
            "FileVersion": "1.00.0022",
            "ProductVersion": "1.00.0022",
            "ProductName": "Verolink",
            "LegalTrademarks": "Verolink",
            "InternalName": "Verolink PPPoE 1.0",
            "OriginalFilename": "Verolink PPPoE 1.0.exe",
            "FileDescription": DESCRIPTION,
            "Comments": DESCRIPTION,
        }
        self.assertEqual({k: strings.get(k) for k in expected}, expected)
        self.assertTrue(strings.get("CompanyName"))
        self.assertTrue(strings.get("LegalCopyright"))
        self.assertEqual(set(strings), set(expected) | {"CompanyName", "LegalCopyright"})

        translation = root.child("VarFileInfo").child("Translation")
        self.assertEqual(struct.unpack("<HH", translation.value), (0x409, 0x4B0))


if __name__ == "__main__":
    unittest.main()
