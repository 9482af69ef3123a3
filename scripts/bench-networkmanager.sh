#!/usr/bin/env bash
# For comparison with the host phonebook: times NetworkManager's own PPPoE
# entry, `nmcli connection add type pppoe ...`, against 10, 1,000 and 10,000
# existing connections. NetworkManager is not one of the project's
# dependencies; this runs only where it is installed, as root.
#
# It runs without systemd: a private network namespace (only loopback, so no
# real interface is touched), a private system bus (dbus-daemon), and
# NetworkManager --no-daemon keeping its keyfiles, state and run folders in a
# scratch folder that is bind-mounted over its own. Prints "name=value" lines
# for scripts/bench_report.py; progress goes to stderr.
set -euo pipefail

if [ "${VEROLINK_NM_INSIDE:-}" != 1 ]; then
  exec env VEROLINK_NM_INSIDE=1 unshare --net --mount --propagation private "$0" "$@"
fi

adds=7
work="$(mktemp -d)"
dbus_pid=""
nm_pid=""
stop() {
  [ -n "$nm_pid" ] && kill "$nm_pid" 2>/dev/null && wait "$nm_pid" 2>/dev/null
  [ -n "$dbus_pid" ] && kill "$dbus_pid" 2>/dev/null
  nm_pid=""
  dbus_pid=""
}
trap 'stop; rm -rf "$work"' EXIT

ip link set lo up
mkdir -p "$work/run" "$work/state" /run/NetworkManager /var/lib/NetworkManager
mount --bind "$work/run" /run/NetworkManager
mount --bind "$work/state" /var/lib/NetworkManager

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"

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
  local connections="$1"
  cat >"$work/nm.conf" <<CONF
[main]
dns=none
rc-manager=unmanaged
plugins=keyfile
auth-polkit=false
[keyfile]
path=$connections
unmanaged-devices=*
CONF
  dbus-daemon --config-file="$work/bus.conf" --fork --print-pid >"$work/dbus.pid"
  dbus_pid="$(cat "$work/dbus.pid")"
  NetworkManager --no-daemon --config="$work/nm.conf" >"$work/nm.log" 2>&1 &
  nm_pid=$!
  for _ in $(seq 600); do
    nmcli -t -f RUNNING general status 2>/dev/null | grep -q running && return 0
    sleep 0.1
  done
  echo "NetworkManager did not come up; its log:" >&2
  tail -5 "$work/nm.log" >&2
  return 1
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
  start "$connections"
  t1=$(date +%s%N)
  echo "NetworkManager up with $count connections in $(((t1 - t0) / 1000000)) ms" >&2
  echo "nmcli_add_ms_$(printf '%05d' "$count")=$(median_add_ms)"
  stop
done
echo "nmcli_note=runs here without systemd (private netns, private system bus, --no-daemon)"
