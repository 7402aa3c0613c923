#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the README's screenshots from the installed program
# (/usr/bin/orvalen, or ORVALEN_BIN) under Xvfb and Openbox: the main window
# holding three items, the browse dialog and the About box, each added and
# opened with the keyboard as a user would. Writes docs/*.png.
# Needs: xvfb openbox xdotool x11-utils imagemagick (scripts/common.sh
# TEST_PACKAGES plus imagemagick).
source "$(dirname "$0")/common.sh"
source "$ROOT/scripts/x-session.sh"
install_missing "${TEST_PACKAGES[@]}" imagemagick
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

# In the browse dialog, Tab goes Select, Cancel, drive, folders, files.
# The dialog keeps its folder between uses, so each pick opens its folders
# from the top of the folder list down.
pick_file() {  # FOLDER... FILE
  wait_for visible 'Select File/Folder'
  keys Tab Tab Tab
  while [ $# -gt 1 ]; do typed "$1"; keys Return; shift; done
  keys Tab; typed "$1"; keys Tab space
  wait_for gone 'Select File/Folder'
}
pick_folder() {  # opens each named folder in turn in the folder list, then Select
  wait_for visible 'Select File/Folder'
  keys Tab Tab Tab
  for name in "$@"; do typed "$name"; keys Return; done
  keys shift+Tab shift+Tab shift+Tab space
  wait_for gone 'Select File/Folder'
}

# Main-window buttons are clicked where the layout puts them: their centres
# in twips of the client area below the menu bar, scaled as the window is.
click() {
  local id w h
  id=$(visible Orvalen)
  eval "$(xdotool getwindowgeometry --shell "$id")"
  w=$WIDTH h=$HEIGHT
  # 5520 x 5505 twips of client area; the menu bar takes the rest of the height.
  xdotool mousemove --window "$id" $(( $1 * w / 5520 )) $(( h - (5505 - $2) * w / 5520 )) click 1
  sleep 0.4
}
ADD_FILE="3740 850" ADD_FOLDER="3740 1450" BROWSE_SOURCE="4820 2480" BROWSE_DEST="4820 3080" OK="3740 3728"

click $ADD_FILE;   click $BROWSE_SOURCE; pick_file orvalen-demo home ann report.odt
click $BROWSE_DEST; pick_folder orvalen-demo share team
click $OK
click $ADD_FILE;   click $BROWSE_SOURCE; pick_file orvalen-demo home ann notes.txt
click $BROWSE_DEST; pick_folder orvalen-demo share team
click $OK
click $ADD_FOLDER; click $BROWSE_SOURCE; pick_folder orvalen-demo home ann photos
click $BROWSE_DEST
wait_for visible 'Select File/Folder'
shoot 'Select File/Folder' browse-dialog.png
pick_folder orvalen-demo share pictures
click $OK
shoot Orvalen main-window.png
keys alt+h a
wait_for visible 'About Orvalen'
shoot 'About Orvalen' about-box.png
