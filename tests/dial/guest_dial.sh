#!/bin/bash
# The dial test inside its virtual machine (process 1, on the host's root
# with a RAM overlay). A computer with two Ethernet cards: eth0 to a LAN
# where nothing answers PPPoE, eth1 to the provider's access concentrator,
# rp-pppoe's pppoe-server in a network namespace of its own, both with a link;
# the discovery helper has its capability as the package gives it.
# NetworkManager, polkitd and a private system bus as
# scripts/nm-private-daemon.sh starts them; the
# ordinary user "abonent" may only make connections of their own and start
# connections. As that user: the real program on Xvfb, its button pressed and
# the login typed; then the desktop launcher it wrote, started the way a
# desktop starts one (gio launch): the program's connect window, its
# password typed, with no desktop secret agent at all. The program finds the
# modem's card itself, asking only the login. The dials: right (the
# connection renamed first; then disconnected from the window), then the
# server offering another service, then a wrong password and the right one
# typed again, then both cables out, then the modem's card renamed; and
# nmcli's own dial of the same connection, for its time, with a stand-in
# secret agent. Then, with nothing answering on either card, the subscriber
# is asked for the card with nothing chosen, and cancelling writes nothing.
# Last, a connection made on a one-card machine is dialed once a second card
# has come with the modem on it. Results go to
# the shared folder /dial-out: result (PASS or FAIL), log, screenshots (.xwd)
# and the daemons' logs.
set -uo pipefail
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export LANG=C.UTF-8

out=/dial-out
if [ "${1:-}" != client ]; then
  # The machine: its file systems, the PPP modules, and three networks, each
  # a namespace: the subscriber's computer ("home") with the two cards, the
  # LAN on eth0 and the access concentrator on eth1.
  mkdir -p /proc /sys /host "$out"
  mount -t proc proc /proc
  mount -t sysfs sysfs /sys
  # The host's files stay reachable under /host, whatever the guest lays
  # over /tmp or /run (the program may have been built under /tmp).
  mount --bind / /host
  mount -t tmpfs tmpfs /tmp
  mount -t tmpfs -o mode=755 tmpfs /run
  mkdir -p /dev/pts /dev/shm
  mount -t devpts devpts /dev/pts
  mount -t tmpfs tmpfs /dev/shm
  mount -t 9p -o trans=virtio,version=9p2000.L dialout "$out"
  exec >"$out/log" 2>&1
  echo "--- $(date +%T) guest up: $(uname -r)"
  modprobe -a ppp_generic pppoe veth || echo "FAILED: the kernel's PPP modules"
  # No IP traffic beyond the PPP negotiation: no IPv6 link-local chatter.
  sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
  busybox syslogd -O /tmp/syslog.log
  for ns in home lan ac; do
    ip netns add "$ns"
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 \
      net.ipv6.conf.default.disable_ipv6=1
    ip -n "$ns" link set lo up
    # A handle that stays reachable once the client side lays its own /run.
    touch "/tmp/ns-$ns"
    mount --bind "/run/netns/$ns" "/tmp/ns-$ns"
  done
  # The LAN's far end is up, as a switch's is, with nothing on it.
  ip -n home link add eth0 type veth peer name lan0 netns lan
  ip -n home link add eth1 type veth peer name ac0 netns ac
  ip -n lan link set lan0 up
  ip -n ac link set ac0 up
  # PROGRAM, SOURCE: paths on the host's root.
  source "$out/setup.env"
  # What the subscriber runs is copied to a folder everyone may enter: the
  # clone may lie in a folder only its owner may (a home of mode 0700).
  mkdir -p /opt/dial
  install -m 755 "/host$PROGRAM" "/host$(dirname "$PROGRAM")/verolink-pppoe-discover" /opt/dial/
  install -m 644 "/host$SOURCE/tests/dial/secret_agent.py" /opt/dial/
  export PROGRAM="/opt/dial/$(basename "$PROGRAM")" SOURCE="/host$SOURCE"
  exec nsenter --net=/tmp/ns-home unshare --mount --propagation private \
    /bin/bash "/host$0" client
fi
# This network namespace's devices, read-only: NetworkManager then takes the
# cards as the kernel shows them instead of waiting for udev, as in a container.
mount -t sysfs -o ro sysfs /sys

finish() {
  echo "$1" >"$out/result"
  cp /tmp/nm/nm.log /tmp/syslog.log "$out/" 2>/dev/null
  sync
  busybox poweroff -f
}
trap 'finish FAIL' EXIT
failures=0
# check, as the window tests count their checks.
source "$SOURCE/tests/window/x11_session.sh"
# Waits up to $1 seconds for COMMAND to succeed. The limits are several
# times what a passing run takes: under emulation on a busy machine the guest
# runs that much slower, and only a failure waits them out.
wait_for() {
  local limit=$1 deadline
  shift
  deadline=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.5
  done
}
stamp() { echo "--- $(date +%T) [${SECONDS}s] $*"; }

login=ab-1001
password=parol-1001
user=abonent
uid=4711
work=/tmp/nm
home=$work/home/$user  # made by nm-private-daemon.sh
# Runs a command as the subscriber, in their desktop session's environment
# (GTK draws with cairo: Xvfb has no GL).
as_user() {
  setpriv --reuid="$uid" --regid="$uid" --init-groups \
    env -i HOME="$home" USER="$user" LOGNAME="$user" PATH="$PATH" LANG=C.UTF-8 \
    DISPLAY="${DISPLAY:-}" DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" GSK_RENDERER=cairo \
    XDG_RUNTIME_DIR="/tmp/runtime-$user" "$@"
}

# NetworkManager for the subscriber's computer; the user may add connections
# of their own and start connections, nothing more.
mkdir -p "$work/rules.d"
cat >"$work/rules.d/50-dial-test.rules" <<'RULES'
polkit.addRule(function(action, subject) {
  if (subject.user != "abonent") return polkit.Result.NOT_HANDLED;
  if (action.id == "org.freedesktop.NetworkManager.settings.modify.own" ||
      action.id == "org.freedesktop.NetworkManager.network-control")
    return polkit.Result.YES;
  return polkit.Result.NO;
});
RULES
NM_MANAGED_DEVICES="interface-name:eth*,interface-name:ppp*" \
  "$SOURCE/scripts/nm-private-daemon.sh" start "$work" "$user:$uid" || exit 1
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"
stamp "NetworkManager running"
# The desktop has been up for a while when the subscriber presses: polkitd
# has compiled its rules, which under emulation takes seconds.
user_may_add() { as_user nmcli general permissions | grep -q 'settings.modify.own *yes'; }
wait_for 180 user_may_add || echo "polkitd does not answer for $user yet"
stamp "polkitd answers"
card_state() { nmcli -g GENERAL.STATE device show "$1" 2>/dev/null; }
cards_available() { card_state eth0 | grep -q '^30 ' && card_state eth1 | grep -q '^30 '; }
wait_for 90 cards_available || echo "eth0 and eth1 are not both available to NetworkManager"
echo "eth0: $(card_state eth0); eth1: $(card_state eth1)"
# The discovery helper beside the program, as the packages install it, with
# the capability they give it (the .deb's postinst: setcap cap_net_raw+ep).
helper="$(dirname "$PROGRAM")/verolink-pppoe-discover"
setcap cap_net_raw+ep "$helper" || echo "FAILED: setcap on $helper"
getcap "$helper"

# The access concentrator: rp-pppoe, CHAP, one session at a
# time, its own /etc/ppp; its own and pppd's messages through syslog.
server=/tmp/server
mkdir -p "$server/ppp"
printf '%s * %s *\n' "$login" "$password" >"$server/ppp/chap-secrets"
chmod 600 "$server/ppp/chap-secrets"
cat >"$server/ppp/pppoe-server-options" <<OPTS
auth
require-chap
name verolink-ac
lcp-echo-interval 10
lcp-echo-failure 3
nodefaultroute
debug
OPTS
start_server() {  # start_server SERVICE
  stop_server
  nsenter --net=/tmp/ns-ac unshare --mount sh -c \
    "mount --bind $server/ppp /etc/ppp && exec pppoe-server -F -I ac0 -S $1 -C verolink-ac \
       -L 169.254.10.1 -R 169.254.10.2 -N 1 -O /etc/ppp/pppoe-server-options" &
  server_pid=$!
  sleep 0.5
}
stop_server() {
  [ -n "${server_pid:-}" ] || return 0
  kill "$server_pid" 2>/dev/null
  pkill -f 'pppd.*verolink-ac' 2>/dev/null
  wait "$server_pid" 2>/dev/null
  server_pid=
}

# The modem is on from the start.
start_server pelkar

# The subscriber's desktop session: a display and the program.
mkdir -p "/tmp/runtime-$user" "$home/Desktop"
chown "$uid:$uid" "/tmp/runtime-$user" "$home/Desktop"
chmod 700 "/tmp/runtime-$user"
as_user Xvfb :5 -noreset -screen 0 1024x768x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
export DISPLAY=:5
wait_for 90 xprop -root >/dev/null 2>&1 || { echo "FAILED: Xvfb did not start"; exit 1; }
as_user "$PROGRAM" >"$out/program.log" 2>&1 &
program_pid=$!
caption="Verolink PPPoE 1.00"
# Keeps the picture of window $1 as $2 once its size has held for half a
# second: GTK fits a window to what it shows, which under emulation takes a
# while after the text changed.
picture() {  # picture WINDOW FILE
  local size last=
  for _ in $(seq 20); do
    sleep 0.5
    size=$(xwininfo -id "$1" 2>/dev/null | awk '/Width:|Height:/ { printf "%s ", $2 }')
    [ -n "$size" ] && [ "$size" = "$last" ] && break
    last=$size
  done
  xwd -silent -id "$1" >"$2"
}
# The newest visible window named $1 other than $2.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${2:-none}" | tail -1; }
has_window() { [ -n "$(window_named "$@")" ]; }
no_window() { ! has_window "$@"; }
# Waits for the window named $3 (other than $4), keeps its picture as
# dial-$1.xwd, types $2 into it and presses Enter.
answer() {  # answer WHAT TYPED TITLE [EXCEPT]
  local window
  if ! wait_for 90 has_window "$3" "${4:-}"; then
    echo "FAILED: no $1"
    failures=$((failures + 1))
    return 1
  fi
  window=$(window_named "$3" "${4:-}")
  picture "$window" "$out/dial-$1.xwd"
  [ -z "$2" ] || xdotool windowfocus --sync "$window" type "$2"
  xdotool windowfocus --sync "$window" key Return
}
wait_for 180 has_window "$caption" || { echo "FAILED: no program window"; exit 1; }
main=$(window_named "$caption")
stamp "program window shown"
sleep 1
xwd -silent -id "$main" >"$out/dial-window.xwd"
# The button: the lowest control, 7 pixels above the bottom edge and at least
# 33 high, however tall the desktop's font makes the window.
height=$(xwininfo -id "$main" | awk '/Height:/ {print $2}')
stalls() { grep -c "Terminating runaway script" /tmp/syslog.log; }
stalled_since() { [ "$(stalls)" -gt "$1" ]; }
# Presses the button; waits for the first window it opens. polkitd now and
# then holds one of its checks for 15 s and then logs "Terminating runaway
# script"; the program, which gives NetworkManager 5 s to read the user's
# permissions, then says that NetworkManager does not answer and to try
# again later. Where that is what happened, the test says so, closes the
# message and presses again, as the subscriber would.
press_button() {
  local attempt before box
  for attempt in 1 2; do
    before=$(stalls)
    xdotool mousemove --window "$main" 150 $((height - 23)) click 1
    xdotool mousemove 1000 750
    wait_for 90 has_window "(Verolink|$caption)" "$main"
    [ "$attempt" = 1 ] && has_window "$caption" "$main" || return 0
    wait_for 30 stalled_since "$before" || return 0
    echo "polkitd held a check for 15 s (\"Terminating runaway script\"), so the program said" \
      "NetworkManager does not answer; the message is closed and the button pressed again"
    box=$(window_named "$caption" "$main")
    picture "$box" "$out/dial-polkit-stalled.xwd"
    xdotool windowfocus --sync "$box" key Return
    wait_for 30 no_window "$caption" "$main"
  done
}
press_button
answer login-prompt "$login" Verolink
answer created-message "" "$caption" "$main"
stamp "button pressed"
cat "$out/program.log"
check "only the login was asked: the card was found by discovery" \
  grep -q "dials through eth1, where the provider's access concentrator answered" \
  "$out/program.log"
launcher="$home/Desktop/Pelkar INTERNET.desktop"
[ -f "$launcher" ] || { echo "FAILED: the program wrote no desktop launcher; nothing to dial"; exit 1; }
uuid=$(nmcli -g connection.uuid connection show "Pelkar INTERNET" 2>/dev/null)
check "the connection is the user's own" \
  test "$(nmcli -g connection.permissions connection show "$uuid")" = "user\\:$user"
check "the connection dials through eth1, the modem's card" \
  test "$(nmcli -g pppoe.parent connection show "$uuid")" = eth1
check "the launcher names the connection by its UUID" grep -q "^Exec=.*$uuid" "$launcher"
grep '^Exec=' "$launcher"
# The PPP interface NetworkManager makes for connection $1: the one it
# names, else the first.
ppp_of() {
  local name
  name=$(nmcli -g connection.interface-name connection show "$1")
  echo "${name:-ppp0}"
}
ppp=$(ppp_of "$uuid")
nmcli connection show "$uuid" | grep -E '^(pppoe|ppp\.lcp|connection\.(id|interface-name|permissions))'

# One connect as the subscriber makes it: the launcher started as the
# desktop starts it (gio launch), the password typed into the connect window
# and Enter; waits for the window's result (each state it shows is also a
# line "verolink: connect: ..." on its standard error, in
# $out/connect-NAME.log) and photographs it. The seconds from the launch to
# "Подключено" go to $out/connect-NAME.seconds.
connect_title="Домашний интернет"
seconds_since() { awk -v from="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f\n", now - from }'; }
result_line() { grep '^verolink: connect: ' "$1" | grep -v '…$' | tail -1; }
dial() {  # dial NAME PASSWORD
  local log="$out/connect-$1.log" started
  started=$(date +%s.%N)
  as_user gio launch "$launcher" >"$log" 2>&1 || echo "gio launch failed"
  if ! wait_for 120 has_window "$connect_title"; then
    echo "FAILED: no connect window ($1)"
    failures=$((failures + 1))
    return 1
  fi
  connect_window=$(window_named "$connect_title")
  picture "$connect_window" "$out/dial-$1-asks.xwd"
  xdotool windowfocus --sync "$connect_window" type "$2"
  xdotool windowfocus --sync "$connect_window" key Return
  wait_for 180 sh -c "grep '^verolink: connect: ' '$log' | grep -qv '…\$'"
  grep -q '^verolink: connect: Подключено' "$log" && seconds_since "$started" >"$out/connect-$1.seconds"
  picture "$connect_window" "$out/dial-$1-result.xwd"
  cat "$log"
}
# Closes the connect window by Escape; waits for it to go.
close_window() {
  xdotool windowfocus --sync "$connect_window" key Escape
  wait_for 30 sh -c "! xdotool search --onlyvisible --name '^$connect_title\$' >/dev/null 2>&1"
}
# Disconnects from the connect window of dial NAME (its focused button);
# waits for the PPP interface to go.
disconnect() {  # disconnect NAME
  xdotool windowfocus --sync "$connect_window" key space
  wait_for 60 grep -q '^verolink: connect: Отключено' "$out/connect-$1.log"
  wait_for 60 sh -c "! ip link show $ppp >/dev/null 2>&1"
  picture "$connect_window" "$out/dial-$1-disconnected.xwd"
}
ppp_address() { ip -4 -o addr show dev $ppp 2>/dev/null | awk '{ print $4 }'; }
results_in() { grep '^verolink: connect: ' "$1" | grep -vc '…$'; }
more_results() { [ "$(results_in "$1")" -gt "$2" ]; }
# A second try in the connect window of dial NAME, which asks again: the
# password typed and Enter; waits for the next result and photographs it.
retry() {  # retry NAME PASSWORD
  local log="$out/connect-$1.log" before
  before=$(results_in "$log")
  xdotool windowfocus --sync "$connect_window" type "$2"
  xdotool windowfocus --sync "$connect_window" key Return
  wait_for 180 more_results "$log" "$before"
  picture "$connect_window" "$out/dial-$1-retried.xwd"
  cat "$log"
}
# Runs a command in the network of the LAN or the access concentrator.
in_ns() {  # in_ns lan|ac COMMAND...
  local ns=$1
  shift
  nsenter --net="/tmp/ns-$ns" "$@"
}
# NetworkManager's view of card $1's cable: on or off.
carrier() { nmcli -g WIRED-PROPERTIES.CARRIER device show "$1" 2>/dev/null; }

# The subscriber renames the connection in the desktop's network settings;
# the launcher still starts it, by its UUID.
nmcli connection modify "$uuid" connection.id "Домашний интернет"
stamp "dial 1: the right service and password, the connection renamed, no desktop agent"
dial right "$password"
address=$(ppp_address)
stamp "dial 1 ended: ${address:-no address} after $(cat "$out/connect-right.seconds" 2>/dev/null)s"
check "the connect window says it is connected, with the address" \
  grep -qx "verolink: connect: Подключено, адрес ${address%/*}" "$out/connect-right.log"
check "the connect window went through the steps" \
  grep -q "^verolink: connect: Проверка логина и пароля" "$out/connect-right.log"
check "the PPP link holds the address the server assigned" \
  test "${address%/*}" = 169.254.10.2
check "the server authenticated the session for the provider's service" \
  grep -q "Service-Name 'pelkar'" /tmp/syslog.log
check "the server's pppd accepted the subscriber's CHAP response" \
  grep -q "sent \\[CHAP Success" /tmp/syslog.log
pppd_line=$(pgrep -a pppd | grep -v verolink-ac | head -1)
echo "client pppd: $pppd_line"
check "pppd asks for LCP echo (5 failures, every 30 s)" \
  grep -q "lcp-echo-failure 5 .*lcp-echo-interval 30" <<<"$pppd_line"
check "the launcher names no device" bash -c "! grep '^Exec=.*ifname' '$launcher'"
disconnect right
check "disconnecting from the window brings the PPP interface down" \
  bash -c "! ip link show $ppp >/dev/null 2>&1"
check "the window says it is disconnected" \
  grep -qx "verolink: connect: Отключено" "$out/connect-right.log"
close_window

stamp "nmcli's own dial of the same connection, for its time"
# nmcli leaves the password to an agent: a stand-in for the desktop's.
echo "$password" >/tmp/agent-password
chmod 644 /tmp/agent-password
as_user /usr/bin/python3 /opt/dial/secret_agent.py /tmp/agent-password >"$out/agent.log" 2>&1 &
agent_pid=$!
wait_for 60 grep -q registered "$out/agent.log" || echo "FAILED: the secret agent did not register"
started=$(date +%s.%N)
as_user nmcli connection up uuid "$uuid" >"$out/nmcli-up.log" 2>&1 &&
  seconds_since "$started" >"$out/nmcli-up.seconds"
cat "$out/nmcli-up.log"
stamp "nmcli up took $(cat "$out/nmcli-up.seconds" 2>/dev/null)s"
kill "$agent_pid" 2>/dev/null
nmcli connection down "$uuid" >/dev/null 2>&1
wait_for 60 sh -c "! ip link show $ppp >/dev/null 2>&1"

stamp "dial 2: the access concentrator offers another service"
start_server other-isp
dial other-service "$password"
stamp "dial 2 ended"
check "a wrong service name does not connect" test -z "$(ppp_address)"
check "the window says the provider's equipment does not answer" \
  test "$(result_line "$out/connect-other-service.log")" = \
  "verolink: connect: Оборудование провайдера не отвечает."
close_window
# The window's own discovery heard no answer, so NetworkManager was not asked
# to dial (its pppd would have waited about 33 s for a PADO in vain).

stamp "dial 3: a wrong password"
start_server pelkar
dial wrong-password "wrong-$password"
stamp "dial 3 ended"
check "a wrong password does not connect" test -z "$(ppp_address)"
check "the window says the provider refused the login or password" \
  test "$(result_line "$out/connect-wrong-password.log")" = \
  "verolink: connect: Провайдер не принял логин или пароль."
check "the server refused the password" grep -q "sent \\[CHAP Failure" /tmp/syslog.log
# The window asks again; the right password typed there connects.
retry wrong-password "$password"
check "the password typed again after the refusal connects" \
  test "$(result_line "$out/connect-wrong-password.log")" = \
  "verolink: connect: Подключено, адрес 169.254.10.2"
disconnect wrong-password
close_window

stamp "dial 4: the provider's cable out of both cards"
in_ns ac ip link set ac0 down
in_ns lan ip link set lan0 down
no_carrier() { [ "$(carrier eth0)" = off ] && [ "$(carrier eth1)" = off ]; }
wait_for 60 no_carrier || echo "NetworkManager still sees a cable: eth0 $(carrier eth0), eth1 $(carrier eth1)"
dial no-link "$password"
check "the window says no card has the provider's cable" \
  test "$(result_line "$out/connect-no-link.log")" = \
  "verolink: connect: Кабель провайдера не подключён: ни у одной сетевой карты нет связи."
close_window
in_ns ac ip link set ac0 up
in_ns lan ip link set lan0 up
# The server left with its link.
start_server pelkar
wait_for 90 cards_available || echo "eth0 and eth1 did not come back to NetworkManager"

stamp "dial 5: the modem's card renamed (eth1 is eth9 now)"
ip link set eth1 down
ip link set eth1 name eth9
ip link set eth9 up
renamed_available() { card_state eth9 | grep -q '^30 ' && card_state eth0 | grep -q '^30 '; }
wait_for 90 renamed_available || echo "eth9 is not available to NetworkManager: $(card_state eth9)"
dial renamed "$password"
check "the connection whose card was renamed connects" \
  test "$(result_line "$out/connect-renamed.log")" = \
  "verolink: connect: Подключено, адрес 169.254.10.2"
check "the connection now names the renamed card" \
  test "$(nmcli -g pppoe.parent connection show "$uuid")" = eth9
ppp=$(ppp_of "$uuid")
disconnect renamed
close_window
ip link set eth9 down
ip link set eth9 name eth1
ip link set eth1 up
wait_for 90 cards_available || echo "eth1 did not come back to NetworkManager"
stop_server

stamp "nothing answers on either card"
nmcli connection delete uuid "$uuid" >/dev/null
rm -f "$launcher"
shown() { xdotool search --onlyvisible --name "^Verolink\$" 2>/dev/null | grep -qx "$1"; }
press_button
if wait_for 90 has_window Verolink; then
  prompt=$(window_named Verolink)
  picture "$prompt" "$out/dial-no-answer.xwd"
  # With the login typed, Enter would take a card chosen in advance.
  xdotool windowfocus --sync "$prompt" type "$login"
  xdotool windowfocus --sync "$prompt" key Return
  sleep 1
  check "no card is chosen in advance: Enter alone does not close the dialog" shown "$prompt"
  xdotool windowfocus --sync "$prompt" key Escape
  # The phonebook's refusals are titled with the program's name.
  answer no-card-message "" Verolink "$prompt"
  check "the program heard nothing on either card" \
    grep -q "discovery left the card to the subscriber: eth0 (silent) eth1 (silent)" \
    "$out/program.log"
  check "no connection is written when no card is picked" \
    test -z "$(nmcli -g connection.uuid connection show "Pelkar INTERNET" 2>/dev/null)"
else
  echo "FAILED: no login prompt when nothing answers"
  failures=$((failures + 1))
fi

stamp "a one-card machine: the modem on eth0, the only card"
ip link del eth1
ip link del eth0
ip link add eth0 type veth peer name ac0 netns /tmp/ns-ac
in_ns ac ip link set ac0 up
start_server pelkar
one_card() { cards_available; [ -z "$(card_state eth1)" ] && card_state eth0 | grep -q '^30 '; }
wait_for 90 one_card || echo "eth0 is not the one card NetworkManager has: $(card_state eth0)"
# The last message box gone first: the login prompt bears the same title.
wait_for 30 no_window Verolink
press_button
answer one-card-login-prompt "$login" Verolink
answer one-card-created-message "" "$caption" "$main"
uuid=$(nmcli -g connection.uuid connection show "Pelkar INTERNET" 2>/dev/null)
check "on a one-card machine the connection names no card" \
  test -n "$uuid" -a -z "$(nmcli -g pppoe.parent connection show "$uuid" 2>/dev/null)"

stamp "dial 6: a second card added, the modem moved to it (eth1), eth0 to the LAN"
ip link del eth0
ip link add eth0 type veth peer name lan0 netns /tmp/ns-lan
ip link add eth1 type veth peer name ac0 netns /tmp/ns-ac
in_ns lan ip link set lan0 up
in_ns ac ip link set ac0 up
start_server pelkar
wait_for 90 cards_available || echo "eth0 and eth1 are not both available to NetworkManager"
ppp=$(ppp_of "$uuid")
# Left to itself (the desktop's applet, nmcli), NetworkManager takes the
# first card, where nothing answers.
as_user nmcli --wait 90 connection up uuid "$uuid" >"$out/nmcli-second-card.log" 2>&1 &
nmcli_pid=$!
devices_of() { nmcli -g GENERAL.DEVICES connection show "$uuid" 2>/dev/null; }
has_devices() { [ -n "$(devices_of)" ]; }
wait_for 60 has_devices
own_choice=$(devices_of)
nmcli connection down uuid "$uuid" >/dev/null 2>&1
wait "$nmcli_pid"
check "NetworkManager by itself dials through eth0, where nothing answers" test "$own_choice" = eth0
inactive() { [ -z "$(nmcli -g GENERAL.STATE connection show "$uuid" 2>/dev/null)" ]; }
wait_for 60 inactive
connect_title="Pelkar INTERNET"
dial second-card "$password"
stamp "dial 6 ended after $(cat "$out/connect-second-card.seconds" 2>/dev/null)s"
check "the connection made on the one-card machine connects through the new card" \
  test "$(result_line "$out/connect-second-card.log")" = \
  "verolink: connect: Подключено, адрес 169.254.10.2"
check "the PPP link came up through eth1" test "$(devices_of)" = eth1
disconnect second-card
close_window
stop_server
kill "$program_pid" 2>/dev/null

trap - EXIT
if [ "$failures" -eq 0 ]; then finish PASS; else finish FAIL; fi
