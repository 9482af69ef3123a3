#!/bin/busybox sh
# The first program of the dial test's virtual machine, run from its initial
# RAM disk: loads what a root file system over 9p needs, lays a RAM overlay on
# the host's root shared read-only, and hands over to the test's guest script
# named on the kernel command line (dial=PATH), as process 1.
/bin/busybox --install -s /bin
export PATH=/bin
mkdir -p /proc /sys /dev /lower /upper /newroot
mount -t proc proc /proc
mount -t devtmpfs devtmpfs /dev
for module in $(cat /modules.order); do insmod "/modules/$module" || echo "dial-init: insmod $module failed"; done
script=
for word in $(cat /proc/cmdline); do
  case "$word" in dial=*) script=${word#dial=} ;; esac
done
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose hostroot /lower &&
  mount -t tmpfs -o mode=755 upper /upper &&
  mkdir -p /upper/data /upper/work &&
  mount -t overlay -o lowerdir=/lower,upperdir=/upper/data,workdir=/upper/work overlay /newroot ||
  { echo "dial-init: the host's root could not be mounted"; poweroff -f; }
mount --move /dev /newroot/dev
umount /proc
exec switch_root /newroot /bin/bash "$script"
