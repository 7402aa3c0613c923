#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares the Wine prefix of the Windows tests ($WINEPREFIX): the drives the
# tests use and the registry values they read, written with `wine reg add`.
#   D: and F:  folders under DRIVES (F:\ serves as a drive-root source)
#   E:         a drive letter whose device is gone (no medium, lost share)
#   G:         a full disk: a 64 KiB tmpfs (mounting needs root, as in CI)
#   Q:         no drive at all
# and Wine's null graphics driver, for the windows of orvalen.exe.
# Usage: wine-fixtures.sh DRIVES PROBE_EXE   (everything)
#        wine-fixtures.sh DRIVES --drives    (prefix and drives only)
#        wine-fixtures.sh DRIVES --unmount   (after the tests)
set -eu
DRIVES="$(mkdir -p "$1" && cd "$1" && pwd)"
PROBE="$2"
: "${WINEPREFIX:?}"

if [ "$PROBE" = --unmount ]; then
  ! mountpoint -q "$DRIVES/g" || umount "$DRIVES/g"
  exit 0
fi

quiet() { "$@" >/dev/null 2>&1 </dev/null; }

# Services started by wineboot must not inherit the caller's output (ctest
# would wait for them), hence the redirections.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  quiet wineserver -p || true
  quiet wine wineboot -i
fi

# Wine reads the drive letters when its server starts; a server that runs
# already is restarted when they change.
CHANGED=no
# Windows without a display: Wine's null graphics driver creates, lays out
# and messages them with no X server.
if ! grep -q '^"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  CHANGED=yes
fi
# Wine's own Tahoma, which it uses only from the prefix's font folder.
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ]; then
    cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    CHANGED=yes
  fi
done
map() {
  [ "$(readlink "$WINEPREFIX/dosdevices/$1" 2>/dev/null)" = "$2" ] && return 0
  ln -sfn "$2" "$WINEPREFIX/dosdevices/$1"
  CHANGED=yes
}
mkdir -p "$DRIVES/d" "$DRIVES/f"
rm -rf "$DRIVES/gone"
map d: "$DRIVES/d"
map f: "$DRIVES/f"
map e: "$DRIVES/gone"
mkdir -p "$DRIVES/g"
if mountpoint -q "$DRIVES/g" || mount -t tmpfs -o size=64k tmpfs "$DRIVES/g" 2>/dev/null; then
  map g: "$DRIVES/g"
elif [ -e "$WINEPREFIX/dosdevices/g:" ]; then
  rm -f "$WINEPREFIX/dosdevices/g:"
  CHANGED=yes
fi
rm -f "$WINEPREFIX/dosdevices/q:"
if [ "$CHANGED" = yes ]; then
  quiet wineserver -k || true
  wineserver -w
  quiet wineserver -p || true
  quiet wine wineboot
fi
[ "$PROBE" = --drives ] && exit 0

# Stand-ins for the System Information tool.
TOOLS="$WINEPREFIX/drive_c/OrvalenTools"
rm -rf "$TOOLS"
mkdir -p "$TOOLS/first" "$TOOLS/second" "$TOOLS/empty"
cp "$PROBE" "$TOOLS/first/sysinfo.exe"
cp "$PROBE" "$TOOLS/second/MSINFO32.EXE"

ROOT='HKLM\SOFTWARE\OrvalenTest'
wine reg delete "$ROOT" /f >/dev/null 2>&1 || true
add() { wine reg add "$@" /f >/dev/null; }

VALUES="$ROOT\\Values"
add "$VALUES" /v Text /t REG_SZ /d 'C:\Tools\sysinfo.exe'
add "$VALUES" /v WithZero /t REG_SZ /d AB
add "$VALUES" /v Ten /t REG_DWORD /d 10
add "$VALUES" /v TwoSixtyOne /t REG_DWORD /d 261
add "$VALUES" /v Large /t REG_DWORD /d 0x12345678
add "$VALUES" /v Binary /t REG_BINARY /d 0102
add "$VALUES" /v NoData /t REG_BINARY
# 1023 characters and the final zero fill the buffer exactly; 1024 do not fit.
add "$VALUES" /v Fits /t REG_SZ /d "$(printf '%1023s' | tr ' ' x)"
add "$VALUES" /v TooLong /t REG_SZ /d "$(printf '%1024s' | tr ' ' x)"

# One root per case; the tests put it in the place of HKEY_LOCAL_MACHINE.
CASES="$ROOT\\SysInfo"
FIRST='SOFTWARE\Microsoft\Shared Tools\MSINFO'
SECOND='SOFTWARE\Microsoft\Shared Tools Location'
add "$CASES\\FirstExisting\\$FIRST" /v PATH /t REG_SZ /d 'C:\OrvalenTools\first\sysinfo.exe'
add "$CASES\\FirstExisting\\$SECOND" /v MSINFO /t REG_SZ /d 'C:\OrvalenTools\second'
add "$CASES\\FirstMissingFile\\$FIRST" /v PATH /t REG_SZ /d 'C:\OrvalenTools\first\absent.exe'
add "$CASES\\FirstMissingFile\\$SECOND" /v MSINFO /t REG_SZ /d 'C:\OrvalenTools\second'
add "$CASES\\FirstNoData\\$FIRST" /v PATH /t REG_BINARY
add "$CASES\\FirstNoData\\$SECOND" /v MSINFO /t REG_SZ /d 'C:\OrvalenTools\second'
add "$CASES\\SecondWithTool\\$SECOND" /v MSINFO /t REG_SZ /d 'C:\OrvalenTools\second'
add "$CASES\\SecondWithoutTool\\$SECOND" /v MSINFO /t REG_SZ /d 'C:\OrvalenTools\empty'
add "$CASES\\BothMissing"
