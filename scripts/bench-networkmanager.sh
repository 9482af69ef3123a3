#!/usr/bin/env bash
# The NetworkManager phonebook through the daemon beside nmcli, against the
# same private daemon (scripts/nm-private-daemon.sh) holding 10, 100 and
# 1,000 PPPoE connections in turn. Needs root; runs itself in a private
# network and mount namespace.
#   bench-networkmanager.sh BENCH_PROGRAM OUT_FOLDER [MIN_TIME]
# Writes OUT_FOLDER/bench_nm_daemon_COUNT.json (Google Benchmark's output of
# BENCH_PROGRAM) and prints nmcli_add_ms_COUNT=MEDIAN lines: the median of
# `nmcli connection add type pppoe` with the same values as the program's
# connection, nmcli's start included, each connection deleted again.
set -euo pipefail

if [ -z "${VEROLINK_NM_BENCH_PRIVATE:-}" ]; then
  VEROLINK_NM_BENCH_PRIVATE=1 exec unshare --net --mount --propagation private "$0" "$@"
fi
program=$(realpath "$1")
out=$(realpath "$2")
min_time=${3:-0.5}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap '"$here/nm-private-daemon.sh" stop "$work" || true; rm -rf "$work"' EXIT
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
name="Pelkar INTERNET"
runs=7

for count in 10 100 1000; do
  "$here/nm-private-daemon.sh" stop "$work"
  rm -rf "$work/connections"
  mkdir -p "$work/connections"
  # The connections already there, as keyfiles the daemon loads at its start.
  for i in $(seq "$count"); do
    printf '[connection]\nid=Neighbour %d\nuuid=%s\ntype=pppoe\nautoconnect=false\n[pppoe]\nusername=user%d\n[ipv4]\nmethod=auto\n[ipv6]\nmethod=disabled\n' \
      "$i" "$(</proc/sys/kernel/random/uuid)" "$i" >"$work/connections/Neighbour $i.nmconnection"
  done
  chmod 600 "$work/connections"/*
  "$here/nm-private-daemon.sh" start "$work" >&2

  VEROLINK_BENCH_NM_CONNECTIONS=$count "$program" --benchmark_min_time="$min_time" \
    --benchmark_out="$out/bench_nm_daemon_$count.json" --benchmark_out_format=json >&2

  times=()
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    added=$(nmcli connection add type pppoe con-name "$name" connection.autoconnect no \
      pppoe.service pelkar pppoe.username subscriber-7 pppoe.password-flags 1 \
      ppp.refuse-eap yes ipv4.method auto ipv6.method disabled)
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
    # Deleted through the daemon itself: nmcli's own deletion does not always
    # find a connection just added among a thousand.
    uuid=$(sed -n 's/.*(\([0-9a-f-]*\)) successfully added.*/\1/p' <<<"$added")
    path=$(dbus-send --system --print-reply --dest=org.freedesktop.NetworkManager \
      /org/freedesktop/NetworkManager/Settings \
      org.freedesktop.NetworkManager.Settings.GetConnectionByUuid "string:$uuid" |
      sed -n 's/.*object path "\(.*\)"/\1/p')
    dbus-send --system --print-reply --dest=org.freedesktop.NetworkManager "$path" \
      org.freedesktop.NetworkManager.Settings.Connection.Delete >/dev/null
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  echo "nmcli_add_ms_$count=$(awk -v us="$median" 'BEGIN { printf "%.2f", us / 1000 }')"
done
