#!/usr/bin/python3
"""The connect window as a screen reader finds it on the accessibility bus:
its name, the password field, the remember box and the buttons, each named;
or, given STATE, that state read as it is, with the disconnect button.
Waits (up to 20 s) for the window; exits 1 naming what is missing.

  connect_reader.py TITLE [STATE]"""

import sys
import time

import pyatspi

EXPECTED = [
    (pyatspi.ROLE_PASSWORD_TEXT, "Пароль"),
    (pyatspi.ROLE_CHECK_BOX, "Запомнить пароль"),
    (pyatspi.ROLE_PUSH_BUTTON, "Подключить"),
    (pyatspi.ROLE_PUSH_BUTTON, "Закрыть"),
]


def nodes(node):
    yield node
    for child in node:
        if child is not None:
            yield from nodes(child)


def window(title):
    for app in pyatspi.Registry.getDesktop(0):
        if app is None:
            continue
        for frame in app:
            if frame is not None and frame.name == title:
                return frame
    return None


def main():
    title = sys.argv[1]
    deadline = time.monotonic() + 20
    frame = window(title)
    while frame is None and time.monotonic() < deadline:
        time.sleep(0.05)
        frame = window(title)
    if frame is None:
        print(f"no window named {title!r} on the accessibility bus")
        return 1
    listed = [(n.getRole(), n.getRoleName(), n.name) for n in nodes(frame)]
    found = {(role, name) for role, _, name in listed}
    # Asking, the fields and buttons; connected, the state and the disconnect button.
    expected = EXPECTED if len(sys.argv) < 3 else [(pyatspi.ROLE_LABEL, sys.argv[2]),
                                                    (pyatspi.ROLE_PUSH_BUTTON, "Отключить")]
    missing = [f"{role} {name!r}" for role, name in expected if (role, name) not in found]
    for _, role, name in listed:
        if name:
            print(f"{role}: {name}")
    if missing:
        print("missing: " + ", ".join(missing))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
