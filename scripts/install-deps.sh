#!/usr/bin/env bash
# Installs everything the build, the tests and the Windows cross build need on
# a Debian machine. Run as root (or through sudo). Safe to run again.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive

want_windows=1
[ "${1:-}" = "--host-only" ] && want_windows=0

if [ "$want_windows" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

# Another apt on the machine (a second run of this script, the machine's own
# updates) holds the package lists' lock for a while, and apt-get update does
# not wait for it as the installs wait for dpkg's: it is tried again for up to
# 10 minutes.
said=$(mktemp)
deadline=$((SECONDS + 600))
until apt-get update -qq -o DPkg::Lock::Timeout=600 2>"$said"; do
  if [ $SECONDS -ge $deadline ] || ! grep -q 'Could not get lock' "$said"; then
    cat "$said" >&2
    rm -f "$said"
    exit 1
  fi
  sleep 5
done
cat "$said" >&2
rm -f "$said"

host_packages=(
  build-essential cmake pkg-config git python3 python3-pil
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-4-dev libglib2.0-dev
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 weston
  xdg-utils
  network-manager libnm-dev polkitd dbus-daemon
  libsecret-1-dev gnome-keyring libsecret-tools
  clang libclang-rt-14-dev
  dpkg-dev fakeroot lintian desktop-file-utils appstream
  gvfs gvfs-daemons dbus-bin libglib2.0-bin
  osslsigncode rpm rpmlint rpm2cpio openssl
  softhsm2 libengine-pkcs11-openssl python3-pykcs11 python3-cryptography gnupg libp11-kit-dev
  qemu-system-x86 linux-image-amd64 busybox-static ppp pppoe python3-gi procps util-linux
  libcap2-bin
)
windows_packages=(
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 icoutils
)

packages=("${host_packages[@]}")
[ "$want_windows" = 1 ] && packages+=("${windows_packages[@]}")

apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${packages[@]}" >/dev/null
echo "install-deps: done"
