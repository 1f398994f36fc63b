#!/bin/sh
# Fresh Debian machine: installs what is missing, builds, then runs the magazine
# ("./build.sh run") or every test, sanitizer build included ("./build.sh test").
set -e
cd "$(dirname "$0")"
mode=${1:-run}
[ $# -gt 0 ] && shift

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
missing=
for pkg in $(cat .ci/packages); do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $pkg"
done
if [ -n "$missing" ]; then
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

jobs=$(nproc 2>/dev/null || echo 2)
tsan_tests="platform_test xm_test e2e_test"
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
  ;;
*)
  echo "usage: ./build.sh run [kelvarin options] | ./build.sh test" >&2
  exit 2
  ;;
esac
