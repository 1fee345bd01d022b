#!/usr/bin/env bash
# Exits 0 when this machine can run 32-bit x86 Linux programs, which Wine's 32-bit support needs
# (the kernel may be built or booted without its 32-bit emulation). Prints the reason otherwise.
# The probe is the smallest static i386 program: one load segment whose code calls exit(0).
set -uo pipefail
probe=$(mktemp "${TMPDIR:-/tmp}/tarvex-i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
{
  # ELF header: 32-bit, little-endian, executable for the 80386, entry 0x08048054.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
  # Program header: the whole 93-byte file loaded at 0x08048000, readable and executable.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  # mov eax, 1 (exit); xor ebx, ebx (status 0); int 0x80
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
} >"$probe"
chmod +x "$probe"
if "$probe" 2>/dev/null; then
  exit 0
fi
echo "this machine does not run 32-bit x86 programs (the kernel's 32-bit emulation is off or missing)"
exit 1
