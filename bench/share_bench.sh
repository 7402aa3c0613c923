#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The guard pass on a real SMB share: starts its own Samba server in a network
# namespace of its own (nothing clashes with 127.0.0.1:445 outside), puts a TCP
# delay proxy in front of it, mounts the share through smbnetfs and runs
# guard_bench's three pass figures there at each added round-trip time.
# Needs root, samba, smbnetfs, rsync and python3. Cleans up on any exit.
#
#   bench/share_bench.sh [GUARD_BENCH] [guard_bench options, e.g. --files 2000 --runs 5]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-$here/../build/bench/guard_bench}
[[ $# -gt 0 ]] && shift
delays=${DELAYS_MS:-"0 2"}
[[ -x $bench ]] || { echo "share_bench: no guard_bench at $bench (build first)" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || { echo "share_bench: needs root (network namespace, port 445, FUSE)" >&2; exit 1; }
for tool in ip nsenter smbd smbnetfs rsync python3; do
    command -v "$tool" >/dev/null || { echo "share_bench: $tool is missing" >&2; exit 1; }
done

ns=orvalen-bench-$$
root=$(mktemp -d /var/tmp/orvalen-share-bench-XXXXXX)
mnt=$root/mnt
share=$mnt/127.0.0.1/share
smbd_pid=
proxy_pid=
in_ns() { nsenter --net=/run/netns/$ns "$@"; }

cleanup() {
    set +e
    mountpoint -q "$mnt" && umount -l "$mnt"
    [[ -n $proxy_pid ]] && kill "$proxy_pid" 2>/dev/null && wait "$proxy_pid" 2>/dev/null
    [[ -n $smbd_pid ]] && kill -- -"$smbd_pid" 2>/dev/null && wait "$smbd_pid" 2>/dev/null
    ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null
    ip netns del "$ns" 2>/dev/null
    rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$root"/{export,home/.smb,mnt} "$root"/state/{lock,state,cache,private,pid,log}
chmod 0777 "$root/export"
ip netns add "$ns"
ip -n "$ns" link set lo up

state=$root/state
cat > "$root/smb.conf" <<CONF
[global]
  interfaces = 127.0.0.1
  bind interfaces only = yes
  smb ports = 1445
  lock directory = $state/lock
  state directory = $state/state
  cache directory = $state/cache
  private dir = $state/private
  pid directory = $state/pid
  log file = $state/log/log.%m
  server role = standalone server
  map to guest = Bad User
  guest account = nobody
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
  server min protocol = SMB2
  unix extensions = no
[share]
  path = $root/export
  guest ok = yes
  read only = no
  force user = root
CONF
# smbnetfs ignores its auth lines unless the file is private.
install -m 600 /dev/null "$root/home/.smb/smbnetfs.conf"
printf 'smb_query_browsers false\nauth "guest" ""\n' > "$root/home/.smb/smbnetfs.conf"
install -m 600 /dev/null "$root/home/.smb/smb.conf"
printf '[global]\n  client min protocol = SMB2\n' > "$root/home/.smb/smb.conf"

setsid nsenter --net=/run/netns/$ns smbd --foreground --no-process-group -s "$root/smb.conf" \
    >/dev/null 2>&1 &
smbd_pid=$!

port_answers() { in_ns python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $1), 1)" 2>/dev/null; }
wait_for() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
wait_for port_answers 1445 || { echo "share_bench: smbd did not start" >&2; exit 1; }

results=()
for delay in $delays; do
    nsenter --net=/run/netns/$ns python3 "$here/delay_proxy.py" 127.0.0.1 445 127.0.0.1 1445 "$delay" &
    proxy_pid=$!
    wait_for port_answers 445 || { echo "share_bench: the delay proxy did not start" >&2; exit 1; }
    HOME=$root/home nsenter --net=/run/netns/$ns smbnetfs "$mnt" -o local_charset=ISO-8859-1
    wait_for test -d "$share" || { echo "share_bench: smbnetfs could not mount the share" >&2; exit 1; }

    echo "== share with ${delay} ms added round trip =="
    "$bench" --share "$share" --label "smb_${delay}ms" "$@" | tee "$root/out"
    results+=("$(grep ' ratio=' "$root/out")")

    umount -l "$mnt"
    wait_for bash -c "! mountpoint -q '$mnt'"
    kill "$proxy_pid"; wait "$proxy_pid" 2>/dev/null || true
    proxy_pid=
done
printf '%s\n' "${results[@]}"
