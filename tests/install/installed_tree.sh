#!/bin/sh
# Installs the build into a fresh prefix outside the build tree and runs the installed
# programs with none of the chip-music engine's variables set: they must find their data
# relative to themselves. Also checks that the desktop entry names what was installed.
set -eu
cmake="$1"
build="$2"
source="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
"$cmake" --install "$build" --prefix "$prefix" > "$work/install.log"
run() { env -u SC68_DATA -u SC68_HOME HOME="$work/home" "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

"$prefix/bin/kelvarin" --list-documents > "$work/documents"
awk -F '\t' 'NF != 3 || $1 != NR || $2 !~ /^[1-9][0-9]*$/ || $3 == "" { bad = 1 } END { exit bad || NR != 20 }' \
  "$work/documents" || fail "kelvarin --list-documents printed: $(cat "$work/documents")"

"$prefix/bin/xmrender" "$source/issue/tunes/tune1.xm" --info | grep -q '^channels: [1-9]' || fail "xmrender --info"

# An SNDH file of two sub-tunes: init, exit and play branch to one RTS, the tags follow.
printf '\140\000\000\012\140\000\000\006\140\000\000\002\116\165SNDHTITLInstalled\000COMMKelvarin\000##02TC50\000HDNS' \
  > "$work/tiny.sndh"
run "$prefix/bin/sc68render" "$work/tiny.sndh" --info > "$work/info"
for line in 'title: Installed' 'tracks: 2' '  author: Kelvarin' '  hardware: YM-2149' '  replay: 50 Hz'; do
  grep -qx "$line" "$work/info" || fail "sc68render --info lacks '$line': $(cat "$work/info")"
done
# Playing SNDH needs the engine's replay from the installed data folder.
run "$prefix/bin/sc68render" "$work/tiny.sndh" --seconds 1 -o "$work/tiny.wav" || fail "sc68render could not play"
[ "$(wc -c < "$work/tiny.wav")" -eq $((44 + 44100 * 4)) ] || fail "one second of WAV has the wrong size"

entry="$prefix/share/applications/kelvarin.desktop"
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry" | sort -u)
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -x "$prefix/bin/$command" ] || fail "the desktop entry starts '$command', which is not installed"
for size in 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png"
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] || fail "$png is not $size x $size"
done
