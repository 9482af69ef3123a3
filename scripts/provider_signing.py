"""What the signing scripts (sign-program.py, sign-package.py) share: the
provider folder's checked fields (provider-files.py), the tools they run and
their command line."""

import importlib.util
import os
import shutil
import sys

_found = importlib.util.spec_from_file_location(
    "provider_files", os.path.join(os.path.dirname(os.path.abspath(__file__)), "provider-files.py"))
provider_files = importlib.util.module_from_spec(_found)
_found.loader.exec_module(provider_files)
InputError = provider_files.InputError


def tool(name, script):
    path = shutil.which(name)
    if not path:
        raise InputError(f"{script}: {name} is missing (scripts/install-deps.sh installs it)")
    return path


def signing_main(argv, usage, check, sign, sign_arguments):
    """The command line of a signing script: "--check FOLDER" runs
    CHECK(folder), "FOLDER ARGUMENT..." (SIGN_ARGUMENTS of them) runs
    SIGN(folder, *arguments). A problem is printed as one line that begins
    with the path of the folder's provider.txt; returns the exit status."""
    checking = len(argv) == 3 and argv[1] == "--check"
    if not checking and len(argv) != 2 + sign_arguments:
        sys.exit(usage)
    folder = os.path.abspath(argv[2] if checking else argv[1])
    try:
        check(folder) if checking else sign(folder, *argv[2:])
    except InputError as e:
        text = str(e)
        if text.startswith("provider.txt:"):
            text = f"{folder}/{text}"
        elif text.startswith(("certificate:", "timestamp:")):
            text = f"{folder}/provider.txt: {text}"
        print(text, file=sys.stderr)
        return 1
    return 0
