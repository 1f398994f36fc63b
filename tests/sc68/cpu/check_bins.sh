#!/bin/sh
# Reassembles every committed 68000 binary of the emulator and its
# benchmark, and compares with the committed bytes. Exit 77 (skipped)
# without the cross assembler.
set -e
root="$1"
out="$2"
command -v m68k-linux-gnu-as >/dev/null 2>&1 || { echo "no m68k-linux-gnu-as"; exit 77; }
mkdir -p "$out"
status=0
for src in "$root"/sc68/cpu/trap14.s "$root"/bench/cpu/mix.s; do
  dir=$(dirname "$src")
  name=$(basename "$src" .s)
  (cd "$dir" && m68k-linux-gnu-as -m68000 "$name.s" -o "$out/$name.o")
  m68k-linux-gnu-objcopy -O binary -j .text "$out/$name.o" "$out/$name.bin"
  if cmp -s "$out/$name.bin" "$dir/$name.bin"; then
    echo "ok $name"
  else
    echo "DIFFERS $dir/$name.bin"
    status=1
  fi
done
exit $status
