#!/bin/sh
# Builds the Debian package from the build tree and checks what it holds.
set -eu
cpack="$1"
build="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cpack" --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{ print $6 }' > "$work/files"
status=0
for f in bin/kelvarin bin/xmrender bin/sc68render share/kelvarin/sc68/Replay/sndh_ice.bin \
  share/applications/kelvarin.desktop share/icons/hicolor/48x48/apps/kelvarin.png \
  share/icons/hicolor/64x64/apps/kelvarin.png share/icons/hicolor/128x128/apps/kelvarin.png \
  share/icons/hicolor/256x256/apps/kelvarin.png share/man/man6/kelvarin.6 share/man/man1/xmrender.1 \
  share/man/man1/sc68render.1; do
  grep -qx "./usr/$f" "$work/files" || { echo "missing ./usr/$f"; status=1; }
done
# The libraries the programs link come in as dependencies.
dpkg-deb -f "$deb" Depends | grep -q 'libsdl2' || { echo "no SDL2 dependency: $(dpkg-deb -f "$deb" Depends)"; status=1; }
[ $status -eq 0 ] || cat "$work/files"
exit $status
