#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: wm_hints_test.sh SHOW_WINDOWS_PROGRAM
# Under Xvfb and each window manager in turn, reads what the manager offers
# for each of the four windows (_NET_WM_ALLOWED_ACTIONS, which it derives from
# the hints it honours): a close box, and neither minimize nor maximize.
# Exits 77 (skipped) when Xvfb, xprop or a window manager is missing.
PROGRAM=$1
MANAGERS="openbox fluxbox"
TITLES="Orvalen|Instructions|About Orvalen|Select File/Folder"
for tool in Xvfb xprop $MANAGERS; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

WORK=$(mktemp -d)
export HOME="$WORK" XDG_RUNTIME_DIR="$WORK"
chmod 700 "$WORK"
PIDS=""
cleanup() { for p in $PIDS; do kill "$p" 2>/dev/null; done; sleep 0.3; rm -rf "$WORK"; }
trap cleanup EXIT

# Waits up to 20 s for COMMAND to succeed.
wait_for() {
  n=0
  until "$@" >/dev/null 2>&1; do
    n=$((n + 1)); [ $n -gt 100 ] && return 1; sleep 0.2
  done
}

clients() {
  for id in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# //p' | tr ',' ' '); do
    printf '%s\t%s\n' "$id" "$(xprop -id "$id" _NET_WM_NAME | sed -n 's/.*= "\(.*\)"$/\1/p')"
  done
}
# The manager is up once its check window carries its name.
wm_named() {
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK | sed -n 's/.*# //p')
  [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME | grep -q '= "'
}
all_shown() { [ "$(clients | cut -f2 | grep -cxE "$TITLES")" -eq 4 ]; }

failures=0
for wm in $MANAGERS; do
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" >/dev/null 2>&1 &
  PIDS="$PIDS $!"
  wait_for test -s "$WORK/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(cat "$WORK/display")"
  "$wm" >"$WORK/$wm.log" 2>&1 &
  PIDS="$PIDS $!"
  wait_for wm_named || { echo "FAIL: $wm did not start"; exit 1; }
  "$PROGRAM" >"$WORK/program.log" 2>&1 &
  PIDS="$PIDS $!"
  if ! wait_for all_shown; then
    echo "FAIL: under $wm the four windows did not all appear:"; clients; cat "$WORK/program.log"
    exit 1
  fi
  sleep 0.5  # the manager sets the actions as it maps each window
  clients | grep -E "	($TITLES)\$" | while IFS="	" read -r id title; do
    actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)
    verdict=ok
    case "$actions" in *_NET_WM_ACTION_CLOSE*) ;; *) verdict="no close box" ;; esac
    case "$actions" in *_NET_WM_ACTION_MINIMIZE*) verdict="minimize offered" ;; esac
    case "$actions" in *_NET_WM_ACTION_MAXIMIZE*) verdict="maximize offered" ;; esac
    echo "$wm: $title: $verdict"
    [ "$verdict" = ok ] || echo "  $actions"
  done | tee "$WORK/verdicts"
  grep -q ': ok$' "$WORK/verdicts" || failures=$((failures + 1))
  grep -Eq ': (minimize offered|maximize offered|no close box)$' "$WORK/verdicts" && failures=$((failures + 1))
  for p in $PIDS; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  PIDS=""
  rm -f "$WORK/display"
done
[ $failures -eq 0 ]
