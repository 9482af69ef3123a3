#!/usr/bin/env bash
# A real NetworkManager without systemd, for the benchmark and the tests. Run
# it as root inside a private network and mount namespace of the caller's own
# (unshare --net --mount): only loopback is there, and every mount below is
# seen by that namespace alone, so nothing of the machine's own
# NetworkManager, D-Bus, polkit or user set-up is touched.
#   nm-private-daemon.sh start WORK [NAME:UID ...]   starts it all, waits until running
#   nm-private-daemon.sh stop WORK                   stops it all
#   nm-private-daemon.sh restart-nm WORK             kills NetworkManager (if it
#                                                    runs), starts it again, waits
# WORK holds the private system bus (unix:path=WORK/system_bus_socket, for
# DBUS_SYSTEM_BUS_ADDRESS), NetworkManager's stored connections
# (WORK/connections), its log (WORK/nm.log) and the run folder mounted over
# /run. Each NAME:UID is a user made for the run, in a private copy of /etc
# mounted over it (WORK/etc), with the home WORK/home/NAME and an active
# login session as logind would record it. When WORK/rules.d exists, polkitd
# runs on the private bus with those rules alone, and NetworkManager asks it;
# else NetworkManager lets only root change connections (auth-polkit=root-only).
# NetworkManager manages no device, unless NM_MANAGED_DEVICES names some
# (NetworkManager's device list, e.g. "interface-name:eth*"); it never makes
# a connection of its own for a device.
set -euo pipefail

command=$1
work=$2
shift 2

running() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

stop() {
  local name pid
  for name in nm polkit dbus; do
    [ -f "$work/$name.pid" ] || continue
    pid=$(cat "$work/$name.pid")
    kill "$pid" 2>/dev/null || true
    # Gone, or a zombie whose parent (the start, long over) cannot reap it.
    for _ in $(seq 100); do running "$pid" || break; sleep 0.05; done
    if running "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
    rm -f "$work/$name.pid"
  done
  # Only what this script mounted, last first, and only from inside the
  # namespace it mounted them in.
  if [ -f "$work/mounts" ] && [ "$(readlink /proc/self/ns/mnt)" = "$(cat "$work/mountns")" ]; then
    tac "$work/mounts" | while read -r target; do umount "$target" || true; done
    rm -f "$work/mounts"
  fi
}

# Mounts SOURCE over TARGET (with mount's other options), noting TARGET for stop.
mount_over() {
  mount "$@"
  echo "${*: -1}" >>"$work/mounts"
}

# Starts NetworkManager on the private bus and waits until it runs.
start_nm() {
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
  # --debug: in the foreground, and its log on standard error as well as syslog.
  NetworkManager --debug --config="$work/nm.conf" >>"$work/nm.log" 2>&1 &
  echo $! >"$work/nm.pid"
  local deadline=$((SECONDS + 120))
  while [ $SECONDS -lt $deadline ] && running "$(cat "$work/nm.pid")"; do
    nmcli -t -f RUNNING general status 2>/dev/null | grep -q running && return 0
    sleep 0.05
  done
  echo "NetworkManager did not come up; its log:" >&2
  tail -5 "$work/nm.log" >&2
  return 1
}

if [ "$command" = stop ]; then
  stop
  exit 0
fi
if [ "$command" = restart-nm ]; then
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
  pid=$(cat "$work/nm.pid")
  kill -KILL "$pid" 2>/dev/null || true
  # Gone, and its name free on the bus: the bus lets it go a moment after the
  # process ends, and a new daemon that comes first is refused the name.
  nm_named() {
    dbus-send --system --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.NameHasOwner string:org.freedesktop.NetworkManager 2>/dev/null |
      grep -q 'boolean true'
  }
  deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ] && { running "$pid" || nm_named; }; do sleep 0.05; done
  # A killed daemon leaves its pid file; a new process may be given that pid.
  rm -f /run/NetworkManager/NetworkManager.pid
  start_nm
  exit
fi

ip link set lo up
readlink /proc/self/ns/mnt >"$work/mountns"
mkdir -p "$work/connections" "$work/home"
chmod 755 "$work" "$work/home"
mount_over -t tmpfs -o mode=755 verolink-run /run
mkdir -p /run/NetworkManager /run/systemd/seats /run/systemd/sessions /run/systemd/users \
  /run/systemd/machines

# The test's users, and a login session for each (logind's own record of
# it), as NetworkManager checks a connection's users against the sessions.
# They live in a copy of the whole of /etc mounted over it: a mount over the
# single file /etc/passwd is dropped when something on the machine renames a
# new file over it (useradd, a package's set-up), and the users with it.
rm -rf "$work/etc"
cp -a /etc "$work/etc"
for user in "$@"; do
  name=${user%%:*}
  uid=${user##*:}
  echo "$name:x:$uid:$uid::$work/home/$name:/bin/sh" >>"$work/etc/passwd"
  echo "$name:x:$uid:" >>"$work/etc/group"
  mkdir -p "$work/home/$name"
  chown "$uid:$uid" "$work/home/$name"
  printf 'NAME=%s\nSTATE=active\nSESSIONS=c%s\nACTIVE_SESSIONS=c%s\nONLINE_SESSIONS=c%s\n' \
    "$name" "$uid" "$uid" "$uid" >"/run/systemd/users/$uid"
done
mount_over --bind "$work/etc" /etc

polkit=root-only
if [ -d "$work/rules.d" ]; then
  polkit=true
  mkdir -p "$work/no-rules"
  mount_over --bind "$work/rules.d" /etc/polkit-1/rules.d
  mount_over --bind "$work/no-rules" /usr/share/polkit-1/rules.d
fi

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
unmanaged='*'
if [ -n "${NM_MANAGED_DEVICES:-}" ]; then
  unmanaged="except:${NM_MANAGED_DEVICES//,/,except:}"
fi
cat >"$work/nm.conf" <<CONF
[main]
dns=none
rc-manager=unmanaged
plugins=keyfile
auth-polkit=$polkit
no-auto-default=*
[keyfile]
path=$work/connections
unmanaged-devices=$unmanaged
CONF
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
dbus-daemon --config-file="$work/bus.conf" --fork --print-pid >"$work/dbus.pid"
if [ "$polkit" = true ]; then
  /usr/lib/polkit-1/polkitd --no-debug >"$work/polkit.log" 2>&1 &
  echo $! >"$work/polkit.pid"
  for _ in $(seq 100); do
    dbus-send --system --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.GetNameOwner string:org.freedesktop.PolicyKit1 >/dev/null 2>&1 && break
    sleep 0.05
  done
fi
start_nm && exit 0
stop
exit 1
