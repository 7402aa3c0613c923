#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds core/, platform/, orvalen.exe, its installer and their tests for
# Windows with mingw-w64 and NSIS and runs the tests under Wine, in a
# private Wine prefix inside the build folder.
source "$(dirname "$0")/common.sh"
install_missing "${WINDOWS_PACKAGES[@]}"

configure_windows
cmake --build "$WINBUILD" -j "$(nproc)"

export WINEPREFIX="$WINBUILD/wineprefix" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
# One persistent server with its services started by wineboot, so that no
# test leaves them behind holding ctest's output open.
wineserver -p || true
FIXTURES="$ROOT/tests/windows/wine-fixtures.sh"
trap 'wineserver -k 2>/dev/null || true; sh "$FIXTURES" "$WINBUILD/wine-drives" --unmount' EXIT
wine wineboot -i >/dev/null 2>&1 </dev/null
# The drives before the tests: Wine reads them when its server starts.
sh "$FIXTURES" "$WINBUILD/wine-drives" --drives
ctest --test-dir "$WINBUILD" --output-on-failure -j "$(nproc)"
