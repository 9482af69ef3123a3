"""Presses the button of the real Windows program under Wine for every case
of workflow_cases.py, answers its message boxes and checks, from the record
of the stand-in rasapi32.dll, Shell.Application and netsh.exe, what reached
the phonebook and the shell, and which shortcuts the desktop holds. Run by
workflow_test.sh inside a Wine session of its own.

The entry image of each write must be byte for byte what the core builds
for that entry size (the host tool verolink-entry-image) and carry the PPPoE
values at their fixed offsets.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import workflow_cases  # noqa: E402

APP_TITLE = "Verolink"
CAPTION = "Verolink PPPoE 1.00"
BUTTON = "Создать PPPoE подключение к Интернет"
SHORTCUT_BOX = "Ярлык на рабочий стол"
FIREWALL_BOX = "Включить брандмауэр"
ANSWERS = {"ok": 1, "yes": 6, "no": 7}
SHORT_NAMES = {"RasEnumEntriesA": "enum", "RasEnumDevicesA": "devices",
               "RasGetEntryPropertiesA": "size",
               "RasSetEntryPropertiesA": "set", "RasDeleteEntryA": "delete",
               "RasGetErrorStringA": "text"}
DEVICE_NAME = "Минипорт WAN (PPPoE)"
QUIET_SECONDS = 1.5  # how long no further box may show after the last one


class CodePage:
    """A system the program runs on: the locale Wine derives its ANSI code
    page from, that code page's number, and its names in Python and iconv."""

    def __init__(self, locale, number, python, iconv):
        self.env = {"LANG": locale, "LC_ALL": locale}
        self.number, self.python, self.iconv = number, python, iconv


# A Russian system, whose ANSI code page is 1251; and one with "Use Unicode
# UTF-8 for worldwide language support", whose ANSI code page is UTF-8: Wine
# gives it to a locale that has no ANSI code page of its own (Hindi).
RUSSIAN = CodePage("ru_RU.UTF-8", "1251", "cp1251", "WINDOWS-1251")
UTF8 = CodePage("hi_IN.UTF-8", "65001", "utf-8", "UTF-8")
# A shell link file: its header size, then the shell link class.
LINK_HEADER = bytes.fromhex("4c000000" "0114020000000000c000000000000046")
PLANTED = b"planted by the test"
# The stand-ins' records; a record beside a planted copy means that the
# program loaded or started the copy instead of the system's file.
RECORDS = ("rasapi32.log", "netsh.log")


class CaseFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise CaseFailed(message)


def unescape(field):
    """A text field of the window driver, its escaped characters restored."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1]), field)


class WindowDriver:
    """window_driver.exe under Wine: one command line in, one answer line out."""

    def __init__(self, folder):
        self.process = subprocess.Popen(
            ["wine", str(folder / "window_driver.exe")], cwd=folder, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, encoding="utf-8")

    def ask(self, *fields):
        self.process.stdin.write("\t".join(str(f) for f in fields) + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError("the window driver ended")
        return line.rstrip("\n").split("\t")

    def box(self, seconds):
        """The box on screen, as (hwnd, (l, t, r, b), title, text, ids), or None."""
        answer = self.ask("box", seconds)
        if answer[0] == "none":
            return None
        rect = tuple(int(v) for v in answer[2].split(","))
        return answer[1], rect, unescape(answer[3]), unescape(answer[4]), answer[5]

    def close(self):
        try:
            self.process.stdin.write("quit\n")
            self.process.stdin.close()
            self.process.wait(timeout=20)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()


class Session:
    def __init__(self, args):
        self.program = Path(args.program)
        self.folder = self.program.parent
        self.system = Path(args.system)  # the stand-ins in the system folder
        self.current = Path(args.current)  # the program's current directory
        self.tool = args.tool
        self.name = args.name
        self.service = args.service
        self.desktop = Path(args.desktop)
        self.artifacts = Path(args.artifacts)
        self.driver = WindowDriver(self.folder)
        self.images = {}
        self.app = None
        self.code_page = RUSSIAN

    # --- the program ---------------------------------------------------------
    def start_program(self):
        env = dict(os.environ, **self.code_page.env)
        self.app = subprocess.Popen(["wine", str(self.program)], cwd=self.current, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.driver.ask("window", CAPTION, 60) != ["ok"]:
            raise RuntimeError(f'no window "{CAPTION}"')

    def stop_program(self):
        if self.app is not None and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
            # The window goes with the process; wait until it has.
            self.driver.ask("gone", CAPTION, 20)

    def clear_boxes(self):
        while (box := self.driver.box(0)) is not None:
            self.driver.ask("answer", box[0], box[4].split(",")[-1])

    # --- the stand-ins' settings and records ---------------------------------
    def write_settings(self, case):
        book = case.get("phonebook", {})
        lines = [f"case={case['name']}", f"size={book.get('size', 0)}"]
        for key in ("size_result", "names", "grow", "write_error", "delete_error"):
            if key in book:
                lines.append(f"{key}={book[key]}")
        # The devices in the system's code page; by default the miniport of a
        # Russian edition.
        devices = book.get("devices", [("PPPoE", DEVICE_NAME)])
        lines.append("devices=" + ",".join(
            f"{self.ansi(kind).hex()}:{self.ansi(name).hex()}" for kind, name in devices))
        if book.get("own"):
            lines.append("own=" + self.ansi(self.name).decode("latin-1"))
        for number, text in book.get("texts", {}).items():
            lines.append(f"text.{number}={self.ansi(text).hex()}")
        (self.system / "rasapi32.ini").write_text("\n".join(lines) + "\n", encoding="latin-1")
        netsh = [f"{k}={v}" for k, v in case.get("netsh", {}).items()]
        (self.system / "netsh.ini").write_text("\n".join(netsh) + "\n")
        (self.folder / "shell.ini").write_text(f"copies={case.get('copies', 1)}\n")
        (self.folder / "shell.log").unlink(missing_ok=True)
        for folder in (self.system, self.folder, self.current):
            for record in RECORDS:
                (folder / record).unlink(missing_ok=True)
        for old in self.desktop.glob("*.lnk"):
            old.unlink()
        for planted in case.get("planted", []):
            (self.desktop / self.named(planted)).write_bytes(PLANTED)

    def ansi(self, text):
        return text.encode(self.code_page.python)

    def named(self, text):
        return text.replace(workflow_cases.NAME, self.name)

    def calls(self):
        path = self.system / "rasapi32.log"
        calls = []
        for line in path.read_text(encoding="latin-1").splitlines() if path.exists() else []:
            name, *fields = line.split("\t")
            calls.append((SHORT_NAMES.get(name, name), dict(f.split("=", 1) for f in fields)))
        return calls

    def shell_calls(self):
        """The stand-in Shell.Application's record as (token, fields): the
        member, with NameSpace's folder number and Next's end marked."""
        path = self.folder / "shell.log"
        calls = []
        for line in path.read_text().splitlines() if path.exists() else []:
            member, *fields = line.split("\t")
            if member == "NameSpace":
                member += ":" + fields[0]
            elif member == "Next" and fields == ["end"]:
                member = "Next:end"
            calls.append((member, fields))
        return calls

    def commands(self, deadline):
        """The netsh record once every started command has ended."""
        path = self.system / "netsh.log"
        while True:
            lines = [l.split("\t") for l in path.read_text().splitlines()] if path.exists() else []
            starts = [l for l in lines if l[0] == "start"]
            ends = [l for l in lines if l[0] == "end"]
            if len(starts) == len(ends) or time.time() > deadline:
                return lines
            time.sleep(0.1)

    # --- one case ------------------------------------------------------------
    def run(self, case):
        self.clear_boxes()
        self.write_settings(case)
        for box_text, key in ((SHORTCUT_BOX, "shortcut"), (FIREWALL_BOX, "firewall")):
            answer = self.driver.ask("check", CAPTION, box_text, case.get(key, 0))
            check(answer == ["ok"], f'cannot set "{box_text}": {answer}')
        check(self.driver.ask("press", CAPTION, BUTTON) == ["ok"], "cannot press the button")
        try:
            self.answer_boxes(case)
        except CaseFailed:
            self.check_nothing_planted_used()  # the likelier cause, told first
            raise

        self.check_nothing_planted_used()
        calls = self.calls()
        check(calls or case["calls"] == "", "the stand-in rasapi32.dll recorded no call: "
              "the program did not load it from the system folder")
        sequence = " ".join(name for name, _ in calls)
        check(re.fullmatch(case["calls"], sequence),
              f'phonebook calls "{sequence}", expected "{case["calls"]}"')
        for name, fields in calls:
            self.check_call(case, name, fields)
        # Started without waiting, netsh may record only after the last box.
        self.commands(time.time() + 10)
        self.check_nothing_planted_used()
        self.check_commands(case)
        self.check_shell(case)
        self.check_desktop(case)

    def answer_boxes(self, case):
        """Checks and answers the case's boxes in turn; no other box may follow."""
        for index, (title, text, answer) in enumerate(case["boxes"], 1):
            box = self.driver.box(20)
            want = self.named(text) if text is not None else "a text"
            check(box is not None, f'box {index} ("{want}") never showed')
            hwnd, rect, shown_title, shown_text, ids = box
            self.screenshot(hwnd, f"workflow-{case['name']}-{index}.png")
            wanted_title = {"app": APP_TITLE, "caption": CAPTION}.get(title)
            if wanted_title is not None:
                check(shown_title == wanted_title,
                      f'box {index} titled "{shown_title}", expected "{wanted_title}"')
            if text is None:
                check(shown_text.strip() != "", f"box {index} shows no text")
            else:
                check(shown_text == want, f'box {index} says "{shown_text}", expected "{want}"')
            check(str(ANSWERS[answer]) in ids.split(","), f"box {index} has no {answer} button")
            check(self.driver.ask("answer", hwnd, ANSWERS[answer]) == ["ok"],
                  f"box {index} did not close")
        extra = self.driver.box(QUIET_SECONDS)
        if extra is not None:
            self.screenshot(extra[0], f"workflow-{case['name']}-unexpected.png")
            raise CaseFailed(f'an unexpected box followed: "{extra[2]}": "{extra[3]}"')

    def check_nothing_planted_used(self):
        for folder, where in ((self.folder, "beside the program"),
                              (self.current, "in its current directory")):
            for record in RECORDS:
                check(not (folder / record).exists(),
                      f"the program used the {record.split('.')[0]} planted {where}")

    def check_call(self, case, name, fields):
        if name == "enum":
            check(fields["reserved"] == "-" and fields["phonebook"] == "-",
                  "the listing names a phonebook")
            check(fields["first_record_size"] == "264", "the listing's first record size "
                  f'is {fields["first_record_size"]}, not 264')
        elif name == "size":
            check([fields[k] for k in ("phonebook", "entry", "buffer", "device", "device_size")]
                  == ["-"] * 5 and fields["size"] == "0", f"size query with {fields}")
            check(fields["acp"] == self.code_page.number,
                  f'the program runs in code page {fields["acp"]}, not {self.code_page.number}')
        elif name == "delete":
            check(fields["phonebook"] == "-", "the deletion names a phonebook")
            check(bytes.fromhex(fields["entry"]) == self.ansi(self.name),
                  f'deleted "{bytes.fromhex(fields["entry"])}"')
        elif name == "devices":
            check(fields["first_record_size"] in ("152", "-"), "the device listing's record "
                  f'size is {fields["first_record_size"]}, not 152')
        elif name == "text":
            check(fields["size"] == "512", f'error text asked with a buffer of {fields["size"]}')
        elif name == "set":
            self.check_write(case["phonebook"]["size"], fields, case.get("device", DEVICE_NAME))

    def check_write(self, size, fields, device):
        check(fields["phonebook"] == "-", "the write names a phonebook")
        check(bytes.fromhex(fields["entry"]) == self.ansi(self.name),
              f'written under "{bytes.fromhex(fields["entry"])}"')
        check(fields["device"] == "-" and fields["device_size"] == "0",
              "the write passes device information")
        check(fields["size"] == str(size), f'entry size {fields["size"]} passed, reported {size}')
        check(fields["alternates"] == "-", "alternate numbers in the image")
        image = bytes.fromhex(fields["image"])
        check(len(image) == size, f"{len(image)} bytes written, size {size}")
        self.check_fixed_offsets(image, size, device)
        if self.code_page is not RUSSIAN:
            return  # the host tool's texts are single-byte: checked field by field above
        core = self.core_image(size, device)
        check(len(core) == size + 2 and core[size:] == b"\0\0",
              f"the core's image for {size} is {len(core)} bytes, not {size} + 2")
        if image != core[:size]:
            first = next(i for i in range(size) if image[i] != core[i])
            raise CaseFailed(f"image differs from the core's at offset {first}: "
                             f"{image[first:first + 8].hex()} != {core[first:first + 8].hex()}")

    def check_fixed_offsets(self, image, size, device):
        """The PPPoE values at their offsets; every other byte zero."""
        expected = {0: struct.pack("<I", size), 4: struct.pack("<I", 0x3D0D0310),
                    27: self.ansi(self.service.strip()), 184: struct.pack("<I", 4),
                    188: struct.pack("<I", 1), 972: b"PPPoE", 989: self.ansi(device)}
        if size > 1796:  # type, encryption and VPN strategy only above 1796
            expected.update({1796: struct.pack("<I", 5), 1800: struct.pack("<I", 3),
                             2084: struct.pack("<I", 2)})
        rest = bytearray(image)
        for offset, value in expected.items():
            found = image[offset:offset + len(value)]
            check(found == value, f"at offset {offset}: {found.hex()}, expected {value.hex()}")
            rest[offset:offset + len(value)] = bytes(len(value))
        stray = next((i for i, b in enumerate(rest) if b), None)
        check(stray is None, f"byte {stray} of the image is not zero")

    def core_image(self, size, device):
        key = (size, device, self.code_page.iconv)
        if key not in self.images:
            out = subprocess.run([self.tool, str(size), self.code_page.iconv, self.service, device],
                                 check=True, capture_output=True, text=True).stdout
            self.images[key] = bytes.fromhex(out.strip())
        return self.images[key]

    def check_commands(self, case):
        lines = self.commands(time.time() + 10)
        started = [l[1].split()[-1] for l in lines if l[0] == "start"]
        expected = case.get("commands", [])
        check(started == expected, f"netsh commands {started}, expected {expected}")
        for line in (l for l in lines if l[0] == "start"):
            check(line[1] == f"firewall set opmode {line[1].split()[-1]}",
                  f'netsh started with "{line[1]}"')
            check(line[3] == "0", f'netsh "{line[1]}" started with window style {line[3]}, not 0')
            check(line[4] == "none", f'netsh "{line[1]}" started with a console window')
        if expected == ["disable", "enable"]:
            ended = {l[1].split()[-1]: int(l[2]) for l in lines if l[0] == "end"}
            enable_start = next(int(l[2]) for l in lines if l[0] == "start" and
                                l[1].endswith("enable"))
            check(enable_start >= ended["disable"], "enable started before disable ended")

    def check_shell(self, case):
        calls = self.shell_calls()
        sequence = " ".join(token for token, _ in calls)
        expected = case.get("shell", "")
        check(calls or expected == "", "the stand-in Shell.Application recorded no call: the "
              "program did not create it (is it registered as Shell.Application?)")
        check(re.fullmatch(expected, sequence),
              f'Shell.Application calls "{sequence}", expected "{expected}"')
        name = self.name.encode("utf-8").hex()
        for token, fields in calls:
            if token == "NameSpace:49":
                check(fields[2] == "stand-in", f"Network Connections without the stand-in "
                      f"phonebook's entries: {fields[2]}")
            elif token == "CopyHere":
                check(fields[:2] == ["0", name], "CopyHere of "
                      f'"{bytes.fromhex(fields[1]).decode()}" into folder {fields[0]}')

    def check_desktop(self, case):
        found = sorted(p.name for p in self.desktop.glob("*.lnk"))
        expected = sorted(self.named(n) for n in case.get("desktop", []))
        check(found == expected, f"desktop shortcuts {found}, expected {expected}")
        links = {self.named(n) for n in case.get("links", [])}
        for name in found:
            head = (self.desktop / name).read_bytes()
            if name in links:
                check(head[:20] == LINK_HEADER, f'"{name}" is no shell link: {head[:20].hex()}')
            else:
                check(head == PLANTED, f'"{name}" was planted by the test and has changed')

    def wine_connections_note(self):
        """What Wine's own shell (its class, not the program identifier that
        the stand-in answers for) gives for Network Connections."""
        folder = " ".join(self.driver.ask("folder", 49))
        print(f'Wine\'s own Shell.Application: NameSpace(49) gives "{folder}"; the stand-in '
              "answers for it", flush=True)

    def screenshot(self, hwnd, name):
        """The box once it has painted itself (the window driver's shot), never
        a grab of the screen, where Wine may not have painted it yet."""
        bmp = self.artifacts / (name + ".bmp")
        answer = self.driver.ask("shot", hwnd, "Z:" + str(bmp).replace("/", "\\"))
        check(answer == ["ok"], f"no screenshot of the box: {answer}")
        subprocess.run(["convert", str(bmp), str(self.artifacts / name)], check=True)
        bmp.unlink()


def main():
    parser = argparse.ArgumentParser()
    for option in ("program", "tool", "name", "service", "desktop", "artifacts", "system",
                   "current"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--only", help="run only the cases whose name matches this expression")
    args = parser.parse_args()

    session = Session(args)
    for old in session.artifacts.glob("workflow-*.png"):
        old.unlink()
    failures = []
    started = time.time()
    runs = [(RUSSIAN, workflow_cases.CASES, ""),
            (UTF8, [c for c in workflow_cases.CASES if c["name"] in workflow_cases.UTF8_CASES],
             "@65001")]
    try:
        session.wine_connections_note()
        for code_page, cases, suffix in runs:
            cases = [c for c in cases if not args.only or re.search(args.only, c["name"] + suffix)]
            if not cases:
                continue
            session.stop_program()
            session.code_page = code_page
            session.start_program()
            for case in cases:
                name = case["name"] + suffix
                begun = time.time()
                try:
                    session.run(dict(case, name=name))
                    print(f"ok   {name} ({time.time() - begun:.1f} s)", flush=True)
                except CaseFailed as failure:
                    needs = f" [expects the {case['needs']} branch]" if case.get("needs") else ""
                    print(f"FAIL {name}: {failure}{needs}", flush=True)
                    failures.append(name)
                if session.app.poll() is not None:
                    print("FAIL the program ended; started again", flush=True)
                    session.start_program()
    finally:
        session.stop_program()
        session.driver.close()
    print(f"{len(failures)} of the cases failed{': ' + ', '.join(failures) if failures else ''}"
          f" ({time.time() - started:.0f} s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
