#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader reads of lstSource and lstDestination, through AT-SPI.

Usage: list_boxes_atspi.py SHOW_WINDOWS_PROGRAM
Starts Xvfb, a session bus and the accessibility bus, runs the main window with
three items, and reads each box's rows (names, count, selection) as AT-SPI
clients do; then deletes the selected item and reads them again.
Exits 77 (skipped) when a piece is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
ROWS = [("/home/ann/report.odt", "/mnt/share/ann/"),
        ("/home/ann/photos", "/mnt/share/pictures/"),
        ("/home/ann/notes.txt", "/mnt/share/"),]
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(why):
    print("SKIP:", why)
    sys.exit(SKIP)


def wait_for(probe, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(0.2)
    raise SystemExit("FAIL: " + what)


def main():
    program = sys.argv[1]
    for tool in ("Xvfb", "dbus-daemon"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    if not os.access(BUS_LAUNCHER, os.X_OK):
        skip("at-spi2-core is not installed")
    work = tempfile.mkdtemp()
    os.chmod(work, 0o700)
    children = []
    env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=work, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0")
    env.pop("QT_QPA_PLATFORM", None)
    try:
        display_r, display_w = os.pipe()
        children.append(subprocess.Popen(["Xvfb", "-displayfd", str(display_w), "-nolisten", "tcp", "-noreset"],
                                         pass_fds=[display_w], stderr=subprocess.DEVNULL))
        os.close(display_w)
        env["DISPLAY"] = ":" + os.read(display_r, 64).decode().strip()
        bus_r, bus_w = os.pipe()
        children.append(subprocess.Popen(["dbus-daemon", "--session", "--nofork",
                                          "--print-address=%d" % bus_w], pass_fds=[bus_w]))
        os.close(bus_w)
        env["DBUS_SESSION_BUS_ADDRESS"] = os.read(bus_r, 1024).decode().strip()
        children.append(subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=env))
        time.sleep(1)
        os.environ.update(env)  # pyatspi connects through these
        try:
            import pyatspi
        except ImportError:
            skip("python3-pyatspi is not installed")

        args = [program, "--item-list"] + [path for row in ROWS for path in row]
        children.append(subprocess.Popen(args, env=env))

        def find_lists():
            desktop = pyatspi.Registry.getDesktop(0)
            for app in desktop:
                if app is None or app.name != "show_windows":
                    continue
                found = pyatspi.findAllDescendants(app, lambda a: a.getRoleName() == "list")
                named = {a.name: a for a in found}
                if "Sources" in named and "Destinations" in named:
                    return named
            return None
        lists = wait_for(find_lists, "the two list boxes did not appear on the accessibility bus")

        def read(box):
            names = [box.getChildAtIndex(i).name for i in range(box.childCount)]
            selected = [i for i in range(box.childCount)
                        if box.getChildAtIndex(i).getState().contains(pyatspi.STATE_SELECTED)]
            table = box.queryTable()
            return names, selected, table.nRows, list(table.getSelectedRows())

        failures = []

        def check(when, rows, selected):
            for column, box_name in enumerate(("Sources", "Destinations")):
                want = ([r[column] for r in rows], selected, len(rows), selected)
                got = read(lists[box_name])
                if got != want:
                    failures.append("%s, %s: read %r, shown %r" % (when, box_name, got, want))
                    print("FAIL:", failures[-1], flush=True)

        check("three items, the second selected", ROWS, [1])
        app = lists["Sources"].getApplication()
        delete = pyatspi.findDescendant(app, lambda a: a.name == "Delete Item" and a.getRoleName() == "push button")
        delete.queryAction().doAction(0)
        wait_for(lambda: lists["Sources"].childCount == 2, "Delete Item did not remove a row")
        check("after Delete Item", [ROWS[0], ROWS[2]], [])
        if not failures:
            print("Both boxes read as they show, before and after Delete Item.")
        return 1 if failures else 0
    finally:
        for child in reversed(children):
            child.terminate()
        for child in children:
            child.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
