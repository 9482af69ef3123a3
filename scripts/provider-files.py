#!/usr/bin/python3
"""Checks a provider folder and turns it into the files a build embeds.

    scripts/provider-files.py PROVIDER_FOLDER OUTPUT_FOLDER

The folder holds provider.txt (name, service, page, banner, icon; "key = value"
lines, UTF-8, '#' starts a comment) and the two pictures it names, PNG or BMP.
Optional lines name the code-signing key that scripts/sign-program.py signs the
Windows program with (a PKCS#12 file, or a key in a PKCS#11 token) and the
OpenPGP key scripts/sign-package.py signs the .rpm with; their form is checked
here, and they are used only there.
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
SIGNING_FIELDS = ("certificate", "password-file", "password-variable", "timestamp",
                  "pkcs11-module", "key", "intermediates", "pin-file", "pin-variable")
TOKEN_FIELDS = SIGNING_FIELDS[4:]
PACKAGE_SIGNING_FIELDS = ("rpm-key", "rpm-keyring", "rpm-passphrase-file",
                          "rpm-passphrase-variable")
ALL_FIELDS = FIELDS + SIGNING_FIELDS + PACKAGE_SIGNING_FIELDS
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
        if not sep or key not in ALL_FIELDS:
            raise InputError(f"provider.txt: line {number}: expected one of "
                             f"{', '.join(ALL_FIELDS)} as 'key = value', "
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


def is_token_uri(value):
    return value.startswith("pkcs11:")


def existing_file(folder, key, value):
    path = os.path.join(folder, value)
    if not os.path.isfile(path):
        fail(key, f"{path}: no such file")
    return path


def secret_source(given, file_key, variable_key, what, required=True):
    """Checks that at most (or, if REQUIRED, exactly) one of FILE_KEY and
    VARIABLE_KEY says where the secret WHAT is."""
    if required and (given[file_key] is None) == (given[variable_key] is None) or (
            given[file_key] is not None and given[variable_key] is not None):
        fail(file_key if given[file_key] is not None else variable_key,
             f"expected exactly one of {file_key} (a file holding {what} on its first line) "
             f"and {variable_key} (the environment variable holding it)")
    variable = given[variable_key]
    if variable is not None and not re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", variable):
        fail(variable_key, f"{variable!r} is not the name of an environment variable")


def secret(given, file_key, variable_key):
    """The secret that FILE_KEY's file (its first line) or VARIABLE_KEY's
    environment variable holds, as bytes; None when neither is given."""
    if given[file_key] is not None:
        try:
            with open(given[file_key], "rb") as f:
                lines = f.read().splitlines()
        except OSError as e:
            fail(file_key, f"cannot read {given[file_key]}: {e.strerror}")
        return lines[0] if lines else b""
    variable = given[variable_key]
    if variable is None:
        return None
    value = os.environb.get(variable.encode())
    if value is None:
        fail(variable_key, f"the environment variable {variable} is not set")
    return value


def field_group(fields, keys, first_line):
    """{key: value or None} for KEYS, or None when the first is not given;
    the others are of use only with it."""
    if not fields.get(keys[0]):
        for key in keys[1:]:
            if fields.get(key) is not None:
                fail(key, f"given without {first_line}")
        return None
    return {key: fields.get(key) for key in keys}


def signing_fields(folder, fields):
    """The code-signing lines of provider.txt, checked: None without a
    certificate, else {field: value or None} for SIGNING_FIELDS. With
    pkcs11-module the key is in a token (key, certificate and intermediates
    may be PKCS#11 URIs, the PIN in pin-file or pin-variable); without, the
    certificate is a PKCS#12 file and its password in password-file or
    password-variable. Paths are taken from the folder unless absolute."""
    given = field_group(fields, SIGNING_FIELDS,
                        "a certificate line naming the code-signing certificate")
    if given is None:
        return None
    token = given["pkcs11-module"] is not None
    unused = [k for k in (("password-file", "password-variable") if token else TOKEN_FIELDS)
              if given[k] is not None]
    if unused:
        fail(unused[0], "belongs to a key in a PKCS#11 token, named by pkcs11-module"
             if not token else "is the password of a PKCS#12 file; a token's PIN is "
             "pin-file or pin-variable")
    if not token:
        given["certificate"] = existing_file(folder, "certificate", given["certificate"])
        if given["password-file"] is not None:
            given["password-file"] = existing_file(folder, "password-file", given["password-file"])
        secret_source(given, "password-file", "password-variable", "the certificate's password")
    else:
        given["pkcs11-module"] = existing_file(folder, "pkcs11-module", given["pkcs11-module"])
        if not given["key"] or not is_token_uri(given["key"]):
            fail("key", "expected the private key in the token as a PKCS#11 URI "
                 "(pkcs11:token=...;object=...)")
        for key in ("certificate", "intermediates"):
            if given[key] is not None and not is_token_uri(given[key]):
                given[key] = existing_file(folder, key, given[key])
        if given["pin-file"] is not None:
            given["pin-file"] = existing_file(folder, "pin-file", given["pin-file"])
        secret_source(given, "pin-file", "pin-variable", "the token's PIN")
    if given["timestamp"] is not None and not re.fullmatch(r"https?://[!-~]+", given["timestamp"]):
        fail("timestamp", f"{given['timestamp']!r} is not the web address of a time-stamp server")
    return given


def package_signing_fields(folder, fields):
    """The .rpm signing lines of provider.txt, checked: None without rpm-key,
    else {field: value or None} for PACKAGE_SIGNING_FIELDS, the keyring (a
    GnuPG home folder) and the passphrase file taken from the folder."""
    given = field_group(fields, PACKAGE_SIGNING_FIELDS, "an rpm-key line naming the OpenPGP key")
    if given is None:
        return None
    if not given["rpm-keyring"]:
        fail("rpm-keyring", "missing; expected the GnuPG home folder that holds rpm-key")
    given["rpm-keyring"] = os.path.join(folder, given["rpm-keyring"])
    if not os.path.isdir(given["rpm-keyring"]):
        fail("rpm-keyring", f"{given['rpm-keyring']}: no such folder")
    if given["rpm-passphrase-file"] is not None:
        given["rpm-passphrase-file"] = existing_file(folder, "rpm-passphrase-file",
                                                     given["rpm-passphrase-file"])
    secret_source(given, "rpm-passphrase-file", "rpm-passphrase-variable", "the key's passphrase",
                  required=False)
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
    package_signing_fields(folder, fields)
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
