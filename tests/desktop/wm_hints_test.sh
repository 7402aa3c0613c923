#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: wm_hints_test.sh SHOW_WINDOWS. Under Xvfb and each window manager in
# turn, reads what the manager offers each of the four windows
# (_NET_WM_ALLOWED_ACTIONS, derived from the hints it honours): close, and
# neither minimize nor maximize. Exits 77 (skipped) when a tool is missing.
MANAGERS="openbox fluxbox"
TITLES="Orvalen|Instructions|About Orvalen|Select File/Folder"
for tool in Xvfb xprop $MANAGERS; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
WORK=$(mktemp -d)
export HOME="$WORK" XDG_RUNTIME_DIR="$WORK"
trap 'kill $PIDS $X_PIDS 2>/dev/null; rm -rf "$WORK"' EXIT

. "$(dirname "$0")/../../scripts/x-session.sh"
clients() {
  for id in $(xprop -root _NET_CLIENT_LIST | sed -n 's/.*# //p' | tr ',' ' '); do
    printf '%s\t%s\n' "$id" "$(xprop -id "$id" _NET_WM_NAME | sed -n 's/.*= "\(.*\)"$/\1/p')"
  done | grep -E "	($TITLES)\$"
}
all_shown() { [ "$(clients | wc -l)" -eq 4 ]; }

failed=0
for wm in $MANAGERS; do
  X_PIDS=""
  start_x 1280x1024x24 "$WORK" "$wm" || { echo "FAIL: no X session under $wm"; exit 1; }
  "$1" &
  PIDS="$X_PIDS $!"
  wait_for all_shown || { echo "FAIL: under $wm the four windows did not all appear"; clients; exit 1; }
  sleep 0.5  # the manager sets the actions as it maps each window
  clients >"$WORK/clients"
  while IFS="	" read -r id title; do
    actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)
    verdict=ok
    case "$actions" in *_NET_WM_ACTION_CLOSE*) ;; *) verdict="no close box" ;; esac
    case "$actions" in *_NET_WM_ACTION_MINIMIZE*) verdict="minimize offered" ;; esac
    case "$actions" in *_NET_WM_ACTION_MAXIMIZE*) verdict="maximize offered" ;; esac
    echo "$wm: $title: $verdict"
    [ "$verdict" = ok ] || { echo "  $actions"; failed=1; }
  done <"$WORK/clients"
  stop_pids $PIDS
done
exit $failed
