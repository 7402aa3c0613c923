#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader reads of lstSource and lstDestination, over a real
# AT-SPI bus under Xvfb: row names, selection and count, before and after
# Delete Item. Usage: list_boxes_atspi.py SHOW_WINDOWS. Exits 77 (skipped)
# when a piece is missing.
import os, shutil, subprocess, sys, tempfile, time

ROWS = [("/home/ann/report.odt", "/mnt/share/ann/"), ("/home/ann/photos", "/mnt/share/pictures/"),
        ("/home/ann/notes.txt", "/mnt/share/")]
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(why):
    print("SKIP:", why)
    sys.exit(77)


def wait_for(probe, what):
    for _ in range(100):
        value = probe()
        if value:
            return value
        time.sleep(0.2)
    raise SystemExit("FAIL: " + what)


def start(children, args, **kw):
    """Starts a daemon that writes one line (display, bus address) to a pipe."""
    r, w = os.pipe()
    children.append(subprocess.Popen([a.replace("FD", str(w)) for a in args], pass_fds=[w], **kw))
    os.close(w)
    return os.read(r, 1024).decode().strip()


def read(box, pyatspi):
    rows = [box.getChildAtIndex(i) for i in range(box.childCount)]
    selected = [i for i, r in enumerate(rows) if r.getState().contains(pyatspi.STATE_SELECTED)]
    table = box.queryTable()
    return [r.name for r in rows], selected, table.nRows, list(table.getSelectedRows())


def main(children, work):
    for tool in ("Xvfb", "dbus-daemon"):
        shutil.which(tool) or skip(tool + " is not installed")
    os.access(LAUNCHER, os.X_OK) or skip("at-spi2-core is not installed")
    os.environ.update(HOME=work, XDG_RUNTIME_DIR=work, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    os.environ.pop("QT_QPA_PLATFORM", None)
    os.environ["DISPLAY"] = ":" + start(children, ["Xvfb", "-displayfd", "FD", "-nolisten", "tcp", "-noreset"],
                                        stderr=subprocess.DEVNULL)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = start(children, ["dbus-daemon", "--session", "--nofork",
                                                              "--print-address=FD"])
    children.append(subprocess.Popen([LAUNCHER, "--launch-immediately"]))
    try:
        import pyatspi
    except ImportError:
        skip("python3-pyatspi is not installed")
    children.append(subprocess.Popen([sys.argv[1], "--item-list"] + [p for row in ROWS for p in row]))

    def find_lists():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "show_windows":
                lists = {a.name: a for a in pyatspi.findAllDescendants(app, lambda a: a.getRoleName() == "list")}
                if {"Sources", "Destinations"} <= lists.keys():
                    return lists
    lists = wait_for(find_lists, "the two list boxes did not appear on the accessibility bus")
    failed = False
    for when, rows, selected in (("three items, the second selected", ROWS, [1]),
                                 ("after Delete Item", [ROWS[0], ROWS[2]], [])):
        if rows is not ROWS:
            delete = pyatspi.findDescendant(lists["Sources"].getApplication(),
                                            lambda a: a.name == "Delete Item" and a.getRoleName() == "push button")
            delete.queryAction().doAction(0)
            wait_for(lambda: lists["Sources"].childCount != len(ROWS), "Delete Item did not remove a row")
        for column, name in enumerate(("Sources", "Destinations")):
            want = ([r[column] for r in rows], selected, len(rows), selected)
            got = read(lists[name], pyatspi)
            if got != want:
                print("FAIL: %s, %s: read %r, shown %r" % (when, name, got, want))
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    children, work = [], tempfile.mkdtemp()
    try:
        code = main(children, work)
    finally:
        for child in reversed(children):
            child.terminate()
            child.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(code)
