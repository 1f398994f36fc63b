#!/bin/sh
# Assembles a replay source into the raw bytes the engine loads.
# usage: build.sh SOURCE.s OUT.bin
set -e
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
m68k-linux-gnu-as -m68000 -o "$tmp/o" "$1"
m68k-linux-gnu-objcopy -O binary -j .text "$tmp/o" "$2"
