#!/usr/bin/env bash
# Tells whether this machine can run 32-bit x86 programs by running one: a
# static i386 program of three instructions that exits with status 42,
# assembled and linked here with binutils, so that nothing but the kernel
# decides. Kernels built or booted without 32-bit support refuse it with
# "Exec format error"; 32-bit Wine cannot start on them.
#
#   can-run-32-bit.sh WORK_DIR
#
# Exit status 0: it can; 1: it cannot; 2: the probe could not be made. One line
# on standard output says which, and why.
set -uo pipefail
work=$1
mkdir -p "$work" || exit 2
probe=$work/exit-42-i386

if ! { as --32 -o "$probe.o" - <<'ASM'
.globl _start
_start:
  movl $1, %eax   # exit
  movl $42, %ebx  # status
  int $0x80
ASM
} 2>"$probe.log" || ! ld -m elf_i386 -o "$probe" "$probe.o" 2>>"$probe.log"; then
  echo "cannot make the 32-bit probe program: $(tr '\n' ' ' <"$probe.log")"
  exit 2
fi

"$probe" 2>"$probe.log"
status=$?
if [ "$status" -eq 42 ]; then
  echo "this machine runs 32-bit programs"
  exit 0
fi
# bash reports a refused exec as "...: cannot execute binary file: Exec format error".
reason=$(sed -e 's/.*: //' "$probe.log" | head -n1)
echo "this machine cannot run 32-bit programs (${reason:-the probe ended with status $status})"
exit 1
