#!/usr/bin/env bash
# The connection the program writes, dialled against a real PPPoE access
# concentrator (guest_dial.sh says how). pppd needs the kernel's PPP support,
# which a container's kernel may lack, so the test runs in a virtual machine
# with Debian's own kernel (package linux-image-amd64), on this machine's
# root shared read-only over 9p with a RAM overlay: KVM where it works, else
# software emulation. The machine has no network card; its networks are
# link-local and its own.
#
#   dial_test.sh PROGRAM SOURCE_DIR [ARTIFACT_FOLDER]
#
# Fails, naming what is missing, when it cannot run; never skips.
set -euo pipefail

program=$(realpath "$1")
source_dir=$(realpath "$2")
artifacts=${3:-$(dirname "$program")/artifacts}
here=$(dirname "$(realpath "$0")")
memory_mib=640

fail() {
  echo "FAIL: $*"
  exit 1
}
[ "$(id -u)" = 0 ] || fail "the dial test runs as root: it shares / with its virtual machine"
missing=()
for tool in qemu-system-x86_64 busybox pppoe-server pppd Xvfb xdotool xwd setpriv gio; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || missing+=(python3-gi)
# The newest Debian kernel whose modules include PPPoE.
kernel=
for candidate in $(ls -v /boot/vmlinuz-*-amd64 2>/dev/null | tac); do
  version=${candidate#/boot/vmlinuz-}
  if [ -n "$(find "/lib/modules/$version" -name 'pppoe.ko*' 2>/dev/null)" ]; then
    kernel=$candidate
    break
  fi
done
[ -n "$kernel" ] || missing+=("a Debian kernel with PPPoE modules (linux-image-amd64)")
[ ${#missing[@]} -eq 0 ] ||
  fail "cannot dial without: ${missing[*]} (scripts/install-deps.sh installs them)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/initrd/bin" "$work/initrd/modules" "$work/out"
chmod 755 "$work" "$work/out"

# The initial RAM disk: busybox, the modules a 9p root and an overlay need,
# in the order they load.
cp "$(command -v busybox)" "$work/initrd/bin/busybox"
install -m 755 "$here/guest_init.sh" "$work/initrd/init"
for module in virtio_pci 9pnet_virtio 9p overlay; do
  modprobe -S "$version" --show-depends "$module"
done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r path; do
  cp "$path" "$work/initrd/modules/"
  basename "$path" >>"$work/initrd/modules.order"
done
(cd "$work/initrd" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$work/initrd.gz"

cat >"$work/out/setup.env" <<EOF
PROGRAM='$program'
SOURCE='$source_dir'
EOF

# Runs the machine until it powers off, or for TIME_LIMIT seconds. With
# KVM, a machine whose guest has not begun its script within 30 s is taken as
# a virtual CPU that never starts (seen where /dev/kvm exists but cannot run
# guests): it is stopped and run_vm fails. Either way the caller looks at
# what the guest wrote.
run_vm() {  # run_vm ACCEL TIME_LIMIT
  local accel=()
  [ "$1" = tcg ] && accel=(-accel tcg,tb-size=128)
  [ "$1" = kvm ] && accel=(-accel kvm -cpu host)
  timeout --kill-after=10 "$2" qemu-system-x86_64 -machine q35 "${accel[@]}" -m "$memory_mib" \
    -smp 1 -nographic -no-reboot -nic none -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 quiet panic=1 dial=$here/guest_dial.sh" \
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    -virtfs local,path="$work/out",mount_tag=dialout,security_model=none \
    </dev/null >"$work/console.log" 2>&1 &
  local vm=$! peak=0 rss began=$SECONDS
  while kill -0 "$vm" 2>/dev/null; do
    rss=$(ps -o rss= --ppid "$vm" 2>/dev/null | sort -n | tail -1)
    [ -n "$rss" ] && [ "$rss" -gt "$peak" ] && peak=$rss
    if [ "$1" = kvm ] && [ ! -s "$work/out/log" ] && [ $((SECONDS - began)) -ge 30 ]; then
      kill "$vm" 2>/dev/null
      wait "$vm" 2>/dev/null
      return 1
    fi
    sleep 1
  done
  wait "$vm" || true
  echo "$((peak / 1024))" >"$work/peak-mib"
}
started=$SECONDS
accel=tcg
if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
  run_vm kvm 900 || true
  if [ -s "$work/out/log" ]; then
    accel=kvm
  else
    echo "dial: /dev/kvm is there but its virtual machine did not start" \
      "($(grep -m1 -i kvm "$work/console.log" || echo "no word from QEMU")); software emulation instead"
    started=$SECONDS
  fi
fi
[ "$accel" = kvm ] || run_vm tcg 900

echo "dial: virtual machine ($accel, ${memory_mib} MiB of guest memory) ran $((SECONDS - started)) s," \
  "its process peaked at $(cat "$work/peak-mib") MiB"
cat "$work/out/log" 2>/dev/null || { echo "--- console"; tail -30 "$work/console.log"; }

mkdir -p "$artifacts"
for picture in "$work"/out/*.xwd; do
  [ -e "$picture" ] || continue
  name=$(basename "$picture" .xwd)
  /usr/bin/convert "xwd:$picture" "$artifacts/$name.png" 2>/dev/null || cp "$picture" "$artifacts/"
done
cp "$work"/out/*.log "$artifacts/" 2>/dev/null || true
result=$(cat "$work/out/result" 2>/dev/null || echo "no result")
if [ "$result" != PASS ]; then
  echo "--- console (last lines)"
  tail -20 "$work/console.log"
  fail "the dial test did not pass ($result); its logs are in $artifacts"
fi
echo "dial: all dial checks passed"
