#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the README's screenshots from the installed program
# (/usr/bin/orvalen, or ORVALEN_BIN) under Xvfb and Openbox: the main window
# holding three items, the browse dialog and the About box, each added and
# opened with the keyboard as a user would. Writes docs/*.png.
# Needs: xvfb openbox xdotool x11-utils dbus-daemon at-spi2-core
# python3-pyatspi imagemagick (scripts/common.sh DESKTOP_PACKAGES plus
# imagemagick).
source "$(dirname "$0")/common.sh"
source "$ROOT/scripts/x-session.sh"
install_missing "${DESKTOP_PACKAGES[@]}" imagemagick
BIN="${ORVALEN_BIN:-/usr/bin/orvalen}"
[ -x "$BIN" ] || { echo "Install the package first (see README: Installing), or set ORVALEN_BIN." >&2; exit 1; }

# A fixed place, so that the paths in the pictures read the same every time.
DEMO=/tmp/orvalen-demo
rm -rf "$DEMO"
mkdir -p "$DEMO/home/ann/photos" "$DEMO/share/team" "$DEMO/share/pictures" "$DEMO/run"
echo "Quarterly figures" >"$DEMO/home/ann/report.odt"
echo "Minutes" >"$DEMO/home/ann/notes.txt"
echo "jpeg" >"$DEMO/home/ann/photos/harbour.jpg"
chmod 700 "$DEMO/run"
PIDS=()
X_PIDS=""
trap 'for p in "${PIDS[@]}" $X_PIDS; do kill "$p" 2>/dev/null || true; done' EXIT

wait_for() {
  local n=0
  until "$@" >/dev/null 2>&1; do
    n=$((n + 1)); [ $n -gt 50 ] && { echo "screenshots: gave up waiting for: $*" >&2; import -window root "$DEMO/run/failed.png"; exit 1; }; sleep 0.2
  done
}
export HOME="$DEMO/run" XDG_RUNTIME_DIR="$DEMO/run"
start_x 1024x768x24 "$DEMO/run" openbox
# An accessibility bus, through which the folder list says where its rows are.
DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$DEMO/run/dbus.pid")
export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
X_PIDS="$X_PIDS $(cat "$DEMO/run/dbus.pid")"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
X_PIDS="$X_PIDS $!"

visible() { xdotool search --onlyvisible --name "^$1\$"; }
gone() { ! visible "$1"; }
keys() { xdotool key --delay 120 "$@"; sleep 0.3; }
# Typed letters pick the list entry that starts with them.
typed() { xdotool type --delay 60 "$1"; sleep 0.3; }
activate() { xdotool windowactivate --sync "$(visible "$1")" >/dev/null 2>&1 || true; }
shoot() { sleep 0.5; import -frame -window "$(visible "$1")" "$ROOT/docs/$2"; echo "docs/$2"; }

# The browse dialog opens where the program was started, in ann's folder.
(cd "$DEMO/home/ann" && exec "$BIN" >"$DEMO/run/orvalen.log" 2>&1) &
PIDS+=($!)
wait_for visible Instructions
activate Instructions
keys Escape
wait_for gone Instructions
activate Orvalen

# In the browse dialog, Tab goes Select, Cancel, drive, folders, files; Enter
# presses Select. A folder opens on a double-click only, on the row the
# folder list names. The dialog keeps its folder between uses, so each pick
# opens its folders from the top of the folder list down.
open_folders() {
  local at
  for name in "$@"; do
    at=$(/usr/bin/python3 "$ROOT/scripts/folder-row.py" "$name") || exit 1
    xdotool mousemove $at click --repeat 2 --delay 80 1
    sleep 0.4
  done
}
pick_file() {  # FOLDER... FILE
  wait_for visible 'Select File/Folder'
  open_folders "${@:1:$#-1}"
  keys Tab; typed "${!#}"; keys Return  # the double-click left the focus in the folder list
  wait_for gone 'Select File/Folder'
}
pick_folder() {  # opens each named folder in turn in the folder list, then Select
  wait_for visible 'Select File/Folder'
  open_folders "$@"
  keys Return
  wait_for gone 'Select File/Folder'
}

# The main window is driven along its tab chain. A button that the mode
# turns off while it has the focus passes the focus on to the next one that
# is on: Add File or Add Folder lands on the source's Browse..., and OK, once
# the entry closes, on the interval box. From there, going back, the list
# mode's buttons come Delete Item, Edit Item, Add Folder, Add File.
keys Tab Tab space                       # from the source list to Add File
keys space;     pick_file orvalen-demo home ann report.odt
keys Tab space; pick_folder orvalen-demo share team
keys Tab space                           # OK
keys shift+Tab shift+Tab shift+Tab shift+Tab space
keys space;     pick_file orvalen-demo home ann notes.txt
keys Tab space; pick_folder orvalen-demo share team
keys Tab space
keys shift+Tab shift+Tab shift+Tab space  # Add Folder
keys space;     pick_folder orvalen-demo home ann photos
keys Tab space
wait_for visible 'Select File/Folder'
shoot 'Select File/Folder' browse-dialog.png
pick_folder orvalen-demo share pictures
keys Tab space
shoot Orvalen main-window.png
keys alt+h a
wait_for visible 'About Orvalen'
shoot 'About Orvalen' about-box.png
