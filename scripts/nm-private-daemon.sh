#!/usr/bin/env bash
# A real NetworkManager without systemd, for the benchmark and the tests:
# run inside a private network and mount namespace (unshare --net --mount;
# only loopback, so no real interface is touched), with a private system bus
# (dbus-daemon) and NetworkManager --no-daemon keeping its keyfiles in
# CONNECTIONS and its run and state folders in WORK, bind-mounted over its
# own. Needs root.
#   nm-private-daemon.sh start WORK CONNECTIONS   starts both, waits until running
#   nm-private-daemon.sh stop WORK                stops both
# Clients reach the bus at unix:path=WORK/system_bus_socket
# (DBUS_SYSTEM_BUS_ADDRESS).
set -euo pipefail

command=$1
work=$2

stop() {
  local name pid
  for name in nm dbus; do
    if [ -f "$work/$name.pid" ]; then
      pid=$(cat "$work/$name.pid")
      kill "$pid" 2>/dev/null || true
      # With thousands of connections NetworkManager takes a while to go.
      for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fi
      rm -f "$work/$name.pid"
    fi
  done
  # Only the folders this script bind-mounted, in its own namespace.
  if [ -f "$work/mounted" ]; then
    umount /run/NetworkManager /var/lib/NetworkManager || true
    rm -f "$work/mounted"
  fi
}

if [ "$command" = stop ]; then
  stop
  exit 0
fi

connections=$3
ip link set lo up
mkdir -p "$work/run" "$work/state" /run/NetworkManager /var/lib/NetworkManager
mount --bind "$work/run" /run/NetworkManager
mount --bind "$work/state" /var/lib/NetworkManager
: >"$work/mounted"

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
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
dbus-daemon --config-file="$work/bus.conf" --fork --print-pid >"$work/dbus.pid"
NetworkManager --no-daemon --config="$work/nm.conf" >"$work/nm.log" 2>&1 &
echo $! >"$work/nm.pid"
for _ in $(seq 600); do
  nmcli -t -f RUNNING general status 2>/dev/null | grep -q running && exit 0
  sleep 0.1
done
echo "NetworkManager did not come up; its log:" >&2
tail -5 "$work/nm.log" >&2
stop
exit 1
