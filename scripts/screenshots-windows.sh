#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's Windows pictures of orvalen.exe as users get it (the
# Windows build's installer, run silently; or the exe ORVALEN_EXE names)
# under Wine on Xvfb: the Instructions, the main window
# holding three items, the browse dialog and the About box, each opened as a
# user would, through scripts/WineWindowDriver.cpp. Writes docs/windows-*.png,
# or into ORVALEN_SCREENSHOT_DIR.
# Wine runs in a prefix of its own, build-windows/wineprefix-screenshots:
# a virtual desktop stands in for the window manager (without one each
# closing popup stalls about 2 s), and Wine's Tahoma and Marlett are copied
# in, which Wine otherwise ignores (the close box would draw as an "r").
source "$(dirname "$0")/common.sh"
install_missing "${WINDOWS_PACKAGES[@]}" xvfb imagemagick fonts-wine

SETUP=""
if [ -n "${ORVALEN_EXE:-}" ]; then
  [ -f "$ORVALEN_EXE" ] || { echo "No such file: $ORVALEN_EXE" >&2; exit 1; }
else
  configure_windows >/dev/null
  cmake --build "$WINBUILD" -j "$(nproc)" --target windows_installer ||
    { echo "No installer to take the pictures from (see scripts/windows-installer.sh), or set ORVALEN_EXE." >&2; exit 1; }
  SETUP="$WINBUILD/Orvalen-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$WINBUILD/CMakeCache.txt")-setup.exe"
fi

SHOTS="$WINBUILD/screenshots"
OUT="${ORVALEN_SCREENSHOT_DIR:-$ROOT/docs}"
export WINEPREFIX="$WINBUILD/wineprefix-screenshots" WINEDEBUG=-all
mkdir -p "$SHOTS" "$WINEPREFIX"
DRIVER_SOURCE="$ROOT/scripts/WineWindowDriver.cpp"
if [ ! "$SHOTS/drive.exe" -nt "$DRIVER_SOURCE" ]; then
  x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -municode -static "$DRIVER_SOURCE" -o "$SHOTS/drive.exe"
fi

X_PID=""
trap 'wineserver -k 2>/dev/null || true; [ -z "$X_PID" ] || kill "$X_PID" 2>/dev/null || true' EXIT
rm -f "$SHOTS/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$SHOTS/display" >/dev/null 2>&1 &
X_PID=$!
for _ in $(seq 50); do [ -s "$SHOTS/display" ] && break; sleep 0.2; done
[ -s "$SHOTS/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$SHOTS/display")"

quiet() { "$@" >/dev/null 2>&1 </dev/null; }
# Wine reads these settings when its server starts: set them, then restart it.
quiet wineserver -k || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || quiet wine wineboot -i
cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf /usr/share/wine/fonts/marlett.ttf \
   "$WINEPREFIX/drive_c/windows/Fonts/"
quiet wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
quiet wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f
quiet wineserver -k || true
wineserver -w

# The same three items as the Linux pictures: ann's files on C:, copied
# to a shared drive S: (a folder of the build, labelled as a share would be).
C="$WINEPREFIX/drive_c"
rm -rf "$C/users/ann" "$SHOTS/share"
mkdir -p "$C/users/ann/photos" "$SHOTS/share/team" "$SHOTS/share/pictures"
echo "Quarterly figures" >"$C/users/ann/report.odt"
echo "Minutes" >"$C/users/ann/notes.txt"
echo "jpeg" >"$C/users/ann/photos/harbour.jpg"
echo "Team share" >"$SHOTS/share/.windows-label"
ln -sfn "$SHOTS/share" "$WINEPREFIX/dosdevices/s:"
PROGRAM="$C/Program Files/Orvalen/orvalen.exe"
rm -f "$PROGRAM"
if [ -n "$SETUP" ]; then
  quiet wine "$SETUP" /S
else
  mkdir -p "$(dirname "$PROGRAM")"
  cp "$ORVALEN_EXE" "$PROGRAM"
fi
# Judged by the file: a setup that installs nothing can still exit 0.
[ -f "$PROGRAM" ] || { echo "No orvalen.exe in the prefix after installing $SETUP" >&2; exit 1; }
cp "$SHOTS/drive.exe" "$C/windows/orvalen-drive.exe"

drive() { wine 'C:\windows\orvalen-drive.exe' "$@" 2>"$SHOTS/drive.err" </dev/null | tr -d '\r'; }
fail() {
  import -window root "$SHOTS/failed.png"
  echo "screenshots-windows: gave up at: $* ($(cat "$SHOTS/drive.err")); the screen then: $SHOTS/failed.png" >&2
  exit 1
}
step() { drive "$@" >/dev/null || fail "$@"; }
shoot() {  # TITLE FILE: the window with its frame, cut from the screen
  local rect
  sleep 0.5
  rect=$(drive rect "$1") || fail rect "$1"
  import -window root "$SHOTS/screen.png"
  convert "$SHOTS/screen.png" -crop "$rect" +repage "$OUT/$2"
  echo "$OUT/$2"
}

# Started in ann's folder, where the browse dialog first opens.
(cd "$C/users/ann" && exec wine 'C:\Program Files\Orvalen\orvalen.exe' >"$SHOTS/orvalen.log" 2>&1 </dev/null) &

step wait Instructions
shoot Instructions windows-instructions.png
step click Instructions Close
step gone Instructions
step wait Orvalen

# In the browse dialog each pick chooses the drive, opens its root (the
# first row: the open folder's ancestors head the list), then each folder
# below it, then chooses the file, if any, and presses Select. Rows
# are chosen as a mouse would, by message: Wine's list boxes find a typed
# name by its first letter only.
BROWSE='Select File/Folder'
in_browse() {  # DRIVE FOLDER...: the drive, then each folder opened in turn
  step wait "$BROWSE"
  step choose "$BROWSE" ComboBox 1 "$1:"
  step open "$BROWSE" ListBox 1 "$1:"
  shift
  for name in "$@"; do step open "$BROWSE" ListBox 1 "$name"; done
}
pick_folder() {  # DRIVE FOLDER...
  in_browse "$@"
  step click "$BROWSE" Select
  step gone "$BROWSE"
}
pick_file() {  # DRIVE FOLDER... FILE
  in_browse "${@:1:$#-1}"
  step choose "$BROWSE" ListBox 2 "${!#}"
  step click "$BROWSE" Select
  step gone "$BROWSE"
}
source_browse() { step click Orvalen Browse... 1; }
destination_browse() { step click Orvalen Browse... 2; }

step click Orvalen 'Add File'; source_browse; pick_file c users ann report.odt
destination_browse; pick_folder s team
step click Orvalen OK
step click Orvalen 'Add File'; source_browse; pick_file c users ann notes.txt
destination_browse; pick_folder s team
step click Orvalen OK
step click Orvalen 'Add Folder'; source_browse; pick_folder c users ann photos
destination_browse
step wait "$BROWSE"
shoot "$BROWSE" windows-browse-dialog.png
pick_folder s pictures
step click Orvalen OK
shoot Orvalen windows-main.png

# Menus by keyboard: another process cannot read a window's menu under Wine.
step keys Orvalen alt+h a
step wait 'About Orvalen'
shoot 'About Orvalen' windows-about-box.png
step click 'About Orvalen' OK
step gone 'About Orvalen'
step keys Orvalen alt+f x
step gone Orvalen
