"""The cases of the Wine workflow test, one row each.

A row sets up the stand-in phonebook and netsh, ticks the check boxes, and
says what the program must do after its button is pressed:

  phonebook  settings of the stand-in rasapi32.dll: size (entry size it
             reports), size_result, names (how many other entries it lists),
             own (the program's own entry is listed too), grow ("once",
             "always"), write_error, delete_error, texts {number: text}
  shortcut, firewall   the check boxes (1 ticked, 0 not)
  netsh      settings of the stand-in netsh.exe (exit.disable=N, run_ms=N)
  copies     how often Network Connections lists each entry (default 1)
  planted    shortcut files put on the desktop before the press
  boxes      the message boxes in order: (title, text, answer); title "app"
             is the application's title, "caption" the window's; a text of
             None is any text that is not empty
  calls      the phonebook calls in order, as a regular expression over
             their short names (enum, devices, size, set, delete, text)
  devices    the stand-in's device listing as (type, name) pairs; by default
             one PPPoE device under the Russian edition's name
  device     the device name the entry must carry (the Russian edition's
             name by default)
  commands   the netsh commands started, in order
  shell      the calls to the stand-in Shell.Application, as a regular
             expression over their members (NameSpace:N for folder N, Next
             for each item walked, Next:end past the last); none by default
  desktop    the shortcut files on the desktop afterwards
  links      those of them that must be real shell links; the others must
             still hold what the test planted
  needs      a branch whose behaviour the row expects; it fails until merged
"""

NAME = "{name}"  # the program's entry name, filled in by the driver
QUESTION = ("Подключение " + NAME + " существует! Для создания подключения необходимо "
            "его удалить! Удалить сейчас?")
CREATED = ("caption", "Подключение создано.", "ok")
SIZE_TEXT = "Размер структуры указан неверно."
TEXT_632 = {632: SIZE_TEXT}
SIZE_REFUSED = [("app", SIZE_TEXT, "ok")]
YES = ("caption", QUESTION, "yes")
NO = ("caption", QUESTION, "no")
DELETE_FAILED = ("caption", "Ошибка удаления подключения!", "ok")
SHORTCUT = NAME + ".lnk"
OTHER_SHORTCUT = NAME + " (2).lnk"
FIREWALL = ["disable", "enable"]
# The listing, the device listing (one call: the default devices fit the room
# for one record), the size query and the write.
WRITTEN = "enum devices size set"
# Network Connections walked up to the program's own entry, which is copied
# onto the desktop, and on to the end.
COPIED = "NameSpace:0 CopyHere "
WALK_TO_OWN = "create NameSpace:49 Items _NewEnum (Next Name )*Next Name " + COPIED

CASES = [
    # The entry image at every entry size the platform reports.
    dict(name="size-1672", phonebook=dict(size=1672), boxes=[CREATED], calls=WRITTEN),
    dict(name="size-1768", phonebook=dict(size=1768), boxes=[CREATED], calls=WRITTEN),
    dict(name="size-1796", phonebook=dict(size=1796), boxes=[CREATED], calls=WRITTEN),
    dict(name="size-2088", phonebook=dict(size=2088), boxes=[CREATED], calls=WRITTEN),
    dict(name="size-2884", phonebook=dict(size=2884), boxes=[CREATED], calls=WRITTEN),
    dict(name="size-3000", phonebook=dict(size=3000), boxes=[CREATED], calls=WRITTEN),
    # Sizes whose layout cannot hold the entry: the 632 text, nothing written.
    dict(name="size-0", phonebook=dict(size=0, texts=TEXT_632), boxes=SIZE_REFUSED,
         calls="enum devices size text"),
    dict(name="size-1000", phonebook=dict(size=1000, texts=TEXT_632), boxes=SIZE_REFUSED,
         calls="enum devices size text"),
    dict(name="size-2000", phonebook=dict(size=2000, texts=TEXT_632), boxes=SIZE_REFUSED,
         calls="enum devices size text"),
    dict(name="size-query-0", phonebook=dict(size=2884, size_result=0, texts=TEXT_632),
         boxes=SIZE_REFUSED, calls="enum devices size text"),

    # Entries already listed.
    dict(name="names-50", phonebook=dict(size=2884, names=50), boxes=[CREATED],
         calls="enum enum devices size set"),
    dict(name="own-yes", phonebook=dict(size=2884, own=True), planted=[SHORTCUT, OTHER_SHORTCUT],
         boxes=[YES, CREATED], calls="enum delete devices size set", desktop=[OTHER_SHORTCUT]),
    dict(name="own-no", phonebook=dict(size=2884, own=True), planted=[SHORTCUT],
         boxes=[NO], calls="enum", desktop=[SHORTCUT]),
    dict(name="names-5000-own-yes", phonebook=dict(size=1672, names=5000, own=True),
         boxes=[YES, CREATED], calls="enum enum delete devices size set"),
    dict(name="delete-fails-with-text",
         phonebook=dict(size=2884, own=True, delete_error=720, texts={720: "Нет доступа."}),
         boxes=[YES, DELETE_FAILED], calls="enum delete"),
    dict(name="delete-fails-no-text", phonebook=dict(size=2884, own=True, delete_error=5),
         boxes=[YES, DELETE_FAILED], calls="enum delete"),

    # The listing grows between its two calls: asked again, it settles; when it
    # never settles, its error text is shown and nothing is deleted or written.
    dict(name="grows-once", phonebook=dict(size=2884, names=3, own=True, grow="once"),
         boxes=[YES, CREATED], calls="enum enum (enum enum )+delete devices size set",
         needs="reliability"),
    dict(name="grows-always",
         phonebook=dict(size=2884, names=3, own=True, grow="always",
                        texts={603: "Буфер слишком мал."}),
         boxes=[(None, "Буфер слишком мал.", "ok")], calls="enum enum (enum enum )+text",
         needs="reliability"),

    # A refused write shows its text and does not go on to "created".
    dict(name="write-fails-with-text",
         phonebook=dict(size=2884, write_error=720, texts={720: "Нет связи с сервером."}),
         boxes=[("app", "Нет связи с сервером.", "ok")], calls="enum devices size set text"),
    dict(name="write-fails-system-text", phonebook=dict(size=2884, write_error=5),
         boxes=[("app", None, "ok")], calls=WRITTEN),
    dict(name="write-fails-no-text", phonebook=dict(size=2884, write_error=720),
         boxes=[("app", "Ошибка 720.", "ok")], calls="enum devices size set text", needs="reliability"),

    # The firewall: disable, then enable, enable even after a failed disable.
    dict(name="firewall", phonebook=dict(size=2884), firewall=1, boxes=[CREATED],
         calls=WRITTEN, commands=FIREWALL),
    dict(name="firewall-disable-fails", phonebook=dict(size=2884), firewall=1,
         netsh={"exit.disable": 1}, boxes=[CREATED], calls=WRITTEN, commands=FIREWALL),

    # The desktop shortcut: the connection's item copied onto the desktop when
    # ticked, every item of that name; an old shortcut replaced; none unticked.
    dict(name="shortcut", phonebook=dict(size=2884, names=3), shortcut=1, boxes=[CREATED],
         calls="enum enum devices size set", shell="create NameSpace:49 Items _NewEnum (Next Name ){3}"
         "Next Name " + COPIED + "Next:end", desktop=[SHORTCUT], links=[SHORTCUT]),
    dict(name="shortcut-two-items", phonebook=dict(size=2884), copies=2, shortcut=1,
         boxes=[CREATED], calls=WRITTEN,
         shell=WALK_TO_OWN + "Next Name " + COPIED + "Next:end",
         desktop=[SHORTCUT, OTHER_SHORTCUT], links=[SHORTCUT, OTHER_SHORTCUT]),
    dict(name="shortcut-replaced", phonebook=dict(size=2884, own=True), shortcut=1,
         planted=[SHORTCUT], boxes=[YES, CREATED], calls="enum delete devices size set",
         shell=WALK_TO_OWN + "Next:end", desktop=[SHORTCUT], links=[SHORTCUT]),
    dict(name="no-shortcut", phonebook=dict(size=2884), boxes=[CREATED], calls=WRITTEN),

    # An English edition names the miniport otherwise; its name is written.
    dict(name="english-device",
         phonebook=dict(size=2884, devices=[("modem", "Standard Modem"),
                                            ("PPPoE", "WAN Miniport (PPPOE)")]),
         boxes=[CREATED], calls="enum devices devices size set", device="WAN Miniport (PPPOE)"),
]

# Cases run again on a system whose ANSI code page is UTF-8 (65001): the
# entry's texts, the listed names, the device listing and the netsh command
# lines must reach the phonebook and the system in that code page.
UTF8_CASES = ["size-1672", "size-2884", "own-yes", "firewall", "english-device", "shortcut"]
