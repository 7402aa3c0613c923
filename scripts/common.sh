# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/run, scripts/test and scripts/ci-*.sh: install what is
# missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ORVALEN_BUILD_DIR:-$ROOT/build}"
PACKAGES=(g++ cmake ninja-build libgtest-dev qt6-base-dev fonts-dejavu-core libglib2.0-dev libmount-dev pkgconf)
# The icon's PNGs are rendered at build time; the title-bar code talks to X11.
PACKAGES+=(librsvg2-bin libxcb1-dev)
# The desktop tests: X server, window managers, the accessibility bus.
DESKTOP_PACKAGES=(xvfb openbox fluxbox x11-utils xdotool dbus-daemon at-spi2-core python3-pyatspi)
# scripts/ci-package.sh adds the desktop-file checkers, the package tools, hardinfo.
TEST_PACKAGES=("${DESKTOP_PACKAGES[@]}" desktop-file-utils appstream dpkg-dev hardinfo)
# The drive list's GVfs test: GNOME's GVfs daemon, its FUSE client, its archive backend.
TEST_PACKAGES+=(gvfs-daemons gvfs-backends gvfs-fuse)
# Only the tests need these: a real SMB server, the desktops' FUSE clients of it
# (smbnetfs, GNOME's GVfs, KDE's kio-fuse with its smb worker) and a second
# client; an SFTP server and sshfs.
SHARE_TEST_PACKAGES=(samba smbclient smbnetfs gvfs-daemons gvfs-backends gvfs-fuse kio-fuse kio-extras
                     openssh-server sshfs)
# The Windows build (scripts/ci-windows.sh, scripts/windows-installer.sh):
# cross compiler, Wine, and NSIS for the installer.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 nsis)
# The fuzzing build (scripts/ci-hardening.sh): Debian's clang and its libFuzzer.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Packages whose install starts and enables a system service, and its units.
# The tests run servers of their own; the machine's must stay as they were.
declare -A SERVICE_UNITS=([samba]="smbd.service nmbd.service samba-ad-dc.service" [openssh-server]="ssh.service")

# Prints those of the named packages that are not installed.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

install_missing() {
  local missing
  mapfile -t missing < <(missing_packages "${PACKAGES[@]}" "$@" | sort -u)
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
      echo "Missing Debian packages; as root run: apt-get install --no-install-recommends ${missing[*]}" >&2
      exit 1
    fi
    echo "Installing: ${missing[*]}"
    as_root apt-get update -q
    local with_service=() p
    for p in "${missing[@]}"; do
      [ -n "${SERVICE_UNITS[$p]:-}" ] && with_service+=("$p")
    done
    # Keep their services from starting during the install...
    local policy_made=""
    if [ ${#with_service[@]} -gt 0 ] && [ ! -e /usr/sbin/policy-rc.d ]; then
      printf '#!/bin/sh\nexit 101\n' | as_root tee /usr/sbin/policy-rc.d >/dev/null
      as_root chmod 755 /usr/sbin/policy-rc.d
      policy_made=1
    fi
    local status=0
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      -o DPkg::Lock::Timeout=600 "${missing[@]}" || status=$?
    if [ -n "$policy_made" ]; then as_root rm -f /usr/sbin/policy-rc.d; fi
    [ "$status" -eq 0 ] || exit "$status"
    # ...then from starting at boot: only those this script installed.
    for p in "${with_service[@]}"; do
      # shellcheck disable=SC2086
      if [ -d /run/systemd/system ]; then
        as_root systemctl disable --now ${SERVICE_UNITS[$p]} || true
      else
        as_root env DPKG_MAINTSCRIPT_PACKAGE="$p" deb-systemd-helper disable ${SERVICE_UNITS[$p]} || true
      fi
    done
  fi
}

# The Windows build, shared by its tests and the installer.
WINBUILD="${ORVALEN_WINDOWS_BUILD_DIR:-$BUILD-windows}"
configure_windows() {
  cmake -S "$ROOT" -B "$WINBUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DORVALEN_BUILD_UI=OFF -DORVALEN_BUILD_BENCH=OFF "$@"
}

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD" -j "$(nproc)"
}

# Only the program, for scripts/run: the window need not wait for the tests.
build_program() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD" -j "$(nproc)" --target orvalen
}
