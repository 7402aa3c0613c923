#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the desktop files, builds the Debian package, checks that apt can
# satisfy its dependencies, unpacks it into a throw-away root and starts the
# program from there under Xvfb and Openbox (its main window and the
# Instructions window must appear; System Info must start hardinfo through
# the packaged store). Nothing is installed on the machine: an Orvalen the
# person installed stays as it was. Run by scripts/test --all.
source "$(dirname "$0")/common.sh"
source "$ROOT/scripts/x-session.sh"
install_missing "${TEST_PACKAGES[@]}"
build

desktop-file-validate "$ROOT/packaging/org.orvalen.orvalen.desktop"
appstreamcli validate --no-net --pedantic "$BUILD/packaging/org.orvalen.orvalen.metainfo.xml"

rm -f "$BUILD"/orvalen_*.deb
(cd "$BUILD" && cpack -G DEB)
deb=$(ls "$BUILD"/orvalen_*.deb)
dpkg-deb --info "$deb" | grep -E '^ (Version|Depends|Recommends):'

WORK=$(mktemp -d)
chmod 700 "$WORK"
PIDS=()
X_PIDS=""
cleanup() {
  for p in "${PIDS[@]}" $X_PIDS; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
# What an install would do, without doing it: fails when a dependency cannot be had.
apt-get install -s -q --no-install-recommends "$deb" >"$WORK/apt-simulation" ||
  { cat "$WORK/apt-simulation" >&2; echo "ci-package: apt cannot install $(basename "$deb")" >&2; exit 1; }
PKGROOT="$WORK/root"
dpkg-deb -x "$deb" "$PKGROOT"
test -x "$PKGROOT/usr/bin/orvalen"

fail() { echo "ci-package: $*" >&2; xwininfo -root -tree >&2 || true; cat "$WORK/orvalen.log" >&2 2>/dev/null || true; exit 1; }
visible() { xdotool search --onlyvisible --name "^$1\$"; }

export HOME="$WORK" XDG_RUNTIME_DIR="$WORK"
start_x 1280x1024x24 "$WORK" openbox || fail "no X session"

# Started from a neutral folder, with nothing of the build on its paths; the
# unpacked store comes before any the machine has.
(cd / && exec env -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH \
   XDG_CONFIG_DIRS="$PKGROOT/etc/xdg:${XDG_CONFIG_DIRS:-/etc/xdg}" \
   XDG_DATA_DIRS="$PKGROOT/usr/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" \
   "$PKGROOT/usr/bin/orvalen" >"$WORK/orvalen.log" 2>&1) &
PIDS+=($!)
wait_for visible Orvalen || fail "the unpacked program showed no main window"
wait_for visible Instructions || fail "the unpacked program showed no Instructions window"
main=$(visible Orvalen)
has_icon() { xprop -id "$main" _NET_WM_ICON | grep -q 'Icon ('; }
wait_for has_icon || fail "the main window has no icon"

# Keys go to the window named $1 once the window manager has made it active.
press() {
  local id
  id=$(visible "$1") || return 1
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  shift
  xdotool key --delay 100 "$@"
}
gone() { ! visible "$1"; }

# Close the Instructions, open the About box and press System Info...
press Instructions Escape
wait_for gone Instructions || fail "Instructions did not close"
press Orvalen alt+h a
wait_for visible 'About Orvalen' || fail "Help > About Orvalen showed no About box"
before=$(pgrep -x hardinfo || true)
press 'About Orvalen' alt+s
started() { pgrep -x hardinfo | grep -vxF "${before:-none}"; }
wait_for started || fail "System Info did not start hardinfo"
PIDS+=($(started))
echo "ci-package: $(basename "$deb") is installable, starts, shows its windows and starts hardinfo."
