#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the screen centre "X Y" of the row NAME in the browse dialog's folder
# list, read from the accessibility bus. The folder list opens a folder only
# on a double-click (Enter presses Select), so the screenshot script asks
# the dialog where the row is rather than keeping its own coordinates.
# Usage: folder-row.py NAME
import sys
import time

import pyatspi


def find_row(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "Orvalen":
            continue
        for tree in pyatspi.findAllDescendants(app, lambda a: a.getRoleName() in ("tree", "tree table")):
            for row in pyatspi.findAllDescendants(tree, lambda a: a.name == name):
                if row.getState().contains(pyatspi.STATE_SHOWING):
                    return row
    return None


for _ in range(50):
    row = find_row(sys.argv[1])
    if row is not None:
        box = row.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(box.x + box.width // 2, box.y + box.height // 2)
        sys.exit(0)
    time.sleep(0.2)
sys.exit("folder-row: no row named %r in the folder list" % sys.argv[1])
