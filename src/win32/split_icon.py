#!/usr/bin/env python3
"""Splits a one-image .ico file into the two raw resources a program carries:
the icon image (RT_ICON) and the icon group (RT_GROUP_ICON) that names it by
number, so the image gets the number the program is known by rather than the
one the resource compiler would pick.

usage: split_icon.py ICON_FILE IMAGE_NUMBER IMAGE_OUT GROUP_OUT
"""
import struct
import sys


def main(icon_file, image_number, image_out, group_out):
    data = open(icon_file, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count != 1:
        sys.exit(f"{icon_file}: not an icon file with exactly one image")
    width, height, colours, zero, planes, bits, size, offset = struct.unpack_from(
        "<BBBBHHII", data, 6)
    if offset + size > len(data):
        sys.exit(f"{icon_file}: the image lies past the end of the file")
    with open(image_out, "wb") as out:
        out.write(data[offset:offset + size])
    with open(group_out, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, 1))
        out.write(struct.pack("<BBBBHHIH", width, height, colours, zero, planes, bits, size,
                              int(image_number)))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
