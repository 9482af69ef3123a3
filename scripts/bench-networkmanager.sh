#!/usr/bin/env bash
# For comparison with the host phonebook: times NetworkManager's own PPPoE
# entry, `nmcli connection add type pppoe ...`, against 10, 1,000 and 10,000
# existing connections. NetworkManager is not one of the project's
# dependencies; this runs only where it is installed, as root.
#
# It runs without systemd, in a private network and mount namespace
# (scripts/nm-private-daemon.sh). Prints "name=value" lines
# for scripts/bench_report.py; progress goes to stderr.
set -euo pipefail

if [ "${VEROLINK_NM_INSIDE:-}" != 1 ]; then
  exec env VEROLINK_NM_INSIDE=1 unshare --net --mount --propagation private "$0" "$@"
fi

adds=7
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
daemon=""
stop() {
  [ -n "$daemon" ] && "$here/nm-private-daemon.sh" stop "$daemon"
  daemon=""
}
trap 'stop; rm -rf "$work"' EXIT
export DBUS_SYSTEM_BUS_ADDRESS

# Keyfiles of `count` PPPoE connections, written straight into the folder.
make_connections() {
  python3 - "$1" "$2" <<'PY'
import os, sys, uuid
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    path = os.path.join(folder, f"Entry {i:05d}.nmconnection")
    with open(path, "w") as f:
        f.write(f"[connection]\nid=Entry {i:05d}\nuuid={uuid.uuid4()}\ntype=pppoe\n"
                "autoconnect=false\n\n[pppoe]\nparent=lo\nservice=pelkar\nusername=user\n\n"
                "[ppp]\n\n[ipv4]\nmethod=auto\n\n[ipv6]\nmethod=ignore\n")
    os.chmod(path, 0o600)
PY
}

start() {
  daemon="$work/daemon-$2"
  mkdir -p "$daemon"
  DBUS_SYSTEM_BUS_ADDRESS="unix:path=$daemon/system_bus_socket"
  "$here/nm-private-daemon.sh" start "$daemon" "$1"
}

median_add_ms() {
  local times=() i s e
  for i in $(seq "$adds"); do
    s=$(date +%s%N)
    nmcli connection add type pppoe con-name "Pelkar INTERNET $i" ifname "ppp$i" \
      connection.autoconnect no pppoe.parent lo pppoe.service pelkar username user \
      password secret >/dev/null
    e=$(date +%s%N)
    times+=($(((e - s) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f\n", a[int((NR+1)/2)]/1000}'
}

for count in ${VEROLINK_NM_COUNTS:-10 1000 10000}; do
  connections="$work/connections-$count"
  mkdir -p "$connections"
  make_connections "$connections" "$count"
  t0=$(date +%s%N)
  start "$connections" "$count"
  t1=$(date +%s%N)
  echo "NetworkManager up with $count connections in $(((t1 - t0) / 1000000)) ms" >&2
  echo "nmcli_add_ms_$(printf '%05d' "$count")=$(median_add_ms)"
  stop
done
echo "nmcli_note=runs here without systemd (private netns, private system bus, --no-daemon)"
