#!/bin/sh
# Fresh Debian machine: installs what is missing, builds, then runs the magazine
# ("./build.sh run"), every test, sanitizer builds and the browser included ("./build.sh test"),
# or builds the web page ("./build.sh web") and serves it on localhost ("./build.sh serve").
set -e
cd "$(dirname "$0")"
mode=${1:-run}
[ $# -gt 0 ] && shift

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
apt_install() {
  [ -n "$*" ] || return 0
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "$@"
}
missing=
for pkg in $(cat .ci/packages); do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $pkg"
done
apt_install $missing

jobs=$(nproc 2>/dev/null || echo 2)
tsan_tests="platform_test xm_test e2e_test"
# Debian's emscripten finds its optimiser's parser (acorn) among Debian's node modules.
export NODE_PATH=/usr/share/nodejs

# The web version: the toolchain, then build-web/site (page, script, module).
build_web() {
  missing=
  while read -r pkg command; do
    case "$pkg" in ''|'#'*) continue ;; esac
    command -v "$command" >/dev/null 2>&1 || missing="$missing $pkg"
  done < .ci/packages-web
  apt_install $missing
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DKELVARIN_NATIVE_EXE="$PWD/build/app/kelvarin"
  cmake --build build-web -j "$jobs" --target kelvarin
}

case "$mode" in
run)
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j "$jobs" --target kelvarin
  exec ./build/app/kelvarin "$@"
  ;;
test)
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j "$jobs"
  (cd build && ctest --output-on-failure -j "$jobs")
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARIN_SANITIZE=ON
  cmake --build build-sanitize -j "$jobs"
  (cd build-sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")
  # The audio threads, and the whole program playing both musics, under ThreadSanitizer.
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARIN_TSAN=ON
  cmake --build build-tsan -j "$jobs" --target $tsan_tests
  (cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R "^($(echo $tsan_tests | tr ' ' '|'))\$")
  # The web version in headless Chromium, against the native program's frames.
  build_web
  npm ci --prefix tests/web --no-audit --no-fund
  (cd build-web && ctest --output-on-failure)
  ;;
web)
  build_web
  ;;
serve)
  build_web
  exec node platform/web/serve.mjs build-web/site "$@"
  ;;
*)
  echo "usage: ./build.sh run [kelvarin options] | test | web | serve [PORT]" >&2
  exit 2
  ;;
esac
