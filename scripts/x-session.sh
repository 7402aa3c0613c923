# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced (POSIX sh) by the scripts and tests that drive the program under a
# real X server and window manager.

# Waits up to 20 s for a command to succeed.
wait_for() {
  n=0
  until "$@" >/dev/null 2>&1; do n=$((n + 1)); [ $n -gt 100 ] && return 1; sleep 0.2; done
}

# Up once its check window carries its name (xprop succeeds on a missing property).
wm_named() {
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK | sed -n 's/.*# //p')
  [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME | grep -q '= "'
}

# start_x SCREEN FOLDER MANAGER: Xvfb with that screen (its display number
# written into FOLDER), then the window manager; exports DISPLAY and adds both
# to X_PIDS for the caller to kill. -noreset: a probing client such as xprop
# would otherwise reset the server when it disconnects.
start_x() {
  rm -f "$2/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$2/display" >/dev/null 2>&1 &
  X_PIDS="${X_PIDS:-} $!"
  wait_for test -s "$2/display" || { echo "Xvfb did not start" >&2; return 1; }
  DISPLAY=":$(cat "$2/display")"
  export DISPLAY
  "$3" >/dev/null 2>&1 &
  X_PIDS="$X_PIDS $!"
  wait_for wm_named || { echo "$3 did not start" >&2; return 1; }
}

# stop_pids PID...: SIGTERM, then SIGKILL to any still there after 5 s, then
# reaps them. A bare `wait` would hang on one that will not end.
stop_pids() {
  kill "$@" 2>/dev/null
  for p in "$@"; do
    n=0
    while kill -0 "$p" 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
    kill -0 "$p" 2>/dev/null && { echo "pid $p ($(cat /proc/"$p"/comm 2>/dev/null)) ignored SIGTERM" >&2; kill -9 "$p" 2>/dev/null; }
  done
  wait "$@" 2>/dev/null
}
