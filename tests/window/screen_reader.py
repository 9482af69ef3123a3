#!/usr/bin/python3
"""The program used the way a screen reader user does: everything found and
read on the accessibility bus (AT-SPI), done through its actions, or, with
--keys, through key presses alone (the bus only reads what they did).

  screen_reader.py tree                    checks the main window's tree, prints it
  screen_reader.py workflow [--keys]       the button, its message boxes, the check boxes
  screen_reader.py login LOGIN [CARD]      answers the login prompt through the bus

Every wait is for a state on the bus (up to 20 s), never a fixed time.
Exits 1 naming the first thing that is not as a user expects."""

import os
import subprocess
import sys
import time

import pyatspi

CAPTION = "Verolink PPPoE 1.00"
BUTTON = "Создать PPPoE подключение к Интернет"
BUTTON_TIP = "Создать подключение с выбранными параметрами"
SHORTCUT = "Ярлык на рабочий стол"
FIREWALL = "Включить брандмауэр"
FIREWALL_TIP = "Должна быть запущенна служба Брандмауэр Windows"
LOGIN_LABEL = "Логин абонента:"
KEYS = {"Tab": 0xFF09, "Return": 0xFF0D, "space": 0x20, "Escape": 0xFF1B}


class Failure(Exception):
    pass


def wait_for(what, probe, limit=20):
    deadline = time.monotonic() + limit
    while True:
        try:
            found = probe()
        except Exception:  # an object that went away while looked at
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def has(node, state):
    return node.getState().contains(state)


def windows():
    """The program's top-level windows now showing."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or not app.name.startswith("verolink-pppoe"):
            continue
        for window in app:
            if window is not None and has(window, pyatspi.STATE_VISIBLE):
                yield window


def main_window():
    return wait_for("the main window on the bus",
                    lambda: next((w for w in windows() if w.name == CAPTION
                                  and find(w, "push button", BUTTON, wait=False)), None))


def find(node, role, name, wait=True):
    def probe():
        return next((d for d in descendants(node)
                     if d.getRoleName() == role and d.name == name), None)
    return wait_for(f"{role} \"{name}\"", probe) if wait else probe()


def action(node, name):
    actions = node.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == name:
            return actions.doAction(i)
    raise Failure(f"\"{node.name}\" has no action {name}")


def press_keys(*names):
    for name in names:
        pyatspi.Registry.generateKeyboardEvent(KEYS[name], None, pyatspi.KEY_SYM)


def give_keyboard_to_main_window(main):
    """What a window manager does when the window opens: on X11 without one,
    GTK cannot take the keyboard before its window is shown (its dialogs,
    shown later, take it themselves)."""
    if os.environ.get("WAYLAND_DISPLAY"):
        return
    pid = main.get_application().get_process_id()
    subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name",
                    f"^{CAPTION}$", "windowfocus", "--sync"], check=True, timeout=20)


def focused(node):
    return has(node, pyatspi.STATE_FOCUSED)


def dialog(main, title=None):
    """Waits for a window of the program other than the main window."""
    return wait_for("a dialog" + (f" \"{title}\"" if title else ""),
                    lambda: next((w for w in windows() if w != main and
                                  (title is None or w.name == title) and
                                  any(d.getRoleName() == "push button" for d in descendants(w))),
                                 None))


def dialog_text(box):
    """What a screen reader reads of a dialog: its labels, buttons and the
    title (in a title bar GTK draws itself, as on Wayland) left out."""
    return "\n".join(d.name for d in descendants(box) if d.getRoleName() == "label"
                     and d.parent.getRoleName() != "push button" and d.name
                     and d.name != box.name)


def answer(main, button_name, keys, key="Return"):
    """Reads a message box, says what it holds and answers it; returns its text."""
    box = dialog(main)
    text = dialog_text(box)
    buttons = [d.name for d in descendants(box) if d.getRoleName() == "push button"]
    print(f"message box \"{box.name}\" ({box.getRoleName()}): {text!r}, buttons {buttons}")
    if not text:
        raise Failure("the message box's text cannot be read on the bus")
    button = find(box, "push button", button_name)
    if keys:
        wait_for(f"\"{button_name}\" focused, as the default", lambda: focused(button))
        press_keys(key)
    else:
        action(button, "click")
    wait_for("the message box to close", lambda: box not in list(windows()))
    return text


def check(what, condition):
    if not condition:
        raise Failure(what)
    print("ok: " + what)


def tree(node, depth=0):
    states = [name for state, name in ((pyatspi.STATE_FOCUSED, "focused"),
                                       (pyatspi.STATE_CHECKED, "checked")) if has(node, state)]
    try:
        acts = node.queryAction()
        acts = [acts.getName(i) for i in range(acts.nActions)]
    except NotImplementedError:
        acts = []
    line = f"{'  ' * depth}[{node.getRoleName()}] \"{node.name}\""
    if node.description and node.description != node.name:
        line += f" description \"{node.description}\""
    if states:
        line += " " + " ".join(states)
    if acts == ["click"]:
        line += " action click"
    print(line)
    if node.getRoleName() in ("push button", "check box"):
        return  # their label is their name
    for child in node:
        if child is not None:
            tree(child, depth + 1)


def check_tree():
    main = main_window()
    tree(main)
    check("one window of the program", [w.name for w in windows()] == [CAPTION])
    button = find(main, "push button", BUTTON)
    check("the button is named, described by its tool tip and has the focus",
          button.description == BUTTON_TIP and focused(button))
    check("the button can be clicked", "click" in [button.queryAction().getName(i)
                                                   for i in range(button.queryAction().nActions)])
    for name in (SHORTCUT, FIREWALL):
        check(f"check box \"{name}\" is ticked", has(find(main, "check box", name), pyatspi.STATE_CHECKED))
    check("the firewall's tool tip is its description",
          find(main, "check box", FIREWALL).description == FIREWALL_TIP)
    check("the banner is a picture named by its tool tip",
          any(d.getRoleName() == "image" and d.name.startswith("Здесь может быть ссылка")
              for d in descendants(main)))


def workflow(keys):
    main = main_window()
    if keys:
        give_keyboard_to_main_window(main)

    def keyboard_on_main_window():
        wait_for("the keyboard on the main window", lambda: has(main, pyatspi.STATE_ACTIVE))
    button = find(main, "push button", BUTTON)
    shortcut = find(main, "check box", SHORTCUT)
    firewall = find(main, "check box", FIREWALL)

    def press_button():
        if keys:
            keyboard_on_main_window()
            wait_for("the button focused", lambda: focused(button))
            press_keys("Return")
        else:
            action(button, "click")

    press_button()
    text = answer(main, "OK", keys)
    check("the first press tells the connection was made", text == "Подключение создано.")
    # Tab order from the button: Ярлык, ВключитьФайервол, the button again.
    if keys:
        keyboard_on_main_window()
        press_keys("Tab")
        wait_for("Ярлык focused after Tab", lambda: focused(shortcut))
        press_keys("space")
        wait_for("Ярлык unticked by Space", lambda: not has(shortcut, pyatspi.STATE_CHECKED))
        press_keys("Tab")
        wait_for("ВключитьФайервол focused after a second Tab", lambda: focused(firewall))
        press_keys("Tab")
        wait_for("the button focused after a third Tab", lambda: focused(button))
        print("ok: Tab order button, Ярлык, ВключитьФайервол; Space unticks Ярлык")
    press_button()
    question = answer(main, "Да", keys)
    check("the second press asks before replacing the connection", "Удалить сейчас?" in question)
    check("the connection is made again", answer(main, "OK", keys, key="Escape" if keys else "Return")
          == "Подключение создано.")
    check("the window is still there", main in list(windows()))


def login(typed, card):
    main = main_window()
    prompt = dialog(main, "Verolink")
    print(f"login prompt: {dialog_text(prompt)!r}")
    field = wait_for("a text field labelled \"" + LOGIN_LABEL + "\"",
                     lambda: next((d for d in descendants(prompt) if d.getRoleName() == "text"
                                   and d.name == LOGIN_LABEL), None))
    # GTK 4.8 reads no text back from an entry on the bus: what was typed
    # shows in the answer the program acts on (the caller checks it).
    if not field.queryEditableText().setTextContents(typed):
        raise Failure("the login field takes no text from the bus")
    if card:
        item = find(prompt, "list item", card)
        item.parent.querySelection().selectChild(item.getIndexInParent())
        wait_for(f"card {card} selected", lambda: has(item, pyatspi.STATE_SELECTED))
    action(find(prompt, "push button", "OK"), "click")
    wait_for("the login prompt to close", lambda: prompt not in list(windows()))
    print(f"ok: login {typed} given" + (f", card {card}" if card else ""))


def run(argv):
    keys = "--keys" in argv
    argv = [a for a in argv if a != "--keys"]
    if argv[0] == "tree":
        check_tree()
    elif argv[0] == "workflow":
        workflow(keys)
    elif argv[0] == "login":
        login(argv[1], argv[2] if len(argv) > 2 else None)
    else:
        raise Failure("unknown command " + argv[0])


if __name__ == "__main__":
    try:
        run(sys.argv[1:])
    except Failure as failure:
        print("FAILED: " + str(failure))
        sys.exit(1)
