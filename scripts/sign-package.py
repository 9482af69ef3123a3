#!/usr/bin/python3
"""Signs a provider's .rpm with the provider's OpenPGP key (rpmsign), so that
`rpm -K` and the package managers accept it once the key is imported.

    scripts/sign-package.py --check PROVIDER_FOLDER
    scripts/sign-package.py PROVIDER_FOLDER PACKAGE.rpm

provider.txt names the key, the keyring that holds it, and where its
passphrase is (none for a key without one):

    rpm-key = 0x4E2C6E8793298290                     (key id, fingerprint or user id)
    rpm-keyring = /secure/acme-gnupg                 (a GnuPG home folder)
    rpm-passphrase-file = /secure/acme-rpm.pass      (its first line)
    rpm-passphrase-variable = ACME_RPM_PASSPHRASE    (or: this environment variable)

--check finds the secret key and signs a few bytes with it, trying the
passphrase once; the build runs it before building anything. Without rpm-key
the package stays unsigned and one line says so. A key that cannot sign stops
with "FIELD: what is wrong", exit status 1, and the package is left as it was.
The passphrase reaches gpg through a pipe (--passphrase-fd), never a command
line or a file.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from provider_signing import InputError, provider_files, signing_main  # noqa: E402
import provider_signing  # noqa: E402

# The descriptor gpg reads the passphrase from, in gpg and in rpmsign's gpg.
PASSPHRASE_FD = 3
UNSIGNED_NOTICE = ("the .rpm is unsigned (provider.txt names no rpm-key): `rpm -K` finds no "
                   "signature, and dnf and zypper install it only with signature checks off")


def tool(name):
    return provider_signing.tool(name, "sign-package")


def with_passphrase(command, passphrase, **options):
    """Runs COMMAND with PASSPHRASE readable on descriptor PASSPHRASE_FD."""
    read, write = os.pipe()
    os.write(write, (passphrase or b"") + b"\n")
    os.close(write)

    def descriptor():
        os.dup2(read, PASSPHRASE_FD)

    try:
        return subprocess.run(command, preexec_fn=descriptor, pass_fds=(PASSPHRASE_FD,),
                              capture_output=True, **options)
    finally:
        os.close(read)


def gpg_options(signing):
    options = ["--homedir", signing["rpm-keyring"], "--batch", "--no-tty"]
    if signing["rpm-passphrase-file"] or signing["rpm-passphrase-variable"]:
        options += ["--pinentry-mode", "loopback", "--passphrase-fd", str(PASSPHRASE_FD)]
    return options


def passphrase_field(signing):
    return ("rpm-passphrase-file" if signing["rpm-passphrase-file"] is not None
            else "rpm-passphrase-variable")


def check_key(signing):
    """Stops unless rpm-key signs with its passphrase; returns the passphrase."""
    gpg = tool("gpg")
    key = signing["rpm-key"]
    listed = subprocess.run([gpg, "--homedir", signing["rpm-keyring"], "--batch", "--with-colons",
                             "--list-secret-keys", "--", key], capture_output=True, text=True)
    keys = [line for line in listed.stdout.splitlines() if line.startswith("sec:")]
    if listed.returncode != 0 or not keys:
        raise InputError(f"provider.txt: rpm-key: no secret key {key!r} in the keyring "
                         f"{signing['rpm-keyring']}")
    if len(keys) > 1:
        raise InputError(f"provider.txt: rpm-key: {len(keys)} secret keys match {key!r}; "
                         "name one by its fingerprint")
    if keys[0].split(":")[1] in ("e", "r"):
        raise InputError(f"provider.txt: rpm-key: {key!r} has "
                         + ("expired" if keys[0].split(":")[1] == "e" else "been revoked"))
    passphrase = provider_files.secret(signing, "rpm-passphrase-file", "rpm-passphrase-variable")
    # One signature of a few bytes: gpg tries the passphrase once, in batch mode.
    # It goes to standard output, which is dropped: a gpg that fails deletes
    # the file it was to write, and that must never be /dev/null.
    result = with_passphrase([gpg, *gpg_options(signing), "--local-user", key, "--detach-sign",
                              "--output", "-"], passphrase, input=b"verolink")
    if result.returncode != 0:
        errors = result.stderr.decode(errors="replace")
        if "Bad passphrase" in errors or "bad passphrase" in errors.lower():
            raise InputError(f"provider.txt: {passphrase_field(signing)}: the passphrase of "
                             f"{key!r} is wrong")
        if passphrase is None and ("passphrase" in errors.lower() or "pinentry" in errors):
            raise InputError(f"provider.txt: rpm-key: {key!r} needs a passphrase; name it by "
                             "rpm-passphrase-file or rpm-passphrase-variable")
        first = errors.strip().splitlines()[-1:] or ["no reason given"]
        raise InputError(f"provider.txt: rpm-key: {key!r} cannot sign ({first[0]})")
    return passphrase


def sign(folder, package):
    signing = provider_files.package_signing_fields(folder, provider_files.read_fields(folder))
    if signing is None:
        print(f"sign-package: {os.path.basename(folder)}: {UNSIGNED_NOTICE}")
        return
    passphrase = check_key(signing)
    options = " ".join(gpg_options(signing)[2:])
    command = [tool("rpmsign"), "--addsign",
               "--define", f"__gpg {tool('gpg')}",
               "--define", f"_gpg_path {signing['rpm-keyring']}",
               "--define", f"_gpg_name {signing['rpm-key']}",
               "--define", f"_gpg_sign_cmd_extra_args {options}", package]
    result = with_passphrase(command, passphrase)
    if result.returncode != 0:
        raise InputError(f"sign-package: rpmsign could not sign {package}:\n"
                         + result.stderr.decode(errors="replace"))
    print(f"sign-package: signed {os.path.basename(package)} with {signing['rpm-key']}")


def check(folder):
    signing = provider_files.package_signing_fields(folder, provider_files.read_fields(folder))
    if signing is not None:
        check_key(signing)


if __name__ == "__main__":
    sys.exit(signing_main(sys.argv, __doc__, check, sign, 1))
