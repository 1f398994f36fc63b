#!/bin/sh
# xmrender: WAV length and header, default length, --info and load errors.
set -u
tool=$1
module=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$tool" "$module" -o "$work/a.wav" --seconds 2.5 || fail "render with --seconds"
[ "$(wc -c < "$work/a.wav")" -eq $((44 + 110250 * 4)) ] || fail "2.5 s is 110,250 frames"
[ "$(head -c 4 "$work/a.wav")" = RIFF ] || fail "RIFF header"
[ "$(od -An -tu4 -j24 -N4 "$work/a.wav" | tr -d ' ')" = 44100 ] || fail "rate field"
[ "$(od -An -tu4 -j40 -N4 "$work/a.wav" | tr -d ' ')" = 441000 ] || fail "data size field"

# Two orders of 16 rows at speed 6 and 125 BPM, up to the block in which order 0 comes back.
"$tool" "$module" -o "$work/b.wav" || fail "render to the first repeat"
[ "$(wc -c < "$work/b.wav")" -eq $((44 + 192 * 884 * 4)) ] || fail "default length"
"$tool" "$module" -o "$work/c.wav" --loops 2 || fail "render two loops"
[ "$(wc -c < "$work/c.wav")" -gt $((44 + 2 * 169344 * 4)) ] || fail "--loops 2 plays the song twice"

"$tool" "$module" --info > "$work/info" || fail "--info"
[ "$(grep -cxE 'channels: 4|song length: 2|bpm: 125' "$work/info")" -eq 3 ] || fail "--info channels, song length, bpm"

# Cut inside the last sample's data: plays, with one warning. Cut inside the headers: refused.
size=$(wc -c < "$module")
head -c $((size - 100)) "$module" > "$work/cut.xm"
"$tool" "$work/cut.xm" -o "$work/e.wav" --seconds 1 2> "$work/err" || fail "a module cut in its sample data plays"
[ "$(wc -l < "$work/err")" -eq 1 ] && grep -q 'warning:.*100 bytes' "$work/err" || fail "one warning line for a cut module"
head -c 400 "$module" > "$work/cut.xm"
"$tool" "$work/cut.xm" -o "$work/e.wav" 2> /dev/null
[ $? -eq 1 ] || fail "a module cut in its headers is refused"

printf 'not a module' > "$work/bad.xm"
"$tool" "$work/bad.xm" -o "$work/d.wav" 2> "$work/err"
[ $? -eq 1 ] || fail "unloadable file gives status 1"
[ "$(wc -l < "$work/err")" -eq 1 ] || fail "one-line error"
"$tool" "$work/missing.xm" --info 2> /dev/null
[ $? -eq 1 ] || fail "missing file gives status 1"
echo "xmrender: all checks passed"
