#!/usr/bin/python3
"""Checks a provider folder and turns it into the files a build embeds.

    scripts/provider-files.py PROVIDER_FOLDER OUTPUT_FOLDER

The folder holds provider.txt (name, service, page, banner, icon; "key = value"
lines, UTF-8, '#' starts a comment) and the two pictures it names, PNG or BMP.
Optional lines name the code-signing certificate that scripts/sign-program.py
signs the Windows program with (certificate, password-file or
password-variable, timestamp); they are checked here and used only there.
OUTPUT_FOLDER receives, all at once or not at all:

profile.cmake      the provider's id and texts as CMake variables
banner.bmp         301 x 98, 24 bits per pixel, the Windows program's banner
banner.png         the same banner as an RGB PNG, for the Linux window
verolink.ico       one 48 x 48 image, 24 bits per pixel with mask
verolink.png       the 48 x 48 icon as RGBA PNG, for the Linux window
icons/NxN.png      the icon at the hicolor theme's sizes up to the picture's own

Every mistake is printed as "provider.txt: FIELD: what is wrong", exit status 1.
Needs Pillow (Debian's python3-pil).
"""

import io
import os
import re
import shutil
import struct
import sys
import tempfile

try:
    from PIL import Image
except ImportError:
    sys.exit("provider-files: Pillow is missing (scripts/install-deps.sh installs python3-pil)")

FIELDS = ("name", "service", "page", "banner", "icon")
SIGNING_FIELDS = ("certificate", "password-file", "password-variable", "timestamp")
BANNER_SIZE = (301, 98)
ICON_SIDE = 48
MENU_SIDES = (16, 24, 32, 48, 64, 128, 256)
CODE_PAGE = "cp1251"  # the single-byte code page of a Russian Windows
CONNECTION_SUFFIX = " INTERNET"
MAX_ENTRY_NAME_BYTES = 256  # the phonebook listing's 257-byte name field
MAX_SERVICE_BYTES = 128  # the entry's 129-byte phone number field
# Characters a phonebook entry name may not hold: the connection's desktop
# shortcut is a file named after it.
NAME_FORBIDDEN = set('\\/:*?"<>|')


class InputError(Exception):
    pass


def fail(field, text):
    raise InputError(f"provider.txt: {field}: {text}")


def read_fields(folder):
    path = os.path.join(folder, "provider.txt")
    try:
        with open(path, "rb") as f:
            text = f.read().decode("utf-8")
    except FileNotFoundError:
        raise InputError(f"{path}: missing; a provider folder needs a provider.txt")
    except UnicodeDecodeError:
        raise InputError(f"{path}: not UTF-8 text")
    fields = {}
    for number, line in enumerate(text.splitlines(), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        key, sep, value = line.partition("=")
        key = key.strip()
        if not sep or key not in FIELDS + SIGNING_FIELDS:
            raise InputError(f"provider.txt: line {number}: expected one of "
                             f"{', '.join(FIELDS + SIGNING_FIELDS)} as 'key = value', "
                             f"found {stripped!r}")
        if key in fields:
            fail(key, f"given twice (line {number})")
        fields[key] = value.strip(" \t")
    for key in FIELDS:
        if key not in fields:
            fail(key, "missing; expected a line 'key = value'".replace("key", key))
    return fields


def single_byte(field, value):
    if not value:
        fail(field, "empty")
    if any(ord(c) < 32 or ord(c) == 127 for c in value):
        fail(field, "holds a control character")
    try:
        return value.encode(CODE_PAGE)
    except UnicodeEncodeError as e:
        fail(field, f"{value[e.start]!r} is not in the Windows code page 1251, "
             "so the phonebook could not hold it")


def check_name(name):
    encoded = single_byte("name", name)
    bad = sorted(set(name) & NAME_FORBIDDEN)
    if bad:
        fail("name", f"{''.join(bad)!r} may not be part of a connection name "
             f"(none of {''.join(sorted(NAME_FORBIDDEN))})")
    if name.startswith("."):
        fail("name", "may not begin with '.'")
    limit = MAX_ENTRY_NAME_BYTES - len(CONNECTION_SUFFIX)
    if len(encoded) > limit:
        fail("name", f"{len(encoded)} characters; at most {limit}, so that "
             f"'<name>{CONNECTION_SUFFIX}' fits the phonebook's {MAX_ENTRY_NAME_BYTES}")


def check_service(service):
    encoded = single_byte("service", service)
    if len(encoded) > MAX_SERVICE_BYTES:
        fail("service", f"{len(encoded)} characters; at most {MAX_SERVICE_BYTES}")


def check_page(page):
    if not re.fullmatch(r"https?://[!-~]+", page):
        fail("page", f"{page!r} is not a web address (expected http://... or https://..., "
             "without blanks)")


def signing_fields(folder, fields):
    """The code-signing lines of provider.txt, checked: None without a
    certificate, else {"certificate": path, "password-file": path or None,
    "password-variable": name or None, "timestamp": address or None}. Paths
    are taken from the folder unless absolute."""
    given = {key: fields.get(key) for key in SIGNING_FIELDS}
    if not given["certificate"]:
        for key in SIGNING_FIELDS[1:]:
            if given[key] is not None:
                fail(key, "given without a certificate line naming the PKCS#12 file")
        return None
    for key in ("certificate", "password-file"):
        if given[key] is not None:
            given[key] = os.path.join(folder, given[key])
            if not os.path.isfile(given[key]):
                fail(key, f"{given[key]}: no such file")
    if (given["password-file"] is None) == (given["password-variable"] is None):
        fail("certificate", "expected exactly one of password-file (a file holding the "
             "certificate's password) and password-variable (the environment variable "
             "holding it)")
    variable = given["password-variable"]
    if variable is not None and not re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", variable):
        fail("password-variable", f"{variable!r} is not the name of an environment variable")
    if given["timestamp"] is not None and not re.fullmatch(r"https?://[!-~]+", given["timestamp"]):
        fail("timestamp", f"{given['timestamp']!r} is not the web address of a time-stamp server")
    return given


def open_picture(folder, field, file_name):
    path = os.path.join(folder, file_name)
    if not file_name or os.path.dirname(file_name) or not os.path.isfile(path):
        fail(field, f"{file_name!r}: expected the name of a PNG or BMP file in {folder}")
    try:
        with open(path, "rb") as f:
            data = f.read()
        picture = Image.open(io.BytesIO(data))
        picture.load()
    except Exception as e:  # whatever Pillow raises, the file is no picture it can use
        fail(field, f"{file_name} is not an image Pillow can read ({e}); expected PNG or BMP")
    if picture.format not in ("PNG", "BMP"):
        fail(field, f"{file_name} is a {picture.format} picture; expected PNG or BMP")
    return data, picture


def on_white(picture):
    """The picture as RGB, any transparent parts on the white ground."""
    rgba = picture.convert("RGBA")
    ground = Image.new("RGBA", rgba.size, (255, 255, 255, 255))
    return Image.alpha_composite(ground, rgba).convert("RGB")


def banner_bitmap(picture, file_name):
    if picture.size != BANNER_SIZE:
        fail("banner", f"{file_name} is {picture.size[0]} x {picture.size[1]} pixels; "
             f"expected {BANNER_SIZE[0]} x {BANNER_SIZE[1]}")
    out = io.BytesIO()
    on_white(picture).save(out, "BMP", dpi=(96, 96))
    return out.getvalue()


def icon_picture(picture, file_name):
    width, height = picture.size
    if width != height or width < ICON_SIDE:
        fail("icon", f"{file_name} is {width} x {height} pixels; expected a square of "
             f"{ICON_SIDE} x {ICON_SIDE} pixels or larger")
    return picture.convert("RGBA")


def scaled(picture, side):
    if picture.size == (side, side):
        return picture
    return picture.resize((side, side), Image.Resampling.LANCZOS)


def icon_file(picture):
    """A Windows icon of one 48 x 48 image: colours at 24 bits, then the
    1-bit mask (1: transparent) that Pillow's own icon writer cannot give."""
    icon = scaled(picture, ICON_SIDE)
    opaque = icon.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    colours = Image.new("RGB", icon.size, (0, 0, 0))
    colours.paste(icon.convert("RGB"), mask=opaque)
    dib = io.BytesIO()
    colours.save(dib, "DIB")
    xor = dib.getvalue()[40:]  # bottom row first, rows padded to 4 bytes
    transparent = opaque.point(lambda a: 255 - a).convert("1").transpose(
        Image.Transpose.FLIP_TOP_BOTTOM)
    row_bytes = (ICON_SIDE + 7) // 8
    packed = transparent.tobytes("raw", "1")
    padding = b"\0" * (-row_bytes % 4)
    mask = b"".join(packed[i:i + row_bytes] + padding for i in range(0, len(packed), row_bytes))
    header = struct.pack("<IiiHHIIiiII", 40, ICON_SIDE, 2 * ICON_SIDE, 1, 24, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", ICON_SIDE, ICON_SIDE, 0, 0, 1, 24, len(image), 6 + 16)
    return directory + image


def png(picture):
    out = io.BytesIO()
    picture.save(out, "PNG", optimize=True)
    return out.getvalue()


def cmake_text(value):
    return "[==[" + value + "]==]"


def provider_files(folder):
    """{relative path: bytes} for a valid folder; InputError otherwise."""
    folder = os.path.abspath(folder)
    provider_id = os.path.basename(folder)
    if not re.fullmatch(r"[a-z][a-z0-9-]{0,39}", provider_id):
        raise InputError(f"{folder}: the folder's name is the provider's id in package and "
                         "file names: expected lower-case latin letters, digits and '-', "
                         "starting with a letter, at most 40")
    fields = read_fields(folder)
    check_name(fields["name"])
    check_service(fields["service"])
    check_page(fields["page"])
    signing_fields(folder, fields)
    _, banner = open_picture(folder, "banner", fields["banner"])
    icon_data, icon = open_picture(folder, "icon", fields["icon"])

    files = {"banner.bmp": banner_bitmap(banner, fields["banner"]), "banner.png": png(on_white(banner))}
    picture = icon_picture(icon, fields["icon"])
    files["verolink.ico"] = icon_file(picture)
    # A PNG that already is the 48-pixel RGBA icon is taken as it is.
    ready = icon.format == "PNG" and icon.mode == "RGBA" and icon.size == (ICON_SIDE, ICON_SIDE)
    files["verolink.png"] = icon_data if ready else png(scaled(picture, ICON_SIDE))
    for side in MENU_SIDES:
        if side <= picture.size[0]:
            files[f"icons/{side}x{side}.png"] = (
                files["verolink.png"] if side == ICON_SIDE else png(scaled(picture, side)))
    files["profile.cmake"] = "".join(
        f"set(VEROLINK_{key} {cmake_text(value)})\n" for key, value in (
            ("PROVIDER_ID", provider_id), ("ISP_NAME", fields["name"]),
            ("SERVICE_NAME", fields["service"]), ("SITE_URL", fields["page"]))).encode("utf-8")
    return files


def write_all(files, output):
    """Writes the files into a fresh folder beside OUTPUT and then puts it in
    OUTPUT's place, so that OUTPUT is never half written."""
    output = os.path.abspath(output)
    parent = os.path.dirname(output)
    os.makedirs(parent, exist_ok=True)
    fresh = tempfile.mkdtemp(prefix=".provider-", dir=parent)
    umask = os.umask(0)
    os.umask(umask)
    os.chmod(fresh, 0o777 & ~umask)
    try:
        for name, data in files.items():
            path = os.path.join(fresh, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        if os.path.isdir(output):
            old = output + ".old"
            shutil.rmtree(old, ignore_errors=True)
            os.rename(output, old)
            os.rename(fresh, output)
            shutil.rmtree(old)
        else:
            os.rename(fresh, output)
    except BaseException:
        shutil.rmtree(fresh, ignore_errors=True)
        raise


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    try:
        files = provider_files(argv[1])
    except InputError as e:
        print(f"{os.path.abspath(argv[1])}/{e}" if str(e).startswith("provider.txt:") else e,
              file=sys.stderr)
        return 1
    write_all(files, argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
