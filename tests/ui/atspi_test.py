"""The running program as a screen reader meets it, through AT-SPI.

Run by atspi_test.sh inside a private D-Bus session with the program started
in a folder holding sample.txt and data.bin. Finds the program on the
desktop, prints its windows' trees (roles and names), then, through AT-SPI
alone: checks the main window's role and title, toggles Binary Mode and waits
for data.bin to be listed, selects data.bin, presses Encrypt, and waits for
the progress window to appear as a window. Exit status 0 when all holds.
"""

import os
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

MAIN_TITLE = "Ottomix V2.1b - Mirrowen Software"
PROGRESS_TITLE = "Working..."
WINDOW_ROLES = {pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG}
WORK_DIR = sys.argv[1]


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def pump():
    """Lets libatspi handle the events that arrived, so nothing is stale."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def poll(what, probe, seconds=15.0):
    """probe() until it returns something true; fails after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        pump()
        try:
            found = probe()
        except GLib.Error:
            found = None  # an object went away while it was read
        if found:
            return found
        if time.monotonic() > deadline:
            fail(what)
        time.sleep(0.1)


def children(node):
    try:
        return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c]
    except GLib.Error:
        return []


def describe(node):
    return "[%s] %r" % (node.getRoleName(), node.name)


def dump(node, depth=0, limit=400):
    """Prints the tree under node, at most `limit` lines; returns lines left."""
    if limit <= 0:
        return 0
    print("  " * depth + describe(node))
    limit -= 1
    for child in children(node):
        limit = dump(child, depth + 1, limit)
    return limit


def find(node, predicate, depth=0):
    if predicate(node):
        return node
    if depth > 12:
        return None
    for child in children(node):
        hit = find(child, predicate, depth + 1)
        if hit is not None:
            return hit
    return None


def do_action(node, *names):
    action = node.queryAction()
    offered = [action.getName(i) for i in range(action.nActions)]
    for i, name in enumerate(offered):
        if name.lower() in names:
            if not action.doAction(i):
                fail("%s: action %s was refused" % (describe(node), name))
            return
    fail("%s offers no %s action, only %s" % (describe(node), "/".join(names), offered))


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.name.lower() == "ottomix":
            return app
    return None


def window(app, title):
    for w in children(app):
        if w.name == title:
            return w
    return None


def listed(file_list):
    table = file_list.queryTable()
    return [table.getAccessibleAt(row, 0).name for row in range(table.nRows)]


app = poll("the program never appeared on the AT-SPI desktop", program, 20.0)
# Nothing is cached: every read asks the program, so changes show at once.
app.set_cache_mask(Atspi.Cache.NONE)
main = poll("no window titled %r" % MAIN_TITLE, lambda: window(app, MAIN_TITLE))
print("--- the program's tree as AT-SPI shows it:")
dump(app)
print("---")
if main.getRole() not in WINDOW_ROLES:
    fail("the main window is a %s, not a window" % main.getRoleName())
print("main window: %s" % describe(main))

file_list = find(main, lambda n: n.getRole() == pyatspi.ROLE_LIST and n.name == "Files")
binary = find(main, lambda n: n.getRole() == pyatspi.ROLE_RADIO_BUTTON and n.name == "Binary Mode")
encrypt = find(main, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "Encrypt")
for what, node in (("file list", file_list), ("Binary Mode", binary), ("Encrypt", encrypt)):
    if node is None:
        fail("no %s in the main window" % what)

before = poll("the file list stays empty", lambda: listed(file_list))
print("Text Mode lists: %s" % before)
if "data.bin" in before:
    fail("Text Mode lists data.bin")
do_action(binary, "toggle")
after = poll("Binary Mode's Toggle action left the list as it was: %s" % listed(file_list),
             lambda: (lambda names: names if "data.bin" in names else None)(listed(file_list)))
print("after Binary Mode's Toggle action: %s" % after)
if not binary.getState().contains(pyatspi.STATE_CHECKED):
    fail("Binary Mode is not checked after its Toggle action")

row = after.index("data.bin")
if not file_list.queryTable().addRowSelection(row):
    fail("data.bin could not be selected")
poll("data.bin is not shown selected",
     lambda: file_list.queryTable().isRowSelected(row))
do_action(encrypt, "press", "click")
progress = poll("the progress window did not appear", lambda: window(app, PROGRESS_TITLE))
print("progress window: %s" % describe(progress))
if progress.getRole() not in WINDOW_ROLES:
    fail("the progress window is a %s, not a window" % progress.getRoleName())
# Binary Mode's output name: proof the job ran in the mode AT-SPI chose.
poll("Encrypt wrote no encrypt.exe in Binary Mode",
     lambda: os.path.exists(os.path.join(WORK_DIR, "encrypt.exe")))
print("PASS", flush=True)
