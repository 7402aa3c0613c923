#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows program with mingw-w64 and its installer with NSIS:
# build-windows/Orvalen-<version>-setup.exe. Extra arguments go to cmake's
# configure step.
source "$(dirname "$0")/common.sh"
install_missing "${WINDOWS_PACKAGES[@]}"

configure_windows "$@"
cmake --build "$WINBUILD" -j "$(nproc)" --target windows_installer
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$WINBUILD/CMakeCache.txt")
echo "$WINBUILD/Orvalen-$version-setup.exe"
